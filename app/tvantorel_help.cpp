// Context help: the Help menu and the wizard's Help buttons; the router and
// the "What's this?" gestures are the window's ContextHelp.
#include "app/tvantorel.h"

#include "ui_tvantorel.h"
#include "ui_wizardpages.h"

#include "wizard/wizardpages.h"

#include "app/contexthelp.h"
#include "help/helpcommands.h"

void TVantorel::wireHelp()
{
    connect(ui_->mainHelp, &QAction::triggered, this, &TVantorel::mainHelpClick);
    for (QPushButton* help : {wizardPanel_->form().HelpBtn, wizardPanel_->form().Button2, wizardPanel_->form().Help4})
        connect(help, &QPushButton::clicked, this, &TVantorel::mainHelpClick);
    connect(wizardPanel_->form().Help3, &QPushButton::clicked, this, &TVantorel::HelpBtnClick);
    contextHelp_ = std::make_unique<ContextHelp>(*this, *this);
    // A second main window in the same process reports the error and goes
    // on without a router of its own.
    runCommand([this] { contextHelp_->start(); });
}

void TVantorel::mainHelpClick()
{
    if (!contextHelp_->helpFileFound())
        return;
    QObject* origin = sender();
    if (origin == ui_->mainHelp)
        HelpCommand(HelpCmd::Finder, 0);
    if (auto* button = qobject_cast<QPushButton*>(origin))
        HelpContext(button->property("HelpContext").toInt());
}

// The Help button of wizard page 3 opens the wizard's topic like the others.
void TVantorel::HelpBtnClick()
{
    if (!contextHelp_->helpFileFound())
        return;
    HelpContext(wizardPanel_->form().Help3->property("HelpContext").toInt());
}
