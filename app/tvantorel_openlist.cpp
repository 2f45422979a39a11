// Opening a list file: Load, the list files used last at the end of the
// File menu, and a list file dropped on the window all load as Load does.
// The view follows the document whenever the list became another one.
#include "app/tvantorel.h"

#include "ui_tvantorel.h"

#include "app/recentlistsmenu.h"
#include "app/windowhost.h"
#include "app/windowwiring.h"
#include "common/dialogs.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QUrl>

#include <optional>

#include <sys/stat.h>

namespace {

// The one plain file a drag carries, or nothing: several files, a folder, a
// pipe, a device or text are no list to open.
std::optional<QString> droppedListFile(const QMimeData* data)
{
    if (!data || !data->hasUrls())
        return std::nullopt;
    const QList<QUrl> urls = data->urls();
    if (urls.size() != 1 || !urls.first().isLocalFile())
        return std::nullopt;
    const QString path = urls.first().toLocalFile();
    // Looked at, never opened: opening a pipe would wait for a writer.
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;
    return path;
}

// The file is only read: the drag's source must never take it for moved.
bool acceptAsCopy(QDropEvent* event)
{
    if (!(event->possibleActions() & Qt::CopyAction))
        return false;
    event->setDropAction(Qt::CopyAction);
    event->accept();
    return true;
}

} // namespace

void TVantorel::Load1Click()
{
    FileDialogOptions options;
    options.title = tr("ARDLOW PROJECTS");
    options.filter = tr("Ardlow Project File [*.txt]|*.txt");
    options.defaultExtension = QStringLiteral("txt");
    options.fileName = parts_.openDialogFileName;
    // The dialog does not insist on an existing file: choosing a missing one
    // makes it the list in use (and reports it missing).
    options.mustExist = false;
    const std::optional<QString> chosen = host_->dialogs().openFileName(options);
    if (!chosen)
        return;
    parts_.openDialogFileName = *chosen;
    host_->openListFile(*chosen);
}

void wireRecentLists(TVantorel& window, WindowParts& parts)
{
    window.setAcceptDrops(true);
    parts.recentLists = new RecentListsMenu(*parts.form->File1, *parts.form->Load1, *parts.host, &window);
    WindowHost* host = parts.host;
    QObject::connect(parts.recentLists, &RecentListsMenu::openRequested, &window,
                     [host](const QString& path) { host->openListFile(path); });
}

void TVantorel::dragEnterEvent(QDragEnterEvent* event)
{
    if (!ui_->Load1->isEnabled() || !droppedListFile(event->mimeData()) || !acceptAsCopy(event))
        event->ignore();
}

void TVantorel::dragMoveEvent(QDragMoveEvent* event)
{
    if (!ui_->Load1->isEnabled() || !droppedListFile(event->mimeData()) || !acceptAsCopy(event))
        event->ignore();
}

void TVantorel::dropEvent(QDropEvent* event)
{
    const std::optional<QString> path = droppedListFile(event->mimeData());
    if (!ui_->Load1->isEnabled() || !path || !acceptAsCopy(event)) {
        event->ignore();
        return;
    }
    // Loaded once the drag is over: its questions must not keep the drag's
    // source waiting.
    QMetaObject::invokeMethod(this, [this, file = *path] { host_->openListFile(file); }, Qt::QueuedConnection);
}
