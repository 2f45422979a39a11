#include "help/helppagecheck.h"

#include <QList>
#include <QString>

namespace {

bool isOneOf(QStringView name, std::initializer_list<const char*> names)
{
    for (const char* candidate : names)
        if (name == QLatin1String(candidate))
            return true;
    return false;
}

// Elements that never hold others.
bool isVoid(QStringView name)
{
    return isOneOf(name, {"area", "base", "basefont", "br", "col", "embed", "frame", "hr", "img", "input", "isindex",
                          "keygen", "link", "meta", "param", "source", "track", "wbr"});
}

// Blocks that end an open paragraph.
bool endsParagraph(QStringView name)
{
    return isOneOf(name, {"address", "blockquote", "center", "dd", "div", "dl", "dt", "h1", "h2", "h3", "h4", "h5", "h6",
                          "hr", "li", "ol", "p", "pre", "table", "ul"});
}

// The open elements a new start tag closes, as the HTML reader does for
// elements whose end tag may be left out.
bool closedBy(QStringView open, QStringView start)
{
    if (open == QLatin1String("p"))
        return endsParagraph(start);
    if (isOneOf(start, {"td", "th"}))
        return isOneOf(open, {"td", "th"});
    if (start == QLatin1String("tr"))
        return isOneOf(open, {"td", "th", "tr"});
    if (isOneOf(start, {"dt", "dd"}))
        return isOneOf(open, {"dt", "dd"});
    if (isOneOf(start, {"thead", "tbody", "tfoot"}))
        return isOneOf(open, {"td", "th", "tr", "thead", "tbody", "tfoot"});
    return open == start && isOneOf(start, {"li", "option"});
}

bool isNameCharacter(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('-') || c == QLatin1Char(':');
}

// The position just past the '>' that ends the tag starting at from, quoted
// attribute values skipped; the text's end when the tag never ends.
qsizetype tagEnd(QStringView html, qsizetype from, bool& selfClosing)
{
    QChar quote;
    for (qsizetype i = from; i < html.size(); ++i) {
        const QChar c = html.at(i);
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            quote = c;
        } else if (c == QLatin1Char('>')) {
            selfClosing = i > from && html.at(i - 1) == QLatin1Char('/');
            return i + 1;
        }
    }
    return html.size();
}

qsizetype skipPast(QStringView html, qsizetype from, QLatin1String end)
{
    const qsizetype at = html.indexOf(end, from, Qt::CaseInsensitive);
    return at < 0 ? html.size() : at + end.size();
}

} // namespace

HelpPageVerdict checkHelpPage(QStringView html, const HelpPageLimits& limits)
{
    if (html.size() > limits.maxCharacters)
        return HelpPageVerdict::TooLarge;
    QList<QString> open;
    int tables = 0;
    const auto pop = [&] {
        if (open.takeLast() == QLatin1String("table"))
            --tables;
    };
    qsizetype i = 0;
    while ((i = html.indexOf(QLatin1Char('<'), i)) >= 0) {
        const QStringView rest = html.mid(i);
        if (rest.startsWith(QLatin1String("<!--"))) {
            i = skipPast(html, i + 4, QLatin1String("-->"));
            continue;
        }
        if (rest.startsWith(QLatin1String("<!")) || rest.startsWith(QLatin1String("<?"))) {
            i = skipPast(html, i + 2, QLatin1String(">"));
            continue;
        }
        const bool closing = rest.startsWith(QLatin1String("</"));
        const qsizetype nameStart = i + (closing ? 2 : 1);
        qsizetype nameEnd = nameStart;
        while (nameEnd < html.size() && isNameCharacter(html.at(nameEnd)))
            ++nameEnd;
        if (nameEnd == nameStart) {
            ++i;  // a '<' in the text
            continue;
        }
        const QString name = html.mid(nameStart, nameEnd - nameStart).toString().toLower();
        bool selfClosing = false;
        i = tagEnd(html, nameEnd, selfClosing);
        if (closing) {
            const qsizetype match = open.lastIndexOf(name);
            while (match >= 0 && open.size() > match)
                pop();
            continue;
        }
        if (name == QLatin1String("script") || name == QLatin1String("style")) {
            // Their text holds no elements.
            i = skipPast(html, i, name == QLatin1String("style") ? QLatin1String("</style") : QLatin1String("</script"));
            continue;
        }
        if (isVoid(name) || selfClosing)
            continue;
        while (!open.isEmpty() && closedBy(open.constLast(), name))
            pop();
        open.append(name);
        if (name == QLatin1String("table"))
            ++tables;
        if (open.size() > limits.maxDepth || tables > limits.maxTableDepth)
            return HelpPageVerdict::NestedTooDeeply;
    }
    return HelpPageVerdict::Fine;
}
