// Undo and Redo of the changes applied to the list: each "Apply Changes" and
// "Remove Project" is a command on the window's undo stack, taken back and
// put back by the list document exactly. The list view is refilled by Finish
// as always; page 4 follows each step, so the user sees what changed.
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
#include <QUndoStack>

namespace {

QString commandText(const AppliedOperation& applied)
{
    if (!applied.batch.empty())
        return applied.batchKind == AppliedOperation::Batch::ConflictCopy
            ? QCoreApplication::translate("TVantorel", "Merge Conflict Copy")
            : QCoreApplication::translate("TVantorel", "Recover Changes");
    const ListOperation& op = applied.operation;
    const QString number = displayText(op.numberText);
    return op.kind == ListOperation::Kind::Remove
        ? QCoreApplication::translate("TVantorel", "Remove Project %1").arg(number)
        : QCoreApplication::translate("TVantorel", "Apply Changes to %1").arg(number);
}

// One operation on the list. It was applied before it came onto the stack,
// so the stack's first redo has nothing to do.
class ListOperationCommand : public QUndoCommand {
public:
    ListOperationCommand(ProjectListDocument& document, AppliedOperationPtr applied,
                         std::function<void(const ListOperation&)> follow)
        : QUndoCommand(commandText(*applied)), document_(document), applied_(std::move(applied)),
          follow_(std::move(follow))
    {
    }
    void undo() override
    {
        document_.undo(*applied_);
        follow_(applied_->operation);
    }
    void redo() override
    {
        if (firstRedo_) {
            firstRedo_ = false;
            return;
        }
        document_.redo(*applied_);
        follow_(applied_->operation);
    }

private:
    ProjectListDocument& document_;
    AppliedOperationPtr applied_;
    std::function<void(const ListOperation&)> follow_;
    bool firstRedo_ = true;
};

} // namespace

void TVantorel::wireUndo()
{
    undoStack_ = new QUndoStack(this);
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
    connect(undoStack_, &QUndoStack::indexChanged, this, &TVantorel::showUndoState);
    connect(undoStack_, &QUndoStack::cleanChanged, this, &TVantorel::showUndoState);
    showUndoState();

    connect(document_, &ProjectListDocument::operationApplied, this, [this](AppliedOperationPtr applied) {
        undoStack_->push(new ListOperationCommand(*document_, std::move(applied),
                                                  [this](const ListOperation& op) { followOnPage4(op); }));
    });
    connect(document_, &ProjectListDocument::historyReset, undoStack_, &QUndoStack::clear);
    // Typing in a box of the window is undone there first, as in any editor.
    qApp->installEventFilter(this);
}

void TVantorel::showUndoState()
{
    const bool canUndo = undoStack_->canUndo();
    const bool canRedo = undoStack_->canRedo();
    undoAction_->setEnabled(canUndo);
    redoAction_->setEnabled(canRedo);
    undoAction_->setText(canUndo ? tr("&Undo %1").arg(undoStack_->undoText()) : tr("&Undo"));
    redoAction_->setText(canRedo ? tr("Re&do %1").arg(undoStack_->redoText()) : tr("Re&do"));
}

void TVantorel::Undo1Click()
{
    if (undoStack_->canUndo())
        runCommand([&] { undoStack_->undo(); });
}

void TVantorel::Redo1Click()
{
    if (undoStack_->canRedo())
        runCommand([&] { undoStack_->redo(); });
}

void TVantorel::followOnPage4(const ListOperation& op)
{
    const int number = convertInteger(op.numberText).value;
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
