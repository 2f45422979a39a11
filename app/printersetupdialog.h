#pragma once
// Printer setup: chooses the printer for later jobs and, through
// "Properties...", its paper, orientation and margins.
#include <QDialog>

class QComboBox;
class QPrinter;

class PrinterSetupDialog : public QDialog {
    Q_OBJECT
public:
    PrinterSetupDialog(QPrinter& printer, QWidget* parent = nullptr);

    QComboBox* printerChoice() const { return printers_; }
    // Makes the printer chosen in the list the one later jobs go to.
    void applyChoice();

private:
    void showProperties();

    QPrinter& printer_;
    QComboBox* printers_;
};
