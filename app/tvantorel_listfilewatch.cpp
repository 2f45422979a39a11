// The main window's guard over the list file: saves that would overwrite
// someone else's change ask first, changes of the file on disk are taken up
// while the window is idle, and projects applied or removed but not saved are
// asked about before the list in memory is replaced or the program closes.
#include "app/tvantorel.h"

#include "common/displaytext.h"
#include "document/projectlistdocument.h"
#include "wizard/wizardpages.h"

#include <QApplication>
#include <QTimer>

namespace {

QString listFileNamed(const std::string& path)
{
    return QCoreApplication::translate("TVantorel", "Project List %1").arg(displayText(path));
}

} // namespace

void TVantorel::wireListFileWatch()
{
    changeOnDiskRetry_ = new QTimer(this);
    changeOnDiskRetry_->setSingleShot(true);
    changeOnDiskRetry_->setInterval(500);
    connect(changeOnDiskRetry_, &QTimer::timeout, this, &TVantorel::takeUpChangeOnDisk);
    connect(document_, &ProjectListDocument::listFileChangedOnDisk, this, &TVantorel::takeUpChangeOnDisk);
}

bool TVantorel::mayOverwriteListFile()
{
    const QString list = listFileNamed(document_->currentListFile());
    switch (document_->listFileOnDisk()) {
    case DiskState::Unchanged:
        return true;
    case DiskState::Changed:
        return dialogs_->ask(MessageKind::Warning,
                             tr("%1 was changed by another program\r"
                                "Overwrite it with the list in memory ?")
                                 .arg(list),
                             {MessageButton::Ok, MessageButton::Cancel})
            == MessageButton::Ok;
    case DiskState::Deleted:
        return dialogs_->ask(MessageKind::Warning,
                             tr("%1 was deleted by another program\r"
                                "Create it again from the list in memory ?")
                                 .arg(list),
                             {MessageButton::Ok, MessageButton::Cancel})
            == MessageButton::Ok;
    }
    return false;
}

bool TVantorel::saveList()
{
    if (!mayOverwriteListFile())
        return false;
    document_->save();
    ShowListFile(document_->currentListFile(), false);
    return true;
}

bool TVantorel::settleUnsavedChanges()
{
    if (!document_->hasUnsavedChanges())
        return true;
    const MessageButton answer = dialogs_->ask(
        MessageKind::Confirmation,
        tr("The changes to the %1 are not saved\rSave them first ?").arg(listFileNamed(document_->currentListFile())),
        {MessageButton::Yes, MessageButton::No, MessageButton::Cancel});
    if (answer == MessageButton::No) {
        document_->dropUnsavedChanges();
        return true;
    }
    bool saved = false;
    if (answer == MessageButton::Yes)
        runCommand([&] { saved = saveList(); });
    return saved;
}

bool TVantorel::idleForChangeOnDisk() const
{
    return !repairRunning_ && wizardPanel_->isHidden() && !QApplication::activeModalWidget()
        && !QApplication::activePopupWidget();
}

void TVantorel::takeUpChangeOnDisk()
{
    // Before the start-up reads the list, or once the window has closed,
    // there is no list on screen to bring up to date.
    if (!firstActivationDone_ || closed_)
        return;
    if (!idleForChangeOnDisk()) {
        changeOnDiskRetry_->start();
        return;
    }
    changeOnDiskRetry_->stop();
    const DiskState state = document_->listFileOnDisk();
    if (state == DiskState::Unchanged)
        return;
    const std::string path = document_->currentListFile();
    if (document_->hasUnsavedChanges()) {
        dialogs_->showMessage((state == DiskState::Deleted
                                   ? tr("%1 was deleted by another program\r"
                                        "The changes in memory are kept, and saving them will ask you first")
                                   : tr("%1 was changed by another program\r"
                                        "The changes in memory are kept, and saving them will ask you first"))
                                  .arg(listFileNamed(path)));
        return;
    }
    // Nothing of the user's would be lost: the list shows the file as it is
    // now (a deleted file is reported as missing and the list stays).
    runCommand([&] { ShowListFile(path, true); });
}
