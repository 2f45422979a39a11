#include "app/conflictanswers.h"

#include "common/displaytext.h"

QList<ConflictRow> conflictRows(const std::vector<MergeConflict>& conflicts, MineSide mine,
                                const std::function<QString(std::string_view)>& text)
{
    QList<ConflictRow> rows;
    for (const MergeConflict& conflict : conflicts) {
        const QString ours = text(conflict.ours);
        const QString theirs = text(conflict.theirs);
        rows.append({displayText(conflict.numberText), mine == MineSide::Ours ? theirs : ours,
                     mine == MineSide::Ours ? ours : theirs});
    }
    return rows;
}

std::vector<ConflictChoice> conflictChoices(const QList<ConflictAnswer>& answers, MineSide mine)
{
    const ConflictChoice keepMine = mine == MineSide::Ours ? ConflictChoice::KeepMine : ConflictChoice::KeepTheirs;
    const ConflictChoice keepTheirs = mine == MineSide::Ours ? ConflictChoice::KeepTheirs : ConflictChoice::KeepMine;
    std::vector<ConflictChoice> choices;
    for (ConflictAnswer answer : answers)
        choices.push_back(answer == ConflictAnswer::KeepTheirs ? keepTheirs
                          : answer == ConflictAnswer::KeepMine ? keepMine
                                                               : ConflictChoice::KeepBoth);
    return choices;
}
