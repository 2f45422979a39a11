// The keyboard: the desktop's standard shortcuts on the menu commands, Enter
// on a list item to edit it, and a key for the jump between list start and end.
#include "app/tvantorel.h"

#include "ui_tvantorel.h"

#include <QKeySequence>

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
}
