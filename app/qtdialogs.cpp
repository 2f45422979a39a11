#include "app/qtdialogs.h"

#include "common/apptitle.h"
#include "app/conflictwindow.h"
#include "app/printersetupdialog.h"

#include <QColorDialog>
#include <QCoreApplication>
#include <QFileDialog>
#include <QFontDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QProgressDialog>
#include <QTimer>

namespace {

// Laying out a text of megabytes (one huge bad line of a list, a huge
// description) would freeze the window for minutes; nobody reads that much
// in a message box anyway.
constexpr qsizetype longestShownText = 1000;

// A word longer than this gets invisible break chances, so that a line of
// one endless word wraps inside the box instead of running off its edge.
constexpr qsizetype longestUnbrokenRun = 80;
const QChar zeroWidthSpace(0x200B);

QString breakableLongWords(const QString& text)
{
    QString out;
    out.reserve(text.size() + text.size() / longestUnbrokenRun);
    qsizetype run = 0;
    for (const QChar c : text) {
        run = c.isSpace() ? 0 : run + 1;
        if (run > longestUnbrokenRun && !c.isLowSurrogate()) {
            out += zeroWidthSpace;
            run = 1;
        }
        out += c;
    }
    return out;
}

// A CR in a message is a line break on screen; a very long text is cut short
// with an ellipsis.
QString shown(const QString& text)
{
    QString out = text;
    if (out.size() > longestShownText) {
        qsizetype keep = longestShownText;
        if (out.at(keep - 1).isHighSurrogate())
            --keep;  // never half a character
        out.truncate(keep);
        out += QChar(0x2026);
    }
    out.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    out.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return breakableLongWords(out);
}

// Messages quote list lines and descriptions, which are the user's text, not
// markup: "<b>" is shown as typed.
void showPlain(QMessageBox& box)
{
    box.setTextFormat(Qt::PlainText);
    box.exec();
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
    showPlain(box);
}

void QtDialogs::showError(const QString& text)
{
    QMessageBox box(QMessageBox::Critical, applicationTitle(), shown(text), QMessageBox::Ok, parent_);
    showPlain(box);
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
    showPlain(box);
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

void QtDialogs::printPreview(QPrinter& printer, const std::function<void(QPrinter&)>& paint)
{
    QPrintPreviewDialog dialog(&printer, parent_);
    dialog.setObjectName(QStringLiteral("PrintPreview"));
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, [&paint](QPrinter* target) { paint(*target); });
    dialog.exec();
}

int QtDialogs::execDialog(QDialog& dialog)
{
    return dialog.exec();
}

std::optional<QList<ConflictAnswer>> QtDialogs::resolveConflicts(const QString& text, const QList<ConflictRow>& rows)
{
    ConflictWindow window(text, rows, parent_);
    if (window.exec() != QDialog::Accepted)
        return std::nullopt;
    return window.answers();
}

bool QtDialogs::waitUntil(const QString& text, const std::function<bool()>& finished)
{
    if (finished())
        return true;
    QProgressDialog wait(text, QCoreApplication::translate("QtDialogs", "Cancel"), 0, 0, parent_);
    wait.setObjectName(QStringLiteral("WaitDialog"));
    wait.setWindowTitle(applicationTitle());
    wait.setWindowModality(Qt::WindowModal);
    wait.setMinimumDuration(0);
    QTimer look;
    look.setInterval(200);
    QObject::connect(&look, &QTimer::timeout, &wait, [&] {
        if (finished())
            wait.reset();
    });
    look.start();
    wait.exec();
    return !wait.wasCanceled() || finished();
}
