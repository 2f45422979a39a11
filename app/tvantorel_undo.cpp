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
#include "app/windowhost.h"
#include "app/windowparts.h"
#include "app/windowwiring.h"
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

void showUndoState(const WindowParts& parts)
{
    const std::optional<HistoryStep> undo = parts.document->undoStep();
    const std::optional<HistoryStep> redo = parts.document->redoStep();
    parts.undoAction->setEnabled(undo.has_value());
    parts.redoAction->setEnabled(redo.has_value());
    parts.undoAction->setText(undo ? QCoreApplication::translate("TVantorel", "&Undo %1").arg(stepText(*undo))
                                   : QCoreApplication::translate("TVantorel", "&Undo"));
    parts.redoAction->setText(redo ? QCoreApplication::translate("TVantorel", "Re&do %1").arg(stepText(*redo))
                                   : QCoreApplication::translate("TVantorel", "Re&do"));
}

// Page 4 shows the project an undo or redo changed.
void followOnPage4(TVantorel& window, const WindowParts& parts, const HistoryStep& step)
{
    const int number = convertInteger(step.numberText).value;
    Ui::WizardPages& page = parts.wizardPanel->form();
    const bool page4Shown = parts.wizardPanel->isVisible() && parts.wizardPanel->currentWidget() == page.Page4;
    if (!page4Shown) {
        // The view is refilled by Finish, so the step is shown on page 4.
        parts.wizardPages->ShowWizard(mdEdit, 4, number);
        return;
    }
    const QString shown = page.Project->text();
    parts.wizardPages->showNumber(number);
    // The same number shown again still shows the project as it is now.
    if (page.Project->text() == shown)
        window.ProjectChange();
}

} // namespace

void wireUndo(TVantorel& window, WindowParts& parts)
{
    parts.undoAction = new QAction(&window);
    parts.undoAction->setObjectName(QStringLiteral("Undo1"));
    parts.undoAction->setShortcuts(QKeySequence::Undo);
    parts.redoAction = new QAction(&window);
    parts.redoAction->setObjectName(QStringLiteral("Redo1"));
    parts.redoAction->setShortcuts(QKeySequence::Redo);
    parts.form->Projects1->addSeparator();
    parts.form->Projects1->addAction(parts.undoAction);
    parts.form->Projects1->addAction(parts.redoAction);
    QObject::connect(parts.undoAction, &QAction::triggered, &window, &TVantorel::Undo1Click);
    QObject::connect(parts.redoAction, &QAction::triggered, &window, &TVantorel::Redo1Click);
    QObject::connect(parts.document, &ProjectListDocument::historyChanged, &window, [&parts] { showUndoState(parts); });
    showUndoState(parts);
}

void TVantorel::Undo1Click()
{
    if (parts_.document->canUndo())
        host_->runCommand([&] { followOnPage4(*this, parts_, *parts_.document->undo()); });
}

void TVantorel::Redo1Click()
{
    if (parts_.document->canRedo())
        host_->runCommand([&] { followOnPage4(*this, parts_, *parts_.document->redo()); });
}

bool undoKeyGoesToList(const QWidget& window, QObject* watched, QEvent* event)
{
    // A line edit takes Ctrl+Z for itself whether or not it has typing to
    // undo; with none, the key undoes the last change of the list instead.
    if (event->type() != QEvent::ShortcutOverride)
        return false;
    auto* edit = qobject_cast<QLineEdit*>(watched);
    if (!edit || edit->window() != &window)
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->matches(QKeySequence::Undo))
        return !edit->isUndoAvailable();
    if (key->matches(QKeySequence::Redo))
        return !edit->isRedoAvailable();
    return false;
}
