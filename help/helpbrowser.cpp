#include "help/helpbrowser.h"

#include "help/helppagecheck.h"

#include <QBuffer>
#include <QDesktopServices>
#include <QHelpEngineCore>
#include <QImage>
#include <QImageReader>
#include <QStringDecoder>

namespace {

// Pictures of a help page stay small; a bigger one is not decoded.
constexpr int maxImageMegabytes = 64;

// Addresses a page of the help may hand to the desktop. A local file, a
// device or anything else named by a crafted help file is not opened.
bool isWebOrMailAddress(const QUrl& url)
{
    const QString scheme = url.scheme();
    return scheme == QLatin1String("http") || scheme == QLatin1String("https") || scheme == QLatin1String("mailto");
}

// A picture out of the help file, or one transparent pixel in its place.
// Never nothing: for a picture it cannot have, the text document tries the
// picture's name as a local file.
QImage helpImage(const QByteArray& data)
{
    QBuffer buffer;
    buffer.setData(data);
    QImageReader reader(&buffer);
    reader.setAllocationLimit(maxImageMegabytes);
    QImage image = reader.read();
    if (image.isNull()) {
        image = QImage(1, 1, QImage::Format_ARGB32);
        image.fill(Qt::transparent);
    }
    return image;
}

QString noticePage(const QString& title, const QString& text)
{
    return QStringLiteral("<html><head><title>%1</title></head><body><h3>%1</h3><p>%2</p></body></html>")
        .arg(title.toHtmlEscaped(), text.toHtmlEscaped());
}

} // namespace

HelpBrowser::HelpBrowser(QHelpEngineCore* engine, QWidget* parent) : QTextBrowser(parent), engine_(engine)
{
    setObjectName(QStringLiteral("HelpTopic"));
    // Links inside the help file stay here; web and mail addresses go to
    // the desktop.
    setOpenLinks(false);
    connect(this, &QTextBrowser::anchorClicked, this, &HelpBrowser::followLink);
}

bool HelpBrowser::isInsideHelpFile(const QUrl& url) const
{
    return url.scheme() == QLatin1String("qthelp") && engine_->registeredDocumentations().contains(url.host());
}

// Every page is read as HTML, whatever its name ends with: the page checks
// below know HTML only.
void HelpBrowser::doSetSource(const QUrl& name, QTextDocument::ResourceType type)
{
    (void)type;
    QTextBrowser::doSetSource(name, QTextDocument::HtmlResource);
}

// Pages, pictures and style sheets come out of the help file only. Anything
// else a page refers to (a local file, file:///dev/zero, a FIFO, a huge
// file) is never read: it would hang or exhaust the program. Paths with no
// scheme, absolute or not, are places inside the help file.
QVariant HelpBrowser::loadResource(int type, const QUrl& name)
{
    const QUrl resolved = name.isRelative() ? source().resolved(name) : name;
    const QByteArray data = isInsideHelpFile(resolved) ? engine_->fileData(resolved) : QByteArray();
    switch (type) {
    case QTextDocument::ImageResource:
        return helpImage(data);
    case QTextDocument::HtmlResource:
    case QTextDocument::MarkdownResource:
        return pageText(resolved, data);
    default:
        if (data.size() > HelpPageLimits().maxCharacters)
            return QByteArray(" ");
        return data.isEmpty() ? QByteArray(" ") : data;
    }
}

// The page's text, decoded as the browser would, or a notice in its place
// when laying the page out would freeze the window.
QString HelpBrowser::pageText(const QUrl& page, const QByteArray& data) const
{
    const HelpPageLimits limits;
    const QString name = page.fileName();
    const QString tooLarge = tr("The help page %1 is too large to be shown.").arg(name);
    if (data.size() > 4 * limits.maxCharacters)
        return noticePage(tr("Help page not shown"), tooLarge);
    QStringDecoder decoder = QStringDecoder::decoderForHtml(data);
    if (!decoder.isValid())
        decoder = QStringDecoder(QStringDecoder::Utf8);
    const QString text = decoder(data);
    switch (checkHelpPage(text, limits)) {
    case HelpPageVerdict::Fine:
        return text;
    case HelpPageVerdict::TooLarge:
        return noticePage(tr("Help page not shown"), tooLarge);
    case HelpPageVerdict::NestedTooDeeply:
        return noticePage(tr("Help page not shown"),
                          tr("The help page %1 nests its elements too deeply to be shown.").arg(name));
    }
    return QString();
}

void HelpBrowser::followLink(const QUrl& link)
{
    const QUrl target = source().resolved(link);
    if (isInsideHelpFile(target))
        setSource(target);
    else if (isWebOrMailAddress(target))
        QDesktopServices::openUrl(target);
}
