#include "app/windowsavequestions.h"

#include "common/dialogs.h"
#include "common/displaytext.h"
#include "common/mergetexts.h"
#include "listfile/listedit.h"

#include <QCoreApplication>
#include <QLocale>

namespace {

// Since when a lock is held: the time alone when it is today.
QString when(const QDateTime& since)
{
    const QLocale locale;
    return since.date() == QDate::currentDate() ? locale.toString(since.time(), QLocale::ShortFormat)
                                                : locale.toString(since, QLocale::ShortFormat);
}

QString projectText(std::string_view line)
{
    return displayText(storedDescription(line), lineCoding(line));
}

} // namespace

WindowSaveQuestions::WindowSaveQuestions(Dialogs& dialogs, QString list, bool recreateDeleted)
    : dialogs_(dialogs), list_(std::move(list)), recreateDeleted_(recreateDeleted)
{
}

// A host the lock file does not name is left out, not shown as a blank.
bool WindowSaveQuestions::waitForLock(const LockHolder& holder, const std::function<bool()>& finished)
{
    const QString text = holder.host.isEmpty()
        ? QCoreApplication::translate("TVantorel", "Waiting for the %1: in use by %2 since %3")
              .arg(list_, holder.user, when(holder.since))
        : QCoreApplication::translate("TVantorel", "Waiting for the %1: in use by %2 on %3 since %4")
              .arg(list_, holder.user, holder.host, when(holder.since));
    return dialogs_.waitUntil(text, finished);
}

bool WindowSaveQuestions::waitForSave(const std::function<bool()>& finished)
{
    return dialogs_.waitUntil(QCoreApplication::translate("TVantorel", "Saving the %1 ...").arg(list_), finished);
}

bool WindowSaveQuestions::takeOverStaleLock(const LockHolder& holder)
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

bool WindowSaveQuestions::createDeletedFile()
{
    return recreateDeleted_
        || dialogs_.ask(MessageKind::Warning,
                        QCoreApplication::translate("TVantorel",
                                                    "%1 was deleted by another program\r"
                                                    "Create it again from the list in memory ?")
                            .arg(list_),
                        {MessageButton::Ok, MessageButton::Cancel})
        == MessageButton::Ok;
}

bool WindowSaveQuestions::writeThroughNewLink(const std::string& target)
{
    return dialogs_.ask(MessageKind::Warning,
                        QCoreApplication::translate("TVantorel",
                                                    "%1 was changed by another program: it is now a link to %2\r"
                                                    "Overwrite %2 ?")
                            .arg(list_, displayText(target)),
                        {MessageButton::Ok, MessageButton::Cancel})
        == MessageButton::Ok;
}

std::optional<std::vector<ConflictChoice>>
WindowSaveQuestions::resolveConflicts(const std::vector<MergeConflict>& conflicts)
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
