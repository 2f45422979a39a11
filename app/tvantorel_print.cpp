// Printing the project list.
#include "tvantorel.h"

#include "ui_tvantorel.h"

void TVantorel::wirePrinting()
{
    connect(ui_->Print1, &QAction::triggered, this, &TVantorel::Print1Click);
    connect(ui_->printerBtn, &QAction::triggered, this, &TVantorel::Print1Click);
    connect(ui_->PrinterSetup1, &QAction::triggered, this, &TVantorel::PrintSetupClick);
    connect(ui_->PrintSetup, &QPushButton::clicked, this, &TVantorel::PrintSetupClick);
}

void TVantorel::Print1Click() {}
void TVantorel::PrintSetupClick() {}
