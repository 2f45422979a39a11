// Printing the project list: the commands, and the print options as the
// options pages and the font dialog set them.
#include "app/tvantorel.h"

#include "ui_optionspages.h"
#include "ui_tvantorel.h"

#include "app/optionspages.h"
#include "app/printcommands.h"
#include "app/windowhost.h"
#include "app/windowwiring.h"

void wirePrinting(TVantorel& window, WindowParts& parts)
{
    parts.printing = new PrintCommands(*parts.listModel, *parts.host, [&parts] {
        PrintOptions options;
        options.font = parts.fontDialogFont;
        options.spacing = parts.optionsPanel->form().Vspace->position();
        // Only the first choice ("Left") left-justifies; no choice at all is "Right".
        options.rightJustify = parts.optionsPanel->form().Just->itemIndex() != 0;
        options.lastPageOnly = parts.optionsPanel->form().LastPage->isChecked();
        return options;
    }, &window);
    Ui::TVantorel* ui = parts.form;
    QObject::connect(ui->Print1, &QAction::triggered, &window, &TVantorel::Print1Click);
    QObject::connect(ui->printerBtn, &QAction::triggered, &window, &TVantorel::Print1Click);
    QObject::connect(ui->PrintPreview1, &QAction::triggered, &window, &TVantorel::PrintPreview1Click);
    QObject::connect(ui->PrinterSetup1, &QAction::triggered, &window, &TVantorel::PrintSetupClick);
    QObject::connect(parts.optionsPanel->form().PrintSetup, &QPushButton::clicked, &window, &TVantorel::PrintSetupClick);
}

void TVantorel::Print1Click()
{
    parts_.printing->print();
}

void TVantorel::PrintPreview1Click()
{
    parts_.printing->preview();
}

void TVantorel::PrintSetupClick()
{
    parts_.printing->setUp();
}
