#include "pdftext.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <algorithm>

namespace {

QString run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return QString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

QString unescaped(const QString& html)
{
    QString text = html;
    text.replace(QLatin1String("&lt;"), QLatin1String("<"));
    text.replace(QLatin1String("&gt;"), QLatin1String(">"));
    text.replace(QLatin1String("&quot;"), QLatin1String("\""));
    text.replace(QLatin1String("&apos;"), QLatin1String("'"));
    text.replace(QLatin1String("&amp;"), QLatin1String("&"));
    return text;
}

QString pdfinfoValue(const QString& pdfFile, const QString& key)
{
    const QString info = run(QStringLiteral("pdfinfo"), {pdfFile});
    for (const QString& line : info.split(QLatin1Char('\n')))
        if (line.startsWith(key + QLatin1Char(':')))
            return line.mid(key.size() + 1).trimmed();
    return QString();
}

} // namespace

bool popplerToolsAvailable()
{
    return !QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty()
        && !QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty();
}

QList<PdfWord> pdfWords(const QString& pdfFile)
{
    const QString html = run(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdfFile, QStringLiteral("-")});
    static const QRegularExpression wordPattern(QStringLiteral(
        R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">(.*)</word>)re"));
    QList<PdfWord> words;
    int page = -1;
    for (const QString& line : html.split(QLatin1Char('\n'))) {
        if (line.trimmed().startsWith(QLatin1String("<page ")))
            ++page;
        const QRegularExpressionMatch m = wordPattern.match(line);
        if (m.hasMatch() && page >= 0)
            words.append({page, m.captured(1).toDouble(), m.captured(2).toDouble(), m.captured(3).toDouble(),
                          m.captured(4).toDouble(), unescaped(m.captured(5))});
    }
    return words;
}

QStringList pdfPageLines(const QList<PdfWord>& words, int page)
{
    QList<PdfWord> onPage;
    for (const PdfWord& w : words)
        if (w.page == page)
            onPage.append(w);
    std::sort(onPage.begin(), onPage.end(), [](const PdfWord& a, const PdfWord& b) { return a.yMin < b.yMin; });
    QList<QList<PdfWord>> lines;
    for (const PdfWord& w : onPage) {
        const double middle = (w.yMin + w.yMax) / 2;
        if (lines.isEmpty() || middle > lines.last().first().yMax)
            lines.append(QList<PdfWord>());
        lines.last().append(w);
    }
    QStringList out;
    for (QList<PdfWord>& line : lines) {
        std::sort(line.begin(), line.end(), [](const PdfWord& a, const PdfWord& b) { return a.xMin < b.xMin; });
        QStringList texts;
        for (const PdfWord& w : line)
            texts << w.text;
        out << texts.join(QLatin1Char(' '));
    }
    return out;
}

int pdfPageCount(const QString& pdfFile)
{
    bool ok = false;
    const int pages = pdfinfoValue(pdfFile, QStringLiteral("Pages")).toInt(&ok);
    return ok ? pages : -1;
}

QSizeF pdfPageSize(const QString& pdfFile)
{
    // "595.276 x 841.89 pts (A4)"
    const QStringList parts = pdfinfoValue(pdfFile, QStringLiteral("Page size")).split(QLatin1Char(' '));
    if (parts.size() < 3)
        return QSizeF();
    return QSizeF(parts[0].toDouble(), parts[2].toDouble());
}
