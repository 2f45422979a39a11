// The keyboard: the desktop's standard shortcuts on the menu commands, Enter
// on a list item to edit it, and a key for the jump between list start and end.
#include "app/tvantorel.h"

#include "ui_tvantorel.h"

#include "app/optionspages.h"
#include "app/windowparts.h"
#include "app/windowwiring.h"
#include "wizard/wizardpages.h"

#include <QApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QShortcut>
#include <QTableView>

void wireKeyboard(TVantorel& window, WindowParts& parts)
{
    Ui::TVantorel* ui = parts.form;
    ui->Load1->setShortcuts(QKeySequence::Open);
    ui->Print1->setShortcuts(QKeySequence::Print);
    // Desktops without a quit key of their own (they close windows with
    // Alt+F4) still get the usual Ctrl+Q.
    const QList<QKeySequence> quitKeys = QKeySequence::keyBindings(QKeySequence::Quit);
    ui->Exit1->setShortcuts(quitKeys.isEmpty() ? QList<QKeySequence>{QKeySequence(Qt::CTRL | Qt::Key_Q)} : quitKeys);
    ui->Text1->setShortcuts(QKeySequence::Find);
    ui->InsertProject1->setShortcut(QKeySequence(Qt::Key_Insert));
    // The desktop's first delete key only (Del): its others (Ctrl+D) belong
    // to editing text.
    ui->RemoveProject1->setShortcut(QKeySequence(QKeySequence::Delete));
    // F1 in the window stays with the "What's this?" help, which takes the
    // key before any shortcut; the menu shows it as the desktop's help key.
    ui->mainHelp->setShortcuts(QKeySequence::HelpContents);

    // Enter edits the selected project only while the list has the focus: in
    // the wizard's boxes and buttons it keeps its own meaning.
    ui->EditProject1->setShortcuts({QKeySequence(Qt::Key_Enter), QKeySequence(Qt::Key_Return)});
    ui->EditProject1->setShortcutContext(Qt::WidgetShortcut);
    ui->Projects->addAction(ui->EditProject1);

    // Ctrl+Home and Ctrl+End stay with the list, which moves its current item.
    ui->InvertList->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_J));
    // The jump has no menu item: its button's tip tells its key.
    ui->InvertList->setToolTip(ui->InvertList->toolTip() + QStringLiteral(" (") +
                                ui->InvertList->shortcut().toString(QKeySequence::NativeText) + QLatin1Char(')'));

    // Tab leaves the list for the panel shown over it and the window's other
    // controls, instead of walking the list's cells.
    ui->Projects->setTabKeyNavigation(false);
    // Escape in a panel closes it as its Cancel or Close button does.
    auto* cancelWizard = new QShortcut(QKeySequence(Qt::Key_Escape), parts.wizardPanel);
    cancelWizard->setContext(Qt::WidgetWithChildrenShortcut);
    QObject::connect(cancelWizard, &QShortcut::activated, &window, &TVantorel::CancelWizardClick);
    auto* closeOptions = new QShortcut(QKeySequence(Qt::Key_Escape), parts.optionsPanel);
    closeOptions->setContext(Qt::WidgetWithChildrenShortcut);
    QObject::connect(closeOptions, &QShortcut::activated, &window, &TVantorel::CloseTabsClick);
    parts.wizardPanel->installEventFilter(&window);
    parts.optionsPanel->installEventFilter(&window);
}

bool handleKeyboardEvent(const WindowParts& parts, QObject* watched, QEvent* event)
{
    Ui::TVantorel* ui = parts.form;
    // A panel that closes with the keyboard in it gives the keyboard back to
    // the list, not to whatever control comes next in the window.
    if ((watched == parts.wizardPanel || watched == parts.optionsPanel) && event->type() == QEvent::Hide) {
        auto* panel = static_cast<QWidget*>(watched);
        if (panel->isAncestorOf(QApplication::focusWidget()))
            ui->Projects->setFocus(Qt::OtherFocusReason);
        return false;
    }
    // F2 edits the selected item's caption, also when a click last made the
    // description the current cell. (While a caption is edited, its editor
    // has the keys.)
    if (watched == ui->Projects && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_F2 &&
        static_cast<QKeyEvent*>(event)->modifiers() == Qt::NoModifier) {
        const QModelIndex current = ui->Projects->currentIndex();
        if (current.isValid())
            ui->Projects->edit(current.siblingAtColumn(0));
        return true;
    }
    return false;
}
