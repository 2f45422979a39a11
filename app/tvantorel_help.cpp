// Help, the about box and the maker's links.
#include "tvantorel.h"

#include "ui_tvantorel.h"

void TVantorel::wireHelp()
{
    connect(ui_->mainHelp, &QAction::triggered, this, &TVantorel::mainHelpClick);
    for (QPushButton* help : {ui_->HelpBtn, ui_->Button2, ui_->Help4})
        connect(help, &QPushButton::clicked, this, &TVantorel::mainHelpClick);
    connect(ui_->Help3, &QPushButton::clicked, this, &TVantorel::HelpBtnClick);
    connect(ui_->About1, &QAction::triggered, this, &TVantorel::About1Click);
    connect(ui_->CorvaneonTheWeb1, &QAction::triggered, this, &TVantorel::CorvaneonTheWeb1Click);
    connect(ui_->ContactCorvane1, &QAction::triggered, this, &TVantorel::ContactCorvane1Click);
}

void TVantorel::pointAboutBoxAt(const QString& executablePath)
{
    Q_UNUSED(executablePath);
}

void TVantorel::pointHelpAt(const QString& helpFile)
{
    helpFile_ = helpFile;
}

QString TVantorel::executableVersion()
{
    // The version block is read once the about box can read it.
    return QString();
}

void TVantorel::mainHelpClick() {}
void TVantorel::HelpBtnClick() {}
void TVantorel::About1Click() {}
void TVantorel::CorvaneonTheWeb1Click() {}
void TVantorel::ContactCorvane1Click() {}
