#include "app/listfileguard.h"

#include "app/listfiletexts.h"
#include "app/loadprogress.h"
#include "app/noticebar.h"
#include "app/windowsavequestions.h"
#include "common/commandhost.h"
#include "common/dialogs.h"
#include "common/displaytext.h"
#include "common/mergetexts.h"
#include "document/changejournal.h"
#include "document/projectlistdocument.h"
#include "listfile/intconversion.h"
#include "listfile/listfileerror.h"

#include <QCoreApplication>
#include <QLocale>
#include <QStringList>
#include <QTimer>
#include <functional>

namespace {

// The notice about the state of the list file itself (changed, deleted,
// unreadable): a newer state replaces it.
const QString listFileNotice = QStringLiteral("listfile");

} // namespace

ListFileGuard::ListFileGuard(ProjectListDocument& document, NoticeBar& notices, CommandHost& host, QObject* parent)
    : QObject(parent), document_(document), notices_(notices), host_(host), retry_(new QTimer(this))
{
    retry_->setSingleShot(true);
    retry_->setInterval(500);
    connect(retry_, &QTimer::timeout, this, &ListFileGuard::takeUpChangeOnDisk);
    connect(&document_, &ProjectListDocument::listFileChangedOnDisk, this, &ListFileGuard::takeUpChangeOnDisk);
    // What was told of another list file is no longer so.
    connect(&document_, &ProjectListDocument::listFileChanged, this, [this] { notices_.withdraw(listFileNotice); });
    connect(&document_, &ProjectListDocument::journalFailed, this, [this](const QString& message) {
        host_.dialogs().showError(
            QCoreApplication::translate("TVantorel", "%1\rThe changes are kept in memory only until they are saved")
                .arg(message));
    });
}

void ListFileGuard::tellUnreadableJournals(const std::string& path)
{
    const std::vector<std::string> setAside = ChangeJournal::setAsideUnreadable(path);
    if (setAside.empty())
        return;
    QStringList where;
    for (const std::string& journal : setAside)
        where << pathText(journal);
    host_.dialogs().showMessage(
        QCoreApplication::translate("TVantorel",
                                    "A journal of unsaved changes for the %1 could not be read. It was put aside as %2")
            .arg(listFileNamed(path), where.join(QLatin1Char('\r'))));
}

void ListFileGuard::offerRecovery()
{
    const std::string path = document_.currentListFile();
    tellUnreadableJournals(path);
    const std::optional<RecoverableChanges> changes = ChangeJournal::findRecoverable(path);
    if (!changes)
        return;
    QString question = QCoreApplication::translate(
                           "TVantorel", "The changes to the %1 of %2 were not saved (%3 changes). Recover them ?")
                           .arg(listFileNamed(path), QLocale().toString(changes->started, QLocale::ShortFormat))
                           .arg(changes->operations.size());
    if (changes->fromOtherHost)
        question += QCoreApplication::translate("TVantorel", "\rThey were made on %1.")
                        .arg(QString::fromStdString(changes->hostName));
    Dialogs& dialogs = host_.dialogs();
    const MessageButton answer = dialogs.ask(MessageKind::Confirmation, question,
                                             {MessageButton::Yes, MessageButton::No, MessageButton::Cancel});
    if (answer == MessageButton::Cancel)
        return;
    if (answer == MessageButton::No) {
        host_.runCommand([&] { ChangeJournal::setAside(*changes); });
        return;
    }
    host_.runCommand([&] {
        const std::vector<std::string> differing = document_.recover(*changes);
        QStringList told;
        if (!differing.empty()) {
            QStringList numbers;
            for (const std::string& number : differing)
                numbers << displayText(number);
            told << QCoreApplication::translate("TVantorel", "Projects %1 had changed in the list file since; the "
                                                             "recovered changes were applied over them")
                        .arg(numbers.join(QStringLiteral(", ")));
        }
        if (changes->unreadable > 0)
            told << QCoreApplication::translate("TVantorel", "%1 changes at the end of the journal could not be read")
                        .arg(changes->unreadable);
        told << QCoreApplication::translate("TVantorel",
                                            "The recovered changes are not saved yet: look them over, then press Finish");
        dialogs.showMessage(told.join(QLatin1Char('\r')));
        // Finish is on page 4: it opens on the first project recovered.
        if (!changes->operations.empty())
            emit recoveredToReview(convertInteger(changes->operations.front().numberText).value);
    });
}

bool ListFileGuard::saveList(bool recreateDeleted)
{
    const std::string path = document_.currentListFile();
    WindowSaveQuestions questions(host_.dialogs(), listFileNamed(path), recreateDeleted);
    const SaveResult result = document_.save(questions);
    if (result.status == SaveResult::Status::ReadOnlyFolder) {
        host_.dialogs().showMessage(
            QCoreApplication::translate("TVantorel",
                                        "%1 is in a folder where no lock can be made: the list is read-only for you\r"
                                        "Your changes are kept, not saved")
                .arg(listFileNamed(path)));
        return false;
    }
    if (result.status != SaveResult::Status::Saved)
        return false;
    // What the bar said of the file on disk (changed, deleted) is past now.
    notices_.withdraw(listFileNotice);
    emit saved(path);
    const QStringList told = mergeNoticeTexts(result.notices);
    if (!told.isEmpty())
        host_.dialogs().showMessage(told.join(QLatin1Char('\r')));
    return true;
}

bool ListFileGuard::settleUnsavedChanges()
{
    if (!document_.hasUnsavedChanges())
        return true;
    const MessageButton answer = host_.dialogs().ask(
        MessageKind::Confirmation,
        QCoreApplication::translate("TVantorel", "The changes to the %1 are not saved\rSave them first ?")
            .arg(listFileNamed(document_.currentListFile())),
        {MessageButton::Yes, MessageButton::No, MessageButton::Cancel});
    if (answer == MessageButton::No) {
        document_.dropUnsavedChanges();
        return true;
    }
    bool saved = false;
    if (answer == MessageButton::Yes)
        host_.runCommand([&] { saved = saveList(); });
    return saved;
}

void ListFileGuard::takeUpChangeOnDisk()
{
    if (!started_ || stopped_)
        return;
    if (waiting_ && !waiting_()) {
        retry_->start();
        return;
    }
    retry_->stop();
    switch (document_.listFileOnDisk()) {
    case DiskState::Unchanged:
        // Put back as it was: nothing left to tell.
        notices_.withdraw(listFileNotice);
        return;
    case DiskState::Deleted:
        tellListFileDeleted();
        return;
    case DiskState::Changed:
        readChangeOnDisk();
        return;
    }
}

void ListFileGuard::readChangeOnDisk()
{
    const std::string path = document_.currentListFile();
    const bool hadUnsavedChanges = document_.hasUnsavedChanges();
    DiskMergeResult merged;
    try {
        // Nothing of the user's is lost: with nothing unsaved the list is
        // read again, else theirs comes in under the unsaved changes. Page 4,
        // if open, goes on editing the list.
        // A long read shows its progress with Cancel, as a load does.
        LoadProgress progress(notices_.window(), QCoreApplication::translate("TVantorel", "Reading the %1 ...")
                                                     .arg(QCoreApplication::translate("TVantorel", "Project List %1")
                                                              .arg(displayText(path))));
        merged = document_.mergeFromDisk(std::ref(progress));
    } catch (const ListFileReadCancelled&) {
        notices_.post(listFileNotice, NoticeBar::Kind::Warning,
                      QCoreApplication::translate("TVantorel", "The %1 was changed on disk and not read again: the "
                                                               "list in memory is as it was")
                          .arg(listFileNamed(path)),
                      {{QCoreApplication::translate("TVantorel", "Reload"), [this] { takeUpChangeOnDisk(); }}});
        return;
    } catch (const ListFileError& error) {
        tellListFileUnreadable(listFileErrorText(error.what()));
        return;
    }
    notices_.withdraw(listFileNotice);
    if (!merged.changed || !hadUnsavedChanges)
        return;
    QStringList told;
    told << QCoreApplication::translate("TVantorel", "The %1 was changed on disk; its changes came into the list in "
                                                     "memory, and yours are kept, not saved yet")
                .arg(listFileNamed(path));
    if (merged.conflictsWaiting > 0)
        told << QCoreApplication::translate("TVantorel", "Projects changed on both sides keep your text for now and "
                                                         "will be asked about at Finish: %1")
                    .arg(merged.conflictsWaiting);
    told << mergeNoticeTexts(merged.notices);
    notices_.post(listFileNotice, NoticeBar::Kind::Information, told.join(QStringLiteral(". ")));
}

void ListFileGuard::tellListFileDeleted()
{
    notices_.post(listFileNotice, NoticeBar::Kind::Warning,
                  QCoreApplication::translate("TVantorel", "The %1 was deleted on disk")
                      .arg(listFileNamed(document_.currentListFile())),
                  {{QCoreApplication::translate("TVantorel", "Save here again"),
                    [this] { host_.runCommand([this] { saveList(true); }); }}});
}

void ListFileGuard::tellListFileUnreadable(const QString& error)
{
    notices_.post(listFileNotice, NoticeBar::Kind::Warning,
                  QCoreApplication::translate("TVantorel", "The %1 can no longer be read: %2")
                      .arg(listFileNamed(document_.currentListFile()), error),
                  {{QCoreApplication::translate("TVantorel", "Reload"), [this] { takeUpChangeOnDisk(); }}});
}
