#include "app/printcommands.h"

#include "app/painterprintsurface.h"
#include "common/commandhost.h"
#include "common/dialogs.h"

#include <QCoreApplication>
#include <QPrinter>

PrintCommands::PrintCommands(const ProjectListModel& view, CommandHost& host, std::function<PrintOptions()> options,
                             QObject* parent)
    : QObject(parent), view_(view), host_(host), options_(std::move(options))
{
}

PrintCommands::~PrintCommands() = default;

QPrinter& PrintCommands::printer()
{
    // Made on first use: looking for printers asks the print system.
    if (!printer_)
        printer_ = std::make_shared<QPrinter>(QPrinter::HighResolution);
    return *printer_;
}

void PrintCommands::print()
{
    // Every failure from the dialog to the end of the document is reported
    // alike, whatever raised it.
    try {
        QPrinter& target = printer();
        if (!host_.dialogs().printDialog(target))
            return;
        printOn(target);
    } catch (...) {
        showFailure();
    }
}

// The preview lays the pages out as Print does, on the same printer object,
// whenever it needs them; printing from it lays them out once more.
void PrintCommands::preview()
{
    try {
        host_.dialogs().printPreview(printer(), [this](QPrinter& target) {
            try {
                printOn(target);
            } catch (...) {
                showFailure();
            }
        });
    } catch (...) {
        showFailure();
    }
}

void PrintCommands::setUp()
{
    host_.dialogs().printerSetup(printer());
}

void PrintCommands::printOn(QPrinter& target)
{
    const std::shared_ptr<PrintSurface> surface =
        surfaceFactory_ ? surfaceFactory_(target) : std::make_shared<PainterPrintSurface>(target);
    ListPrinter listPrinter(*surface, clock_);
    if (listPrinter.print(view_, options_()) == PrintOutcome::Aborted)
        host_.dialogs().showMessage(QCoreApplication::translate("TVantorel", "Print aborted"));
}

void PrintCommands::showFailure()
{
    host_.dialogs().showMessage(QCoreApplication::translate("TVantorel",
                                                            "There was an error attempting to print the project list\r"
                                                            "Please check Network printer"));
}
