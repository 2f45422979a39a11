// The main window's guard over the list file: saves that would overwrite
// someone else's change ask first, changes of the file on disk are taken up
// while the window is idle, and projects applied or removed but not saved are
// asked about before the list in memory is replaced or the program closes.
#include "app/tvantorel.h"

#include "common/displaytext.h"
#include "document/changejournal.h"
#include "document/projectlistdocument.h"
#include "listfile/intconversion.h"
#include "wizard/wizardcontroller.h"
#include "wizard/wizardpages.h"

#include <QApplication>
#include <QLocale>
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
    connect(document_, &ProjectListDocument::journalFailed, this, [this](const QString& message) {
        dialogs_->showError(tr("%1\rThe changes are kept in memory only until they are saved").arg(message));
    });
}

void TVantorel::offerRecovery()
{
    const std::string path = document_->currentListFile();
    const std::optional<RecoverableChanges> changes = ChangeJournal::findRecoverable(path);
    if (!changes)
        return;
    QString question = tr("The changes to the %1 of %2 were not saved (%3 changes). Recover them ?")
                           .arg(listFileNamed(path), QLocale().toString(changes->started, QLocale::ShortFormat))
                           .arg(changes->operations.size());
    if (changes->fromOtherHost)
        question += tr("\rThey were made on %1.").arg(QString::fromStdString(changes->hostName));
    const MessageButton answer = dialogs_->ask(MessageKind::Confirmation, question,
                                               {MessageButton::Yes, MessageButton::No, MessageButton::Cancel});
    if (answer == MessageButton::Cancel)
        return;
    if (answer == MessageButton::No) {
        runCommand([&] { ChangeJournal::setAside(*changes); });
        return;
    }
    runCommand([&] {
        const std::vector<std::string> differing = document_->recover(*changes);
        ShowListFile(path, false);
        QStringList told;
        if (!differing.empty()) {
            QStringList numbers;
            for (const std::string& number : differing)
                numbers << displayText(number);
            told << tr("Projects %1 had changed in the list file since; the recovered changes were applied over them")
                        .arg(numbers.join(QStringLiteral(", ")));
        }
        if (changes->unreadable > 0)
            told << tr("%1 changes at the end of the journal could not be read").arg(changes->unreadable);
        told << tr("The recovered changes are not saved yet: look them over, then press Finish");
        dialogs_->showMessage(told.join(QLatin1Char('\r')));
        // Finish is on page 4: it opens on the first project recovered.
        if (!changes->operations.empty())
            wizardPages_->ShowWizard(mdEdit, 4, convertInteger(changes->operations.front().numberText).value);
    });
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
