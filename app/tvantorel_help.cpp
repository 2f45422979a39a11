// Context help: the Help menu and the wizard's Help buttons.
#include "tvantorel.h"

#include "ui_tvantorel.h"

void TVantorel::wireHelp()
{
    connect(ui_->mainHelp, &QAction::triggered, this, &TVantorel::mainHelpClick);
    for (QPushButton* help : {ui_->HelpBtn, ui_->Button2, ui_->Help4})
        connect(help, &QPushButton::clicked, this, &TVantorel::mainHelpClick);
    connect(ui_->Help3, &QPushButton::clicked, this, &TVantorel::HelpBtnClick);
}

void TVantorel::pointHelpAt(const QString& helpFile)
{
    helpFile_ = helpFile;
}

void TVantorel::mainHelpClick() {}
void TVantorel::HelpBtnClick() {}
