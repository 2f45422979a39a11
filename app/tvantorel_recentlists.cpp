// The list files used last, at the end of the File menu, and a list file
// dropped on the window: both load as Load does.
#include "app/tvantorel.h"

#include "ui_tvantorel.h"

#include "app/recentlists.h"
#include "app/settingsstore.h"
#include "common/displaytext.h"
#include "document/projectlistdocument.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

#include <sys/stat.h>

namespace {

const QString recentGroup = QStringLiteral("Recent Lists");

QString recentKey(int index)
{
    return QStringLiteral("File%1").arg(index + 1);
}

} // namespace

void TVantorel::wireRecentLists()
{
    setAcceptDrops(true);
    ui_->File1->setToolTipsVisible(true);
    recentSeparator_ = new QAction(this);
    recentSeparator_->setSeparator(true);
    for (int i = 0; i < RecentLists::most; ++i) {
        auto* entry = new QAction(this);
        entry->setObjectName(QStringLiteral("RecentList%1").arg(i + 1));
        connect(entry, &QAction::triggered, this, [this, entry] { openRecentList(entry->data().toString()); });
        recentActions_ << entry;
    }
    // Like Load, they wait while a repair runs.
    connect(ui_->Load1, &QAction::changed, this, &TVantorel::showRecentLists);
    showRecentLists();
}

// The File menu ends with as many entries as there are lists, after a line.
void TVantorel::showRecentLists()
{
    ui_->File1->removeAction(recentSeparator_);
    for (QAction* entry : recentActions_)
        ui_->File1->removeAction(entry);
    if (!recentLists_.isEmpty())
        ui_->File1->addAction(recentSeparator_);
    for (int i = 0; i < recentLists_.size(); ++i) {
        QAction* entry = recentActions_[i];
        entry->setText(RecentLists::menuText(i, recentLists_[i]));
        entry->setToolTip(recentLists_[i]);
        entry->setData(recentLists_[i]);
        entry->setEnabled(ui_->Load1->isEnabled());
        ui_->File1->addAction(entry);
    }
}

void TVantorel::rememberRecentList(const std::string& path)
{
    const QString shown = displayText(path);
    if (shown.isEmpty())
        return;
    recentLists_ = RecentLists::withListUsed(recentLists_, QDir::cleanPath(QFileInfo(shown).absoluteFilePath()));
    showRecentLists();
}

void TVantorel::openRecentList(const QString& path)
{
    // A list that is gone is said so, and no longer offered; the list in use
    // stays what it was.
    if (!QFileInfo::exists(path)) {
        dialogs_->showMessage(tr("Cannot find list file %1").arg(path));
        recentLists_.removeAll(path);
        showRecentLists();
        return;
    }
    openListFile(path);
}

void TVantorel::openListFile(const QString& path)
{
    if (!settleUnsavedChanges())
        return;
    const std::string bytes = storedBytes(path);
    runCommand([&] {
        ShowListFile(bytes, true);
        document_->setCurrentListFile(bytes);
        offerRecovery();
    });
}

void TVantorel::readRecentLists(SettingsStore& store)
{
    const QMap<QString, QString> stored = store.readGroup(recentGroup);
    QStringList entries;
    for (int i = 0; i < RecentLists::most; ++i)
        entries << stored.value(recentKey(i));
    recentLists_ = RecentLists::usableEntries(entries);
    showRecentLists();
}

void TVantorel::writeRecentLists(SettingsStore& store)
{
    QMap<QString, QString> values;
    for (int i = 0; i < recentLists_.size(); ++i)
        values.insert(recentKey(i), recentLists_[i]);
    store.writeGroup(recentGroup, values);
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
