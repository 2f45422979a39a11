// Context help: the Help menu and the wizard's Help buttons; the router and
// the "What's this?" gestures are the window's ContextHelp.
#include "app/tvantorel.h"

#include "ui_tvantorel.h"
#include "ui_wizardpages.h"

#include "wizard/wizardpages.h"

#include "app/contexthelp.h"
#include "app/windowhost.h"
#include "app/windowwiring.h"
#include "help/helpcommands.h"

void wireHelp(TVantorel& window, WindowParts& parts)
{
    Ui::WizardPages& wizard = parts.wizardPanel->form();
    QObject::connect(parts.form->mainHelp, &QAction::triggered, &window, &TVantorel::mainHelpClick);
    for (QPushButton* help : {wizard.HelpBtn, wizard.Button2, wizard.Help4})
        QObject::connect(help, &QPushButton::clicked, &window, &TVantorel::mainHelpClick);
    QObject::connect(wizard.Help3, &QPushButton::clicked, &window, &TVantorel::HelpBtnClick);
    // A second main window in the same process reports the error and goes
    // on without a router of its own.
    ContextHelp* help = parts.contextHelp;
    parts.host->runCommand([help] { help->start(); });
}

void TVantorel::mainHelpClick()
{
    if (!parts_.contextHelp->helpFileFound())
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
    if (!parts_.contextHelp->helpFileFound())
        return;
    HelpContext(parts_.wizardPanel->form().Help3->property("HelpContext").toInt());
}
