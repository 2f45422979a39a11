#include "help/helpbrowser.h"

#include <QDesktopServices>
#include <QEvent>
#include <QHelpEngineCore>

namespace {

// Addresses a page of the help may hand to the desktop. A local file, a
// device or anything else named by a crafted help file is not opened.
bool isWebOrMailAddress(const QUrl& url)
{
    const QString scheme = url.scheme();
    return scheme == QLatin1String("http") || scheme == QLatin1String("https") || scheme == QLatin1String("mailto");
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

// Pages, pictures and style sheets come out of the help file only. Anything
// else a page refers to (file:///dev/zero, a FIFO, a huge file) is never
// read: it would hang or exhaust the program. A refused resource is one
// blank, not nothing: for nothing the text document reads a local file
// itself.
QVariant HelpBrowser::loadResource(int type, const QUrl& name)
{
    (void)type;
    const QUrl resolved = name.isRelative() ? source().resolved(name) : name;
    if (isInsideHelpFile(resolved))
        return engine_->fileData(resolved);
    return QByteArray(" ");
}

// A page takes its links' colour from the palette as it is read.
void HelpBrowser::changeEvent(QEvent* event)
{
    QTextBrowser::changeEvent(event);
    if (event->type() == QEvent::PaletteChange && source().isValid())
        reload();
}

void HelpBrowser::followLink(const QUrl& link)
{
    const QUrl target = source().resolved(link);
    if (isInsideHelpFile(target))
        setSource(target);
    else if (isWebOrMailAddress(target))
        QDesktopServices::openUrl(target);
}
