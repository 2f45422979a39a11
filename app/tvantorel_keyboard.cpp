// The keyboard: the desktop's standard shortcuts on the menu commands, Enter
// on a list item to edit it, and a key for the jump between list start and end.
#include "app/tvantorel.h"

#include "ui_tvantorel.h"

#include "app/optionspages.h"
#include "wizard/wizardpages.h"

#include <QApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QShortcut>
#include <QTableView>

void TVantorel::wireKeyboard()
{
    ui_->Load1->setShortcuts(QKeySequence::Open);
    ui_->Print1->setShortcuts(QKeySequence::Print);
    // Desktops without a quit key of their own (they close windows with
    // Alt+F4) still get the usual Ctrl+Q.
    const QList<QKeySequence> quitKeys = QKeySequence::keyBindings(QKeySequence::Quit);
    ui_->Exit1->setShortcuts(quitKeys.isEmpty() ? QList<QKeySequence>{QKeySequence(Qt::CTRL | Qt::Key_Q)} : quitKeys);
    ui_->Text1->setShortcuts(QKeySequence::Find);
    ui_->InsertProject1->setShortcut(QKeySequence(Qt::Key_Insert));
    // The desktop's first delete key only (Del): its others (Ctrl+D) belong
    // to editing text.
    ui_->RemoveProject1->setShortcut(QKeySequence(QKeySequence::Delete));
    // F1 in the window stays with the "What's this?" help, which takes the
    // key before any shortcut; the menu shows it as the desktop's help key.
    ui_->mainHelp->setShortcuts(QKeySequence::HelpContents);

    // Enter edits the selected project only while the list has the focus: in
    // the wizard's boxes and buttons it keeps its own meaning.
    ui_->EditProject1->setShortcuts({QKeySequence(Qt::Key_Enter), QKeySequence(Qt::Key_Return)});
    ui_->EditProject1->setShortcutContext(Qt::WidgetShortcut);
    ui_->Projects->addAction(ui_->EditProject1);

    // Ctrl+Home and Ctrl+End stay with the list, which moves its current item.
    ui_->InvertList->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_J));
    // The jump has no menu item: its button's tip tells its key.
    ui_->InvertList->setToolTip(ui_->InvertList->toolTip() + QStringLiteral(" (") +
                                ui_->InvertList->shortcut().toString(QKeySequence::NativeText) + QLatin1Char(')'));

    // Tab leaves the list for the panel shown over it and the window's other
    // controls, instead of walking the list's cells.
    ui_->Projects->setTabKeyNavigation(false);
    // Escape in a panel closes it as its Cancel or Close button does.
    auto* cancelWizard = new QShortcut(QKeySequence(Qt::Key_Escape), wizardPanel_);
    cancelWizard->setContext(Qt::WidgetWithChildrenShortcut);
    connect(cancelWizard, &QShortcut::activated, this, &TVantorel::CancelWizardClick);
    auto* closeOptions = new QShortcut(QKeySequence(Qt::Key_Escape), optionsPanel_);
    closeOptions->setContext(Qt::WidgetWithChildrenShortcut);
    connect(closeOptions, &QShortcut::activated, this, &TVantorel::CloseTabsClick);
    wizardPanel_->installEventFilter(this);
    optionsPanel_->installEventFilter(this);
}

bool TVantorel::handleKeyboardEvent(QObject* watched, QEvent* event)
{
    // A panel that closes with the keyboard in it gives the keyboard back to
    // the list, not to whatever control comes next in the window.
    if ((watched == wizardPanel_ || watched == optionsPanel_) && event->type() == QEvent::Hide) {
        auto* panel = static_cast<QWidget*>(watched);
        if (panel->isAncestorOf(QApplication::focusWidget()))
            ui_->Projects->setFocus(Qt::OtherFocusReason);
        return false;
    }
    // F2 edits the selected item's caption, also when a click last made the
    // description the current cell. (While a caption is edited, its editor
    // has the keys.)
    if (watched == ui_->Projects && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_F2 &&
        static_cast<QKeyEvent*>(event)->modifiers() == Qt::NoModifier) {
        const QModelIndex current = ui_->Projects->currentIndex();
        if (current.isValid())
            ui_->Projects->edit(current.siblingAtColumn(0));
        return true;
    }
    return false;
}
