#pragma once
// Scripted dialogs that also act as the user in the print and printer setup
// dialogs: they record the printer object each was shown on and make the
// choices a test gives them (a PDF file, a queue, an orientation). Their
// print preview is Qt's real one, unshown: its pages are counted, their
// texts read as the preview paints them, and printed as its Print button
// does.
#include "scripteddialogs.h"

#include <QPrinter>
#include <functional>

class PrintingDialogs : public ScriptedDialogs {
public:
    std::function<void(QPrinter&)> choosePrinter;  // on confirming the print dialog
    std::function<void(QPrinter&)> setUpPrinter;   // on confirming printer setup
    QList<QPrinter*> printDialogPrinters;
    QList<QPrinter*> setupPrinters;
    // What each preview showed: its page count.
    QList<int> previewPageCounts;
    // The text lines of each page the last preview showed.
    QList<QStringList> previewedPages;
    // Print from the preview, as its Print button does after the print
    // dialog was confirmed with choosePrinter.
    bool printFromPreview = false;

    void printPreview(QPrinter& printer, const std::function<void(QPrinter&)>& paint) override;

    bool printDialog(QPrinter& printer) override
    {
        printDialogPrinters << &printer;
        const bool confirmed = ScriptedDialogs::printDialog(printer);
        if (confirmed && choosePrinter)
            choosePrinter(printer);
        return confirmed;
    }
    bool printerSetup(QPrinter& printer) override
    {
        setupPrinters << &printer;
        const bool confirmed = ScriptedDialogs::printerSetup(printer);
        if (confirmed && setUpPrinter)
            setUpPrinter(printer);
        return confirmed;
    }
};

// What the print dialog does when the user picks "Print to file (PDF)".
inline std::function<void(QPrinter&)> printToPdfFile(const QString& path)
{
    return [path](QPrinter& printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path);
    };
}
