// Sync tools' conflict copies of the list file: found beside it when the list
// is read and whenever the folder changes, told once each in the notice bar,
// and merged into the list in memory by project number on request (the bar's
// "Merge..." or File > Merge Conflict Copy...). A merged copy is moved into a
// backup folder beside the list, never deleted.
#include "app/tvantorel.h"

#include "ui_tvantorel.h"

#include "app/noticebar.h"
#include "common/displaytext.h"
#include "common/mergetexts.h"
#include "document/conflictcopymerge.h"
#include "document/mergebase.h"
#include "document/projectlistdocument.h"
#include "listfile/conflictcopies.h"
#include "listfile/listfileerror.h"

#include <QFileInfo>
#include <algorithm>

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

} // namespace

void TVantorel::wireConflictCopies()
{
    connect(ui_->MergeConflictCopy1, &QAction::triggered, this, &TVantorel::MergeConflictCopy1Click);
    connect(document_, &ProjectListDocument::listFolderChanged, this, &TVantorel::findConflictCopies);
    connect(document_, &ProjectListDocument::listFileChanged, this, [this] {
        toldCopies_.clear();
        noticeBar_->withdraw(conflictCopyNotice);
        findConflictCopies();
    });
    connect(document_, &ProjectListDocument::listFileSettled, this, &TVantorel::keepMergeBase);
}

void TVantorel::findConflictCopies()
{
    const std::string path = document_->currentListFile();
    conflictCopies_ = conflictCopiesBeside(path);
    ui_->MergeConflictCopy1->setEnabled(!conflictCopies_.empty());
    if (conflictCopies_.empty()) {
        noticeBar_->withdraw(conflictCopyNotice);
        return;
    }
    // From the first copy seen on, the list's saves are kept as the base of
    // a merge.
    if (!MergeBase::keptFor(path))
        MergeBase::keep(path, document_->baseLines());
    auto fresh = std::find_if(conflictCopies_.begin(), conflictCopies_.end(), [this](const std::string& copy) {
        return std::find(toldCopies_.begin(), toldCopies_.end(), copy) == toldCopies_.end();
    });
    if (fresh == conflictCopies_.end())
        return;
    const std::string copy = *fresh;
    toldCopies_.insert(toldCopies_.end(), fresh, conflictCopies_.end());
    noticeBar_->post(conflictCopyNotice, NoticeBar::Kind::Warning,
                     tr("A conflict copy of the %1 was found: %2").arg(listFileNamed(path), fileNameOf(copy)),
                     {{tr("Merge..."), [this, copy] { mergeConflictCopy(copy); }}});
}

void TVantorel::keepMergeBase()
{
    const std::string path = document_->currentListFile();
    if (MergeBase::keptFor(path))
        MergeBase::keep(path, document_->baseLines());
}

void TVantorel::MergeConflictCopy1Click()
{
    findConflictCopies();
    if (conflictCopies_.empty())
        return;
    std::string copy = conflictCopies_.front();
    if (conflictCopies_.size() > 1) {
        // Several: the user picks one in the list's folder.
        const QFileInfo list(displayText(document_->currentListFile()));
        FileDialogOptions options;
        options.title = tr("Merge Conflict Copy");
        options.filter = tr("Conflict copies|%1*|All files|*").arg(list.completeBaseName());
        options.initialFolder = list.absolutePath();
        options.fileName = fileNameOf(copy);
        const std::optional<QString> chosen = dialogs_->openFileName(options);
        if (!chosen)
            return;
        copy = storedBytes(*chosen);
        const QString listName = list.fileName();
        if (!isConflictCopyOf(storedBytes(QFileInfo(*chosen).fileName()), storedBytes(listName))) {
            dialogs_->showMessage(tr("%1 is no conflict copy of the %2")
                                      .arg(QFileInfo(*chosen).fileName(), listFileNamed(document_->currentListFile())));
            return;
        }
    }
    mergeConflictCopy(copy);
}

void TVantorel::mergeConflictCopy(const std::string& copyPath)
{
    const std::string path = document_->currentListFile();
    const QString copyName = fileNameOf(copyPath);
    runCommand([&] {
        const ConflictCopyMerge merge(*document_, copyPath, MergeBase::load(path));
        std::vector<ConflictChoice> choices;
        if (!merge.conflicts().empty()) {
            QList<ConflictRow> rows;
            for (const MergeConflict& conflict : merge.conflicts())
                rows.append({displayText(conflict.numberText), displayText(conflict.theirs),
                             displayText(conflict.ours)});
            const std::optional<QList<ConflictAnswer>> answers = dialogs_->resolveConflicts(
                tr("The conflict copy %1 and the list in memory hold these projects differently.\r"
                   "Theirs is the copy's, mine the list in memory's.")
                    .arg(copyName),
                rows);
            if (!answers)
                return;
            for (ConflictAnswer answer : *answers)
                choices.push_back(conflictChoiceFor(answer));
        }
        const CopyMergeCounts counts = merge.applyTo(*document_, choices);
        ShowListFile(path, false);
        showPage4Count();
        QStringList told;
        told << (counts.changedNothing()
                     ? tr("The conflict copy %1 held nothing that the list in memory lacks").arg(copyName)
                     : tr("The conflict copy %1 was merged into the list in memory: %2 added, %3 changed, %4 removed")
                           .arg(copyName)
                           .arg(counts.added)
                           .arg(counts.changed)
                           .arg(counts.removed));
        for (const MergeNotice& notice : counts.notices)
            told.last() += QStringLiteral("; ") + mergeNoticeText(notice);
        if (!counts.changedNothing())
            told << tr("Not saved yet: Finish saves it");
        // Merged, the copy goes out of the way, kept for a second look.
        try {
            moveIntoBackupFolder(copyPath, mergedCopiesFolder);
            told << tr("The copy was moved into the folder \"%1\" beside the list")
                        .arg(QString::fromUtf8(mergedCopiesFolder));
        } catch (const ListFileError& error) {
            told << listFileErrorText(error.what());
        }
        noticeBar_->withdraw(conflictCopyNotice);
        noticeBar_->post(copyMergedNotice, NoticeBar::Kind::Information, told.join(QStringLiteral(". ")));
        findConflictCopies();
    });
}
