// The list repair commands of the main window.
#include "app/tvantorel.h"

#include "ui_optionspages.h"
#include "ui_tvantorel.h"

#include "app/listrepaircommand.h"
#include "app/optionspages.h"
#include "app/windowhost.h"
#include "app/windowwiring.h"
#include "wizard/wizardpages.h"

void wireRepair(TVantorel& window, WindowParts& parts)
{
    Ui::TVantorel* ui = parts.form;
    // What changes the list in memory or the list file in use waits while a repair runs.
    parts.repair = new ListRepairCommand(*parts.document, *parts.listFileGuard, *parts.host, window,
                                    {ui->Load1, ui->New1, ui->Addproject1, ui->AddBtn, ui->InsertProject1,
                                     ui->InsertBtn, ui->EditProject1, ui->EditBtn, ui->RemoveProject1,
                                     ui->DeleteBtn, ui->FixErrors1, ui->ListFixBtn},
                                    {parts.wizardPanel}, *parts.optionsPanel->form().DisplayAllErrors, &window);
    QObject::connect(ui->FixErrors1, &QAction::triggered, &window, &TVantorel::FixErrors1Click);
    QObject::connect(ui->ListFixBtn, &QAction::triggered, &window, &TVantorel::FixErrors1Click);
}

void TVantorel::FixErrors1Click()
{
    host_->runCommand([this] { parts_.repair->run(); });
}
