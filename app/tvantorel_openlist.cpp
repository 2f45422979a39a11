// Opening a list file: Load, the list files used last at the end of the
// File menu, and a list file dropped on the window all load as Load does.
// The view follows the document whenever the list became another one.
#include "app/tvantorel.h"

#include "ui_tvantorel.h"

#include "app/listfileguard.h"
#include "app/loadprogress.h"
#include "app/projectlistmodel.h"
#include "app/recentlistsmenu.h"
#include "common/displaytext.h"
#include "document/projectlistdocument.h"

#include <QDragEnterEvent>
#include <QFileInfo>
#include <QLabel>
#include <QTableView>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QUrl>

#include <sys/stat.h>

namespace {

// Whether a list file of that name exists. A name that is no UTF-8 is looked
// up by its own bytes: a QString would not carry them.
bool listFileExists(const std::string& path)
{
    const QString name = QFile::decodeName(QByteArray::fromStdString(path));
    if (QFile::encodeName(name).toStdString() == path)
        return QFileInfo::exists(name);
    struct stat info {};
    return path.find('\0') == std::string::npos && ::stat(path.c_str(), &info) == 0;
}

} // namespace

bool TVantorel::openList(const std::string& path)
{
    if (!listFileExists(path)) {
        dialogs_->showMessage(tr("Cannot find list file %1").arg(pathText(path)));
        return false;
    }
    LoadProgress progress(this, tr("Reading the %1 ...").arg(listFileNamed(path)));
    // The view follows the document.
    document_->load(path, std::ref(progress));
    recentLists_->remember(path);
    return true;
}

void TVantorel::refillView()
{
    const LineList& lines = document_->lines();
    statusPanel(1)->setText(QString::number(lines.size()));
    model_->fill(lines);
    widenNumberColumnFor(lines);
    // A refilled view shows its first rows, as a view filled anew does.
    ui_->Projects->scrollToTop();
    if (!lines.empty()) {
        ui_->Print1->setEnabled(true);
        ui_->PrintPreview1->setEnabled(true);
        ui_->printerBtn->setEnabled(true);
    }
}

void TVantorel::Load1Click()
{
    FileDialogOptions options;
    options.title = tr("ARDLOW PROJECTS");
    options.filter = tr("Ardlow Project File [*.txt]|*.txt");
    options.defaultExtension = QStringLiteral("txt");
    options.fileName = openDialogFileName_;
    // The dialog does not insist on an existing file: choosing a missing one
    // makes it the list in use (and reports it missing).
    options.mustExist = false;
    const std::optional<QString> chosen = dialogs_->openFileName(options);
    if (!chosen)
        return;
    openDialogFileName_ = *chosen;
    openListFile(*chosen);
}

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
