// Printing the project list: the commands, and the print options as the
// options pages and the font dialog set them.
#include "app/tvantorel.h"

#include "ui_optionspages.h"
#include "ui_tvantorel.h"

#include "app/optionspages.h"
#include "app/printcommands.h"

void TVantorel::wirePrinting()
{
    printing_ = new PrintCommands(*model_, *this, [this] {
        PrintOptions options;
        options.font = fontDialogFont_;
        options.spacing = optionsPanel_->form().Vspace->position();
        // Only the first choice ("Left") left-justifies; no choice at all is "Right".
        options.rightJustify = optionsPanel_->form().Just->itemIndex() != 0;
        options.lastPageOnly = optionsPanel_->form().LastPage->isChecked();
        return options;
    }, this);
    connect(ui_->Print1, &QAction::triggered, this, &TVantorel::Print1Click);
    connect(ui_->printerBtn, &QAction::triggered, this, &TVantorel::Print1Click);
    connect(ui_->PrintPreview1, &QAction::triggered, this, &TVantorel::PrintPreview1Click);
    connect(ui_->PrinterSetup1, &QAction::triggered, this, &TVantorel::PrintSetupClick);
    connect(optionsPanel_->form().PrintSetup, &QPushButton::clicked, this, &TVantorel::PrintSetupClick);
}

void TVantorel::Print1Click()
{
    printing_->print();
}

void TVantorel::PrintPreview1Click()
{
    printing_->preview();
}

void TVantorel::PrintSetupClick()
{
    printing_->setUp();
}
