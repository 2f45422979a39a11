#include "help/helpbrowser.h"

#include <QDesktopServices>
#include <QHelpEngineCore>

HelpBrowser::HelpBrowser(QHelpEngineCore* engine, QWidget* parent) : QTextBrowser(parent), engine_(engine)
{
    setObjectName(QStringLiteral("HelpTopic"));
    // Links inside the help file stay here; others go to the desktop.
    setOpenLinks(false);
    connect(this, &QTextBrowser::anchorClicked, this, &HelpBrowser::followLink);
}

QVariant HelpBrowser::loadResource(int type, const QUrl& name)
{
    if (name.scheme() == QLatin1String("qthelp"))
        return engine_->fileData(name);
    return QTextBrowser::loadResource(type, name);
}

void HelpBrowser::followLink(const QUrl& link)
{
    const QUrl target = source().resolved(link);
    if (target.scheme() == QLatin1String("qthelp"))
        setSource(target);
    else
        QDesktopServices::openUrl(target);
}
