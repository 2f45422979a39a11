// The main window's guard over the list file: saves that would overwrite
// someone else's change ask first, changes of the file on disk are taken up
// while no command runs (the wizard may be open) and told in the notice bar,
// never in a box that pops up by itself, and projects applied or removed but
// not saved are asked about before the list in memory is replaced or the
// program closes.
#include "app/tvantorel.h"

#include "ui_tvantorel.h"
#include "ui_wizardpages.h"

#include "app/noticebar.h"
#include "common/displaytext.h"
#include "document/changejournal.h"
#include "document/projectlistdocument.h"
#include "listfile/intconversion.h"
#include "listfile/listfileerror.h"
#include "listfile/listedit.h"
#include "common/dialogs.h"
#include "common/mergetexts.h"
#include "wizard/wizardcontroller.h"
#include "wizard/wizardpages.h"

#include <QApplication>
#include <algorithm>
#include <QLocale>
#include <QLayout>
#include <QTableView>
#include <QTimer>

namespace {

// The notice about the state of the list file itself (changed, deleted,
// unreadable): a newer state replaces it.
const QString listFileNotice = QStringLiteral("listfile");
QString projectText(std::string_view line)
{
    return displayText(storedDescription(line), lineCoding(line));
}

// The save's questions as the window asks them.
class WindowSaveQuestions : public SaveQuestions {
public:
    // recreateDeleted: the user asked to save the list where it was deleted,
    // so that is not asked again.
    WindowSaveQuestions(Dialogs& dialogs, QString list, bool recreateDeleted = false)
        : dialogs_(dialogs), list_(std::move(list)), recreateDeleted_(recreateDeleted)
    {
    }

    // A host the lock file does not name is left out, not shown as a blank.
    bool waitForLock(const LockHolder& holder, const std::function<bool()>& finished) override
    {
        const QString text = holder.host.isEmpty()
            ? QCoreApplication::translate("TVantorel", "Waiting for the %1: in use by %2 since %3")
                  .arg(list_, holder.user, when(holder.since))
            : QCoreApplication::translate("TVantorel", "Waiting for the %1: in use by %2 on %3 since %4")
                  .arg(list_, holder.user, holder.host, when(holder.since));
        return dialogs_.waitUntil(text, finished);
    }
    bool waitForSave(const std::function<bool()>& finished) override
    {
        return dialogs_.waitUntil(QCoreApplication::translate("TVantorel", "Saving the %1 ...").arg(list_), finished);
    }
    bool takeOverStaleLock(const LockHolder& holder) override
    {
        const QString text = holder.host.isEmpty()
            ? QCoreApplication::translate("TVantorel",
                                          "The %1 has been locked by %2 since %3, longer than a save takes: that "
                                          "program may have stopped\rTake over its lock and save ?")
                  .arg(list_, holder.user, when(holder.since))
            : QCoreApplication::translate("TVantorel",
                                          "The %1 has been locked by %2 on %3 since %4, longer than "
                                          "a save takes: that program may have stopped\r"
                                          "Take over its lock and save ?")
                  .arg(list_, holder.user, holder.host, when(holder.since));
        return dialogs_.ask(MessageKind::Warning, text, {MessageButton::Yes, MessageButton::Cancel}) == MessageButton::Yes;
    }
    bool createDeletedFile() override
    {
        return recreateDeleted_ || dialogs_.ask(MessageKind::Warning,
                            QCoreApplication::translate("TVantorel",
                                                        "%1 was deleted by another program\r"
                                                        "Create it again from the list in memory ?")
                                .arg(list_),
                            {MessageButton::Ok, MessageButton::Cancel})
            == MessageButton::Ok;
    }
    bool writeThroughNewLink(const std::string& target) override
    {
        return dialogs_.ask(MessageKind::Warning,
                            QCoreApplication::translate("TVantorel",
                                                        "%1 was changed by another program: it is now a link to %2\r"
                                                        "Overwrite %2 ?")
                                .arg(list_, displayText(target)),
                            {MessageButton::Ok, MessageButton::Cancel})
            == MessageButton::Ok;
    }
    std::optional<std::vector<ConflictChoice>> resolveConflicts(const std::vector<MergeConflict>& conflicts) override
    {
        QList<ConflictRow> rows;
        for (const MergeConflict& conflict : conflicts)
            rows.append({displayText(conflict.numberText), projectText(conflict.theirs), projectText(conflict.ours)});
        const auto answers = dialogs_.resolveConflicts(
            QCoreApplication::translate("TVantorel",
                                        "Both you and someone else changed these projects of the %1 since it was "
                                        "last read or saved\rChoose the text to keep for each project")
                .arg(list_),
            rows);
        if (!answers || answers->size() != rows.size())
            return std::nullopt;
        std::vector<ConflictChoice> choices;
        for (ConflictAnswer answer : *answers)
            choices.push_back(conflictChoiceFor(answer));
        return choices;
    }

private:
    static QString when(const QDateTime& since)
    {
        const QLocale locale;
        return since.date() == QDate::currentDate() ? locale.toString(since.time(), QLocale::ShortFormat)
                                                    : locale.toString(since, QLocale::ShortFormat);
    }

    Dialogs& dialogs_;
    QString list_;
    bool recreateDeleted_;
};

} // namespace

void TVantorel::wireListFileWatch()
{
    changeOnDiskRetry_ = new QTimer(this);
    changeOnDiskRetry_->setSingleShot(true);
    changeOnDiskRetry_->setInterval(500);
    connect(changeOnDiskRetry_, &QTimer::timeout, this, &TVantorel::takeUpChangeOnDisk);
    connect(document_, &ProjectListDocument::listFileChangedOnDisk, this, &TVantorel::takeUpChangeOnDisk);
    // What was told of another list file is no longer so.
    connect(document_, &ProjectListDocument::listFileChanged, this, [this] { noticeBar_->withdraw(listFileNotice); });

    noticeBar_ = new NoticeBar(ui_->centralwidget);
    connect(noticeBar_, &NoticeBar::sizeChanged, this, &TVantorel::layOutListArea);
    connect(document_, &ProjectListDocument::journalFailed, this, [this](const QString& message) {
        dialogs_->showError(tr("%1\rThe changes are kept in memory only until they are saved").arg(message));
    });
}

void TVantorel::offerRecovery()
{
    const std::string path = document_->currentListFile();
    tellUnreadableJournals(path);
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

void TVantorel::tellUnreadableJournals(const std::string& path)
{
    const std::vector<std::string> setAside = ChangeJournal::setAsideUnreadable(path);
    if (setAside.empty())
        return;
    QStringList where;
    for (const std::string& journal : setAside)
        where << pathText(journal);
    dialogs_->showMessage(tr("A journal of unsaved changes for the %1 could not be read. It was put aside as %2")
                              .arg(listFileNamed(path), where.join(QLatin1Char('\r'))));
}

bool TVantorel::saveList()
{
    return saveList(false);
}

bool TVantorel::saveList(bool recreateDeleted)
{
    const std::string path = document_->currentListFile();
    WindowSaveQuestions questions(*dialogs_, listFileNamed(path), recreateDeleted);
    const SaveResult result = document_->save(questions);
    if (result.status == SaveResult::Status::ReadOnlyFolder) {
        dialogs_->showMessage(tr("%1 is in a folder where no lock can be made: the list is read-only for you\r"
                                 "Your changes are kept, not saved")
                                  .arg(listFileNamed(path)));
        return false;
    }
    if (result.status != SaveResult::Status::Saved)
        return false;
    // What the bar said of the file on disk (changed, deleted) is past now.
    noticeBar_->withdraw(listFileNotice);
    ShowListFile(path, false);
    rememberRecentList(path);
    const QStringList told = mergeNoticeTexts(result.notices);
    if (!told.isEmpty())
        dialogs_->showMessage(told.join(QLatin1Char('\r')));
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
    // Page 4 may stay open: it keeps its number and typed text across a
    // re-read. A caption being edited in place would lose its editor.
    const QList<QWidget*> editors = ui_->Projects->viewport()->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
    const bool captionEdited = std::any_of(editors.begin(), editors.end(), [](QWidget* e) { return e->isVisible(); });
    return !repairRunning_ && !QApplication::activeModalWidget() && !QApplication::activePopupWidget()
        && !captionEdited;
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
    switch (document_->listFileOnDisk()) {
    case DiskState::Unchanged:
        // Put back as it was: nothing left to tell.
        noticeBar_->withdraw(listFileNotice);
        return;
    case DiskState::Deleted:
        tellListFileDeleted();
        return;
    case DiskState::Changed:
        readChangeOnDisk();
        return;
    }
}

void TVantorel::readChangeOnDisk()
{
    const std::string path = document_->currentListFile();
    const bool hadUnsavedChanges = document_->hasUnsavedChanges();
    DiskMergeResult merged;
    try {
        // Nothing of the user's is lost: with nothing unsaved the list is
        // read again, else theirs comes in under the unsaved changes. Page 4,
        // if open, goes on editing the list.
        merged = document_->mergeFromDisk();
    } catch (const ListFileError& error) {
        tellListFileUnreadable(listFileErrorText(error.what()));
        return;
    }
    noticeBar_->withdraw(listFileNotice);
    if (!merged.changed)
        return;
    ShowListFile(path, false);
    showPage4Count();
    if (!hadUnsavedChanges)
        return;
    QStringList told;
    told << tr("The %1 was changed on disk; its changes came into the list in memory, and yours are kept, not "
               "saved yet")
                .arg(listFileNamed(path));
    if (merged.conflictsWaiting > 0)
        told << tr("Projects changed on both sides keep your text for now and will be asked about at Finish: %1")
                    .arg(merged.conflictsWaiting);
    told << mergeNoticeTexts(merged.notices);
    noticeBar_->post(listFileNotice, NoticeBar::Kind::Information, told.join(QStringLiteral(". ")));
}

void TVantorel::tellListFileDeleted()
{
    noticeBar_->post(listFileNotice, NoticeBar::Kind::Warning,
                     tr("The %1 was deleted on disk").arg(listFileNamed(document_->currentListFile())),
                     {{tr("Save here again"), [this] { runCommand([this] { saveList(true); }); }}});
}

void TVantorel::tellListFileUnreadable(const QString& error)
{
    noticeBar_->post(listFileNotice, NoticeBar::Kind::Warning,
                     tr("The %1 can no longer be read: %2").arg(listFileNamed(document_->currentListFile()), error),
                     {{tr("Reload"), [this] { takeUpChangeOnDisk(); }}});
}

void TVantorel::showPage4Count()
{
    if (!wizardPanel_->isHidden())
        wizardPanel_->form().Pros->setText(
            QCoreApplication::translate("RecordEditor", "%1 Projects").arg(document_->lines().size()));
}

void TVantorel::layOutListArea()
{
    const QRect area = ui_->centralwidget->rect();
    int top = 0;
    if (noticeBar_ && !noticeBar_->isHidden()) {
        // The message wraps in a large font or a narrow window: as high as
        // its lines need at the width there is.
        QLayout* layout = noticeBar_->layout();
        layout->activate();
        const int height = layout->hasHeightForWidth() ? layout->totalHeightForWidth(area.width())
                                                       : layout->totalSizeHint().height();
        noticeBar_->setGeometry(0, 0, area.width(), qMax(height, layout->totalMinimumSize().height()));
        noticeBar_->raise();
        top = noticeBar_->height();
    }
    ui_->Projects->setGeometry(area.adjusted(0, top, 0, 0));
}
