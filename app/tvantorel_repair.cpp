// The list repair commands of the main window.
#include "tvantorel.h"

#include "ui_tvantorel.h"

void TVantorel::wireRepair()
{
    connect(ui_->FixErrors1, &QAction::triggered, this, &TVantorel::FixErrors1Click);
    connect(ui_->ListFixBtn, &QAction::triggered, this, &TVantorel::FixErrors1Click);
}

void TVantorel::FixErrors1Click()
{
    RepairListFile();
}

void TVantorel::RepairListFile()
{
    // Built with the repair of badly laid-out lines.
}
