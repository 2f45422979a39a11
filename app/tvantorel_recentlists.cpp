// The list files used last, at the end of the File menu, and a list file
// dropped on the window: both load as Load does.
#include "app/tvantorel.h"

#include "ui_tvantorel.h"

#include "app/listfileguard.h"
#include "app/recentlistsmenu.h"
#include "common/displaytext.h"
#include "document/projectlistdocument.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QUrl>

#include <sys/stat.h>

void TVantorel::wireRecentLists()
{
    setAcceptDrops(true);
    recentLists_ = new RecentListsMenu(*ui_->File1, *ui_->Load1, *this, this);
    connect(recentLists_, &RecentListsMenu::openRequested, this, &TVantorel::openListFile);
}

void TVantorel::openListFile(const QString& path)
{
    if (!guard_->settleUnsavedChanges())
        return;
    const std::string bytes = storedBytes(path);
    runCommand([&] {
        // A missing file is said, and still becomes the list in use.
        openList(bytes);
        document_->setCurrentListFile(bytes);
        guard_->offerRecovery();
    });
}

std::optional<QString> TVantorel::droppedListFile(const QMimeData* data)
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

namespace {

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
    QMetaObject::invokeMethod(this, [this, file = *path] { openListFile(file); }, Qt::QueuedConnection);
}
