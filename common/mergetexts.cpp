#include "common/mergetexts.h"

#include <QCoreApplication>

QStringList mergeNoticeTexts(const std::vector<MergeNotice>& notices)
{
    const auto shown = [](const std::string& number) { return QString::fromLocal8Bit(number.data(), qsizetype(number.size())); };
    QStringList texts;
    for (const MergeNotice& notice : notices) {
        switch (notice.kind) {
        case MergeNotice::Kind::Renumbered:
            if (notice.keptBoth) {
                texts << QCoreApplication::translate("MergeNotices",
                                                     "Project %1 keeps the other text; yours is now project %2")
                             .arg(shown(notice.numberText), shown(notice.newNumberText));
                break;
            }
            texts << QCoreApplication::translate("MergeNotices",
                                                 "Project %1 was added by someone else meanwhile; yours is now project %2")
                         .arg(shown(notice.numberText), shown(notice.newNumberText));
            break;
        case MergeNotice::Kind::OurEditKeptOverTheirRemoval:
            texts << QCoreApplication::translate("MergeNotices",
                                                 "Project %1 was removed by someone else meanwhile; your edit keeps it in the list")
                         .arg(shown(notice.numberText));
            break;
        case MergeNotice::Kind::TheirEditKeptOverOurRemoval:
            texts << QCoreApplication::translate("MergeNotices",
                                                 "Project %1 was changed by someone else meanwhile; it stays in the list with "
                                                 "their text instead of being removed")
                         .arg(shown(notice.numberText));
            break;
        }
    }
    return texts;
}

ConflictChoice conflictChoiceFor(ConflictAnswer answer)
{
    switch (answer) {
    case ConflictAnswer::KeepTheirs:
        return ConflictChoice::KeepTheirs;
    case ConflictAnswer::KeepMine:
        return ConflictChoice::KeepMine;
    case ConflictAnswer::KeepBoth:
        break;
    }
    return ConflictChoice::KeepBoth;
}
