#include "app/conflictcopyguard.h"

#include "app/listfiletexts.h"
#include "app/loadprogress.h"
#include "app/noticebar.h"
#include "common/commandhost.h"
#include "common/dialogs.h"
#include "common/displaytext.h"
#include "common/mergetexts.h"
#include "document/conflictcopymerge.h"
#include "document/mergebase.h"
#include "document/projectlistdocument.h"
#include "listfile/conflictcopies.h"
#include "listfile/listfileerror.h"

#include <QAction>
#include <QCoreApplication>
#include <QFileInfo>
#include <algorithm>
#include <functional>

namespace {

const QString conflictCopyNotice = QStringLiteral("conflictcopy");
// What a merge brought in: it stays while the copies come and go.
const QString copyMergedNotice = QStringLiteral("copymerged");
// Where merged copies go, beside the list.
const char mergedCopiesFolder[] = "Quindle merged copies";

QString fileNameOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return displayText(slash == std::string::npos ? path : path.substr(slash + 1));
}

QString mergeNoticeText(const MergeNotice& notice)
{
    const QString number = displayText(notice.numberText);
    switch (notice.kind) {
    case MergeNotice::Kind::TheirEditKeptOverOurRemoval:
    case MergeNotice::Kind::OurEditKeptOverTheirRemoval:
        return QCoreApplication::translate("TVantorel", "project %1 was edited on one side and removed on the "
                                                        "other: the edit was kept")
            .arg(number);
    case MergeNotice::Kind::Renumbered:
        return QCoreApplication::translate("TVantorel", "the copy's project %1 became project %2")
            .arg(number, displayText(notice.newNumberText));
    }
    return QString();
}

QString mergeReport(const QString& copyName, const CopyMergeCounts& counts)
{
    QString report = counts.changedNothing()
        ? QCoreApplication::translate("TVantorel", "The conflict copy %1 held nothing that the list in memory lacks")
              .arg(copyName)
        : QCoreApplication::translate("TVantorel", "The conflict copy %1 was merged into the list in memory: %2 "
                                                   "added, %3 changed, %4 removed")
              .arg(copyName)
              .arg(counts.added)
              .arg(counts.changed)
              .arg(counts.removed);
    for (const MergeNotice& notice : counts.notices)
        report += QStringLiteral("; ") + mergeNoticeText(notice);
    return report;
}

} // namespace

ConflictCopyGuard::ConflictCopyGuard(ProjectListDocument& document, NoticeBar& notices, CommandHost& host,
                                     QAction& mergeAction, QObject* parent)
    : QObject(parent), document_(document), notices_(notices), host_(host), mergeAction_(mergeAction)
{
    connect(&mergeAction_, &QAction::triggered, this, &ConflictCopyGuard::mergeChosenCopy);
    connect(&document_, &ProjectListDocument::listFolderChanged, this, &ConflictCopyGuard::findConflictCopies);
    connect(&document_, &ProjectListDocument::listFileChanged, this, [this] {
        toldCopies_.clear();
        notices_.withdraw(conflictCopyNotice);
        findConflictCopies();
    });
    // The list file in use read before it was ever looked beside (the one
    // the program starts with, say).
    connect(&document_, &ProjectListDocument::linesReloaded, this, [this] {
        if (document_.currentListFile() != lookedBeside_)
            findConflictCopies();
    });
    connect(&document_, &ProjectListDocument::listFileSettled, this, &ConflictCopyGuard::keepMergeBase);
}

void ConflictCopyGuard::findConflictCopies()
{
    const std::string path = document_.currentListFile();
    lookedBeside_ = path;
    copies_ = conflictCopiesBeside(path);
    mergeAction_.setEnabled(!copies_.empty());
    if (copies_.empty()) {
        notices_.withdraw(conflictCopyNotice);
        return;
    }
    // From the first copy seen on, the list's saves are kept as the base of
    // a merge.
    if (!MergeBase::keptFor(path))
        MergeBase::keep(path, document_.baseLines());
    auto fresh = std::find_if(copies_.begin(), copies_.end(), [this](const std::string& copy) {
        return std::find(toldCopies_.begin(), toldCopies_.end(), copy) == toldCopies_.end();
    });
    if (fresh == copies_.end())
        return;
    const std::string copy = *fresh;
    toldCopies_.insert(toldCopies_.end(), fresh, copies_.end());
    notices_.post(conflictCopyNotice, NoticeBar::Kind::Warning,
                  QCoreApplication::translate("TVantorel", "A conflict copy of the %1 was found: %2")
                      .arg(listFileNamed(path), fileNameOf(copy)),
                  {{QCoreApplication::translate("TVantorel", "Merge..."), [this, copy] { mergeConflictCopy(copy); }}});
}

void ConflictCopyGuard::keepMergeBase()
{
    const std::string path = document_.currentListFile();
    if (MergeBase::keptFor(path))
        MergeBase::keep(path, document_.baseLines());
}

void ConflictCopyGuard::mergeChosenCopy()
{
    findConflictCopies();
    if (copies_.empty())
        return;
    std::string copy = copies_.front();
    if (copies_.size() > 1) {
        // Several: the user picks one in the list's folder.
        const QFileInfo list(displayText(document_.currentListFile()));
        FileDialogOptions options;
        options.title = QCoreApplication::translate("TVantorel", "Merge Conflict Copy");
        options.filter = QCoreApplication::translate("TVantorel", "Conflict copies|%1*|All files|*")
                             .arg(list.completeBaseName());
        options.initialFolder = list.absolutePath();
        options.fileName = fileNameOf(copy);
        const std::optional<QString> chosen = host_.dialogs().openFileName(options);
        if (!chosen)
            return;
        copy = storedBytes(*chosen);
        const QString listName = list.fileName();
        if (!isConflictCopyOf(storedBytes(QFileInfo(*chosen).fileName()), storedBytes(listName))) {
            host_.dialogs().showMessage(QCoreApplication::translate("TVantorel", "%1 is no conflict copy of the %2")
                                            .arg(QFileInfo(*chosen).fileName(),
                                                 listFileNamed(document_.currentListFile())));
            return;
        }
    }
    mergeConflictCopy(copy);
}

void ConflictCopyGuard::mergeConflictCopy(const std::string& copyPath)
{
    const std::string path = document_.currentListFile();
    const QString copyName = fileNameOf(copyPath);
    host_.runCommand([&] {
        const ConflictCopyMerge merge = [&] {
            // A long read shows its progress with Cancel, as a load does; it
            // is gone before any question.
            LoadProgress progress(notices_.window(),
                                  QCoreApplication::translate("TVantorel", "Reading the conflict copy %1 ...").arg(copyName));
            return ConflictCopyMerge(document_, copyPath, MergeBase::load(path), std::ref(progress));
        }();
        if (!merge.copyIsProjectList()) {
            host_.dialogs().showMessage(QCoreApplication::translate("TVantorel",
                                                                    "The conflict copy %1 is no project list: nothing "
                                                                    "of it was merged, and it stays where it is")
                                            .arg(copyName));
            return;
        }
        std::vector<ConflictChoice> choices;
        if (!merge.conflicts().empty()) {
            // Told the user's way round: theirs is the copy's, ours the list in memory's.
            QList<ConflictRow> rows;
            for (const MergeConflict& conflict : merge.conflicts())
                rows.append({displayText(conflict.numberText), displayText(conflict.theirs),
                             displayText(conflict.ours)});
            const std::optional<QList<ConflictAnswer>> answers = host_.dialogs().resolveConflicts(
                QCoreApplication::translate("TVantorel", "The conflict copy %1 and the list in memory hold these "
                                                         "projects differently.\r"
                                                         "Theirs is the copy's, mine the list in memory's.")
                    .arg(copyName),
                rows);
            if (!answers)
                return;
            for (ConflictAnswer answer : *answers)
                choices.push_back(conflictChoiceFor(answer));
        }
        // The view follows the document.
        const CopyMergeCounts counts = merge.applyTo(document_, choices);
        QStringList told {mergeReport(copyName, counts)};
        if (!counts.changedNothing())
            told << QCoreApplication::translate("TVantorel", "Not saved yet: Finish saves it");
        // Merged, the copy goes out of the way, kept for a second look.
        try {
            moveIntoBackupFolder(copyPath, mergedCopiesFolder);
            told << QCoreApplication::translate("TVantorel", "The copy was moved into the folder \"%1\" beside the list")
                        .arg(QString::fromUtf8(mergedCopiesFolder));
        } catch (const ListFileError& error) {
            told << listFileErrorText(error.what());
        }
        notices_.withdraw(conflictCopyNotice);
        notices_.post(copyMergedNotice, NoticeBar::Kind::Information, told.join(QStringLiteral(". ")));
        findConflictCopies();
    });
}
