#include "help/qthelpviewer.h"

#include "help/helpviewerwindow.h"
#include "help/popuptexts.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QHelpContentWidget>
#include <QHelpEngine>
#include <QHelpIndexWidget>
#include <QHelpLink>
#include <QSqlDatabase>
#include <QStandardPaths>
#include <QPointer>
#include <QTextDocument>
#include <QThread>
#include <QWhatsThis>

namespace {
const QString popupSeparator = QStringLiteral("::/");

QString stampOf(const QFileInfo& info)
{
    return QString::number(info.lastModified().toMSecsSinceEpoch()) + QLatin1Char(':') + QString::number(info.size());
}
} // namespace

std::unique_ptr<HtmlHelpViewer> QtHelpViewer::load()
{
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QSQLITE")))
        return nullptr;
    return std::make_unique<QtHelpViewer>();
}

QString QtHelpViewer::collectionFile()
{
    return QStandardPaths::writableLocation(QStandardPaths::CacheLocation) + QStringLiteral("/help/Quindle.qhc");
}

QtHelpViewer::QtHelpViewer() = default;

QtHelpViewer::~QtHelpViewer()
{
    // The window gives the engine's widgets back before the engine goes. Qt's
    // help engine leaves its contents and index widgets behind; they go last,
    // unless the engine took them with it.
    QPointer<QWidget> contents = engine_ ? engine_->contentWidget() : nullptr;
    QPointer<QWidget> index = engine_ ? engine_->indexWidget() : nullptr;
    // The engine builds its contents and index on threads of its own, and
    // deleting it while one of them runs corrupts memory (a crash on closing
    // the program just after opening help): they are let finish first. Our
    // help file takes them a moment.
    const QDeadlineTimer deadline(5000);
    while (engine_ && (engine_->contentModel()->isCreatingContents() || engine_->indexModel()->isCreatingIndex())
           && !deadline.hasExpired())
        QThread::msleep(2);
    delete window_.data();
    delete engine_.data();
    delete contents.data();
    delete index.data();
}

bool QtHelpViewer::ensureEngine()
{
    if (engine_)
        return true;
    const QString collection = collectionFile();
    if (!QDir().mkpath(QFileInfo(collection).absolutePath()))
        return false;
    auto* engine = new QHelpEngine(collection, QCoreApplication::instance());
    engine->setReadOnly(false);
    engine->setUsesFilterEngine(true);
    if (!engine->setupData()) {
        delete engine;
        return false;
    }
    engine_ = engine;
    return true;
}

QString QtHelpViewer::openHelpFile(const QString& qchFile)
{
    const QFileInfo info(qchFile);
    if (!info.isFile() || !ensureEngine())
        return QString();
    const QString path = info.absoluteFilePath();
    const QString ns = QHelpEngineCore::namespaceName(path);
    if (ns.isEmpty())
        return QString();
    const QString stampKey = QStringLiteral("quindle/stamp/") + ns;
    const QString stamp = stampOf(info);
    if (engine_->registeredDocumentations().contains(ns)) {
        // A rebuilt or moved help file replaces the registered one.
        if (engine_->documentationFileName(ns) == path && engine_->customValue(stampKey).toString() == stamp)
            return ns;
        engine_->unregisterDocumentation(ns);
    }
    if (!engine_->registerDocumentation(path))
        return QString();
    engine_->setCustomValue(stampKey, stamp);
    engine_->setupData();
    return ns;
}

HelpViewerWindow* QtHelpViewer::ensureWindow()
{
    if (!window_)
        window_ = new HelpViewerWindow(engine_);
    return window_;
}

quintptr QtHelpViewer::windowResult() const
{
    return reinterpret_cast<quintptr>(window_.data());
}

QHash<quint32, QString> QtHelpViewer::popupTexts(const QString& qchFile, const QString& innerFile)
{
    const QString ns = openHelpFile(qchFile);
    if (ns.isEmpty())
        return {};
    const QList<QUrl> files = engine_->files(ns, QString(), QString());
    for (const QUrl& url : files) {
        if (url.fileName().compare(innerFile.section(QLatin1Char('/'), -1), Qt::CaseInsensitive) == 0)
            return parsePopupTexts(engine_->fileData(url));
    }
    return {};
}

quintptr QtHelpViewer::HtmlHelp(QWidget* owner, const QString& file, int command, const QVariant& data)
{
    switch (command) {
    case HHCmd::DisplayToc:
        if (openHelpFile(file).isEmpty())
            return 0;
        ensureWindow()->showContents();
        return windowResult();
    case HHCmd::DisplayIndex:
        if (openHelpFile(file).isEmpty())
            return 0;
        ensureWindow()->showIndex(data.toString());
        return windowResult();
    case HHCmd::HelpContext:
        return showContext(file, data.toInt());
    case HHCmd::DisplayTextPopup:
        if (!data.canConvert<TextPopup>())
            return 0;
        return showPopup(owner, file, data.value<TextPopup>());
    case HHCmd::CloseAll:
        return closeAll();
    default:
        return 0;
    }
}

quintptr QtHelpViewer::showContext(const QString& file, qint32 context)
{
    const QString ns = openHelpFile(file);
    if (ns.isEmpty())
        return 0;
    const QList<QHelpLink> links = engine_->documentsForIdentifier(QString::number(context));
    for (const QHelpLink& link : links) {
        if (link.url.host() == ns) {
            ensureWindow()->showTopic(link.url);
            return windowResult();
        }
    }
    return 0;
}

quintptr QtHelpViewer::showPopup(QWidget* owner, const QString& file, const TextPopup& popup)
{
    QString text = popup.text;
    if (popup.stringId != 0) {
        const int split = file.indexOf(popupSeparator);
        if (split < 0)
            return 0;
        const QHash<quint32, QString> texts = popupTexts(file.left(split), file.mid(split + popupSeparator.size()));
        const auto found = texts.constFind(popup.stringId);
        if (found == texts.constEnd())
            return 0;
        text = *found;
    }
    // A new popup replaces the one on screen. An empty text still shows
    // an (empty) popup, as the help viewer does.
    // Popup texts are plain text: markup in a crafted help file, such as a
    // picture naming a local file, is shown as typed and never loaded.
    QWhatsThis::hideText();
    QWhatsThis::showText(popup.point,
                         text.isEmpty() ? QString(QChar::Nbsp) : Qt::convertFromPlainText(text, Qt::WhiteSpaceNormal),
                         owner);
    return 1;
}

quintptr QtHelpViewer::closeAll()
{
    QWhatsThis::hideText();
    if (window_)
        window_->close();
    return 1;
}
