#include "app/printersetupdialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QPageSetupDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QVBoxLayout>

PrinterSetupDialog::PrinterSetupDialog(QPrinter& printer, QWidget* parent)
    : QDialog(parent), printer_(printer), printers_(new QComboBox(this))
{
    setObjectName(QStringLiteral("PSetup"));
    setWindowTitle(tr("Printer Setup"));
    printers_->setObjectName(QStringLiteral("PrinterChoice"));
    printers_->setMinimumContentsLength(24);
    printers_->setPlaceholderText(tr("No printer installed"));
    printers_->addItems(QPrinterInfo::availablePrinterNames());
    const QString current = printer_.outputFormat() == QPrinter::NativeFormat
        ? printer_.printerName()
        : QPrinterInfo::defaultPrinterName();
    if (printers_->count() > 0)
        printers_->setCurrentIndex(qMax(0, printers_->findText(current)));

    auto* properties = new QPushButton(tr("Properties..."), this);
    properties->setObjectName(QStringLiteral("PrinterProperties"));
    connect(properties, &QPushButton::clicked, this, &PrinterSetupDialog::showProperties);

    auto* form = new QFormLayout;
    form->addRow(tr("Printer:"), printers_);
    form->addRow(QString(), properties);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        applyChoice();
        accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

void PrinterSetupDialog::applyChoice()
{
    const QString chosen = printers_->currentText();
    if (chosen.isEmpty())
        return;
    if (printer_.outputFormat() != QPrinter::NativeFormat || printer_.printerName() != chosen)
        printer_.setPrinterName(chosen);
}

void PrinterSetupDialog::showProperties()
{
    // The paper of the printer chosen here, not of the one chosen before.
    applyChoice();
    QPageSetupDialog dialog(&printer_, this);
    dialog.exec();
}
