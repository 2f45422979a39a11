#include "app/qtdialogs.h"

#include "common/apptitle.h"
#include "app/printersetupdialog.h"

#include <QColorDialog>
#include <QCoreApplication>
#include <QFileDialog>
#include <QFontDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>

namespace {

// A CR in a message is a line break on screen.
QString shown(const QString& text)
{
    QString out = text;
    out.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    out.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return out;
}

QMessageBox::StandardButton standardButton(MessageButton button)
{
    switch (button) {
    case MessageButton::Ok: return QMessageBox::Ok;
    case MessageButton::Cancel: return QMessageBox::Cancel;
    case MessageButton::Yes: return QMessageBox::Yes;
    case MessageButton::No: return QMessageBox::No;
    case MessageButton::Abort: return QMessageBox::Abort;
    }
    return QMessageBox::Ok;
}

} // namespace

void QtDialogs::showMessage(const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, applicationTitle(), shown(text), QMessageBox::Ok, parent_);
    box.exec();
}

void QtDialogs::showError(const QString& text)
{
    QMessageBox box(QMessageBox::Critical, applicationTitle(), shown(text), QMessageBox::Ok, parent_);
    box.exec();
}

MessageButton QtDialogs::ask(MessageKind kind, const QString& text, const QList<MessageButton>& buttons)
{
    QMessageBox::Icon icon = QMessageBox::Question;
    QString caption = QCoreApplication::translate("QtDialogs", "Confirm");
    switch (kind) {
    case MessageKind::Information: icon = QMessageBox::Information; caption = QCoreApplication::translate("QtDialogs", "Information"); break;
    case MessageKind::Warning: icon = QMessageBox::Warning; caption = QCoreApplication::translate("QtDialogs", "Warning"); break;
    case MessageKind::Error: icon = QMessageBox::Critical; caption = QCoreApplication::translate("QtDialogs", "Error"); break;
    case MessageKind::Confirmation: break;
    }
    QMessageBox box(icon, caption, shown(text), QMessageBox::NoButton, parent_);
    for (MessageButton b : buttons)
        box.addButton(standardButton(b));
    if (!buttons.isEmpty())
        box.setEscapeButton(standardButton(buttons.last()));
    box.exec();
    const auto pressed = box.standardButton(box.clickedButton());
    for (MessageButton b : buttons)
        if (standardButton(b) == pressed)
            return b;
    return buttons.isEmpty() ? MessageButton::Ok : buttons.last();
}

QString QtDialogs::qtFilter(const QString& classicFilter)
{
    const QStringList parts = classicFilter.split(QLatin1Char('|'));
    QStringList entries;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        entries << parts[i].trimmed() + QStringLiteral(" (") + patterns + QLatin1Char(')');
    }
    return entries.join(QStringLiteral(";;"));
}

std::optional<QString> QtDialogs::openFileName(const FileDialogOptions& options)
{
    QFileDialog dialog(parent_, options.title);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(options.mustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setNameFilter(qtFilter(options.filter));
    dialog.setDefaultSuffix(options.defaultExtension);
    if (!options.initialFolder.isEmpty())
        dialog.setDirectory(options.initialFolder);
    if (!options.fileName.isEmpty())
        dialog.selectFile(options.fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().first();
}

std::optional<QString> QtDialogs::inputText(const QString& title, const QString& prompt, const QString& defaultText)
{
    bool ok = false;
    QString text = QInputDialog::getText(parent_, title, prompt, QLineEdit::Normal, defaultText, &ok);
    if (!ok)
        return std::nullopt;
    return text;
}

std::optional<QFont> QtDialogs::chooseFont(const QFont& initial)
{
    bool ok = false;
    QFont font = QFontDialog::getFont(&ok, initial, parent_);
    if (!ok)
        return std::nullopt;
    return font;
}

std::optional<QColor> QtDialogs::chooseColour(const QColor& initial)
{
    QColor colour = QColorDialog::getColor(initial, parent_);
    if (!colour.isValid())
        return std::nullopt;
    return colour;
}

bool QtDialogs::printDialog(QPrinter& printer)
{
    QPrintDialog dialog(&printer, parent_);
    // Only the printer is taken from the dialog: every print is the whole list.
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    return dialog.exec() == QDialog::Accepted;
}

bool QtDialogs::printerSetup(QPrinter& printer)
{
    PrinterSetupDialog dialog(printer, parent_);
    return dialog.exec() == QDialog::Accepted;
}

int QtDialogs::execDialog(QDialog& dialog)
{
    return dialog.exec();
}
