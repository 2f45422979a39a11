// Undo and Redo of the changes applied to the list: two actions bound to the
// document's history of steps, which takes each back and puts it back
// exactly. The list view is refilled by Finish as always; page 4 follows each
// step, so the user sees what changed.
#include "app/tvantorel.h"

#include "ui_tvantorel.h"
#include "ui_wizardpages.h"

#include "common/displaytext.h"
#include "document/projectlistdocument.h"
#include "listfile/intconversion.h"
#include "wizard/recordeditor.h"
#include "wizard/wizardcontroller.h"
#include "wizard/wizardpages.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>

namespace {

QString stepText(const HistoryStep& step)
{
    const QString number = displayText(step.numberText);
    switch (step.kind) {
    case HistoryStep::Kind::ConflictCopy:
        return QCoreApplication::translate("TVantorel", "Merge Conflict Copy");
    case HistoryStep::Kind::Recovery:
        return QCoreApplication::translate("TVantorel", "Recover Changes");
    case HistoryStep::Kind::Remove:
        return QCoreApplication::translate("TVantorel", "Remove Project %1").arg(number);
    case HistoryStep::Kind::Put:
        break;
    }
    return QCoreApplication::translate("TVantorel", "Apply Changes to %1").arg(number);
}

} // namespace

void TVantorel::wireUndo()
{
    undoAction_ = new QAction(this);
    undoAction_->setObjectName(QStringLiteral("Undo1"));
    undoAction_->setShortcuts(QKeySequence::Undo);
    redoAction_ = new QAction(this);
    redoAction_->setObjectName(QStringLiteral("Redo1"));
    redoAction_->setShortcuts(QKeySequence::Redo);
    ui_->Projects1->addSeparator();
    ui_->Projects1->addAction(undoAction_);
    ui_->Projects1->addAction(redoAction_);
    connect(undoAction_, &QAction::triggered, this, &TVantorel::Undo1Click);
    connect(redoAction_, &QAction::triggered, this, &TVantorel::Redo1Click);
    connect(document_, &ProjectListDocument::historyChanged, this, &TVantorel::showUndoState);
    showUndoState();
    // Typing in a box of the window is undone there first, as in any editor.
    qApp->installEventFilter(this);
}

void TVantorel::showUndoState()
{
    const std::optional<HistoryStep> undo = document_->undoStep();
    const std::optional<HistoryStep> redo = document_->redoStep();
    undoAction_->setEnabled(undo.has_value());
    redoAction_->setEnabled(redo.has_value());
    undoAction_->setText(undo ? tr("&Undo %1").arg(stepText(*undo)) : tr("&Undo"));
    redoAction_->setText(redo ? tr("Re&do %1").arg(stepText(*redo)) : tr("Re&do"));
}

void TVantorel::Undo1Click()
{
    if (document_->canUndo())
        runCommand([&] { followOnPage4(*document_->undo()); });
}

void TVantorel::Redo1Click()
{
    if (document_->canRedo())
        runCommand([&] { followOnPage4(*document_->redo()); });
}

void TVantorel::followOnPage4(const HistoryStep& step)
{
    const int number = convertInteger(step.numberText).value;
    Ui::WizardPages& page = wizardPanel_->form();
    const bool page4Shown = wizardPanel_->isVisible() && wizardPanel_->currentWidget() == page.Page4;
    if (!page4Shown) {
        // The view is refilled by Finish, so the step is shown on page 4.
        wizardPages_->ShowWizard(mdEdit, 4, number);
        return;
    }
    const QString shown = page.Project->text();
    wizardPages_->showNumber(number);
    // The same number shown again still shows the project as it is now.
    if (page.Project->text() == shown)
        ProjectChange();
}

bool TVantorel::undoKeyGoesToList(QObject* watched, QEvent* event) const
{
    // A line edit takes Ctrl+Z for itself whether or not it has typing to
    // undo; with none, the key undoes the last change of the list instead.
    if (event->type() != QEvent::ShortcutOverride)
        return false;
    auto* edit = qobject_cast<QLineEdit*>(watched);
    if (!edit || edit->window() != this)
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->matches(QKeySequence::Undo))
        return !edit->isUndoAvailable();
    if (key->matches(QKeySequence::Redo))
        return !edit->isRedoAvailable();
    return false;
}
