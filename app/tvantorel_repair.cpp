// The list repair commands of the main window.
#include "app/tvantorel.h"

#include "ui_optionspages.h"
#include "ui_tvantorel.h"

#include "app/listrepaircommand.h"
#include "app/optionspages.h"
#include "wizard/wizardpages.h"

void TVantorel::wireRepair()
{
    // What changes the list in memory or the list file in use waits while a repair runs.
    repair_ = new ListRepairCommand(*document_, *guard_, *this, *this,
                                    {ui_->Load1, ui_->New1, ui_->Addproject1, ui_->AddBtn, ui_->InsertProject1,
                                     ui_->InsertBtn, ui_->EditProject1, ui_->EditBtn, ui_->RemoveProject1,
                                     ui_->DeleteBtn, ui_->FixErrors1, ui_->ListFixBtn},
                                    {wizardPanel_}, *optionsPanel_->form().DisplayAllErrors, this);
    connect(ui_->FixErrors1, &QAction::triggered, this, &TVantorel::FixErrors1Click);
    connect(ui_->ListFixBtn, &QAction::triggered, this, &TVantorel::FixErrors1Click);
}

void TVantorel::FixErrors1Click()
{
    runCommand([this] { RepairListFile(); });
}

bool TVantorel::RepairListFile()
{
    return repair_->run();
}
