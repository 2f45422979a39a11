// Printing the project list.
#include "app/tvantorel.h"

#include "ui_optionspages.h"
#include "ui_tvantorel.h"

#include "app/optionspages.h"

#include "app/listprinter.h"
#include "app/painterprintsurface.h"

#include <QPrinter>

void TVantorel::wirePrinting()
{
    connect(ui_->Print1, &QAction::triggered, this, &TVantorel::Print1Click);
    connect(ui_->printerBtn, &QAction::triggered, this, &TVantorel::Print1Click);
    connect(ui_->PrintPreview1, &QAction::triggered, this, &TVantorel::PrintPreview1Click);
    connect(ui_->PrinterSetup1, &QAction::triggered, this, &TVantorel::PrintSetupClick);
    connect(optionsPanel_->form().PrintSetup, &QPushButton::clicked, this, &TVantorel::PrintSetupClick);
}

QPrinter& TVantorel::printer()
{
    // Made on first use: looking for printers asks the print system.
    if (!printer_)
        printer_ = std::make_shared<QPrinter>(QPrinter::HighResolution);
    return *printer_;
}

PrintOptions TVantorel::printOptions() const
{
    PrintOptions options;
    options.font = fontDialogFont_;
    options.spacing = optionsPanel_->form().Vspace->position();
    // Only the first choice ("Left") left-justifies; no choice at all is "Right".
    options.rightJustify = optionsPanel_->form().Just->itemIndex() != 0;
    options.lastPageOnly = optionsPanel_->form().LastPage->isChecked();
    return options;
}

void TVantorel::Print1Click()
{
    // Every failure from the dialog to the end of the document is reported
    // alike, whatever raised it.
    try {
        QPrinter& target = printer();
        if (!dialogs_->printDialog(target))
            return;
        printListOn(target);
    } catch (...) {
        showPrintFailure();
    }
}

// The preview lays the pages out as Print does, on the same printer object,
// whenever it needs them; printing from it lays them out once more.
void TVantorel::PrintPreview1Click()
{
    try {
        dialogs_->printPreview(printer(), [this](QPrinter& target) {
            try {
                printListOn(target);
            } catch (...) {
                showPrintFailure();
            }
        });
    } catch (...) {
        showPrintFailure();
    }
}

void TVantorel::printListOn(QPrinter& target)
{
    const std::shared_ptr<PrintSurface> surface = printSurfaceFactory_
        ? printSurfaceFactory_(target)
        : std::make_shared<PainterPrintSurface>(target);
    ListPrinter listPrinter(*surface, printClock_);
    if (listPrinter.print(*model_, printOptions()) == PrintOutcome::Aborted)
        dialogs_->showMessage(tr("Print aborted"));
}

void TVantorel::showPrintFailure()
{
    dialogs_->showMessage(tr("There was an error attempting to print the project list\r"
                             "Please check Network printer"));
}

void TVantorel::PrintSetupClick()
{
    dialogs_->printerSetup(printer());
}
