#include "recordeditor.h"

#include "tvantorel.h"
#include "ui_tvantorel.h"

#include "displaytext.h"
#include "projectlistmodel.h"
#include "quindleerror.h"
#include "wizardcontroller.h"

#include "listfile/intconversion.h"
#include "listfile/lineformat.h"
#include "listfile/listedit.h"
#include "listfile/listfileio.h"

#include <optional>

namespace {

// The number text of page 4 read as a decimal number, for the place an
// unknown project is inserted at.
std::size_t insertPosition(const QString& numberText)
{
    bool ok = false;
    const qulonglong value = numberText.toULongLong(&ok, 10);
    if (!ok)
        throw QuindleError(QLatin1Char('\'') + numberText + QStringLiteral("' is not a valid integer value"));
    return static_cast<std::size_t>(value);
}

} // namespace

RecordEditor::RecordEditor(TVantorel& window, WizardController& wizard)
    : QObject(&window), window_(window), wizard_(wizard)
{
}

Ui::TVantorel& RecordEditor::ui() const
{
    return *window_.form();
}

void RecordEditor::addProject()
{
    // The number after the last one shown in the list view.
    const ProjectListModel* view = window_.listModel();
    if (view->count() == 0) {
        window_.dialogs().showMessage(QStringLiteral("Error in Project List"));
        return;
    }
    const std::string_view lastNumber = columnsOf(view->caption(view->count() - 1), 1, 4);
    const IntConversion read = convertInteger(lastNumber);
    const qint64 next = qint64(read.value) + 1;
    if (next <= 0) {
        window_.dialogs().showMessage(QStringLiteral("Add project Failed ") + QString::number(next)
                                      + QStringLiteral(" Code = ") + QString::number(read.stopPosition)
                                      + QLatin1Char(' ') + displayText(lastNumber, view->coding(view->count() - 1)));
        return;
    }
    wizard_.ShowWizard(mdEdit, 4, int(next));
    // A new number is typed, not picked, until the first apply.
    ui().PrjSelect->setEnabled(false);
}

bool RecordEditor::selectedNumber(int& number)
{
    number = window_.SelectedProjectNumber();
    if (number != -1)
        return true;
    window_.dialogs().showMessage(QStringLiteral("No Project selected"));
    return false;
}

void RecordEditor::insertProject()
{
    int selected = 0;
    if (!selectedNumber(selected))
        return;
    const qint64 before = qint64(selected) - 1;
    if (before <= 0) {
        window_.dialogs().showMessage(QStringLiteral("Insert Project Prior to ") + QString::number(before)
                                      + QStringLiteral(" Failed"));
        return;
    }
    wizard_.ShowWizard(mdInsert, 4, int(before));
    ui().PrjSelect->setEnabled(false);
}

void RecordEditor::editProject()
{
    int selected = 0;
    if (selectedNumber(selected))
        wizard_.ShowWizard(mdEdit, 4, selected);
}

void RecordEditor::removeProject()
{
    int selected = 0;
    if (selectedNumber(selected))
        wizard_.ShowWizard(mdDelete, 4, selected);
}

void RecordEditor::showProject()
{
    QString number = ui().Project->text();
    while (number.size() < 3)
        number.prepend(QLatin1Char('0'));
    ui().CurrentProject->setText(number);
    const LineList& lines = window_.ProjectLines();
    const int found = findProjectLine(lines, storedBytes(number));
    // The whole description, so that an edit never cuts its tail.
    if (found < 0) {
        shownCoding_ = {};
        ui().PrjDiscription->setText(QString());
        return;
    }
    const std::string_view line = lines[std::size_t(found)];
    shownCoding_ = lineCoding(line);
    ui().PrjDiscription->setText(displayText(storedDescription(line), shownCoding_));
}

void RecordEditor::showCount()
{
    ui().Pros->setText(QString::number(window_.ProjectLines().size()) + QStringLiteral(" Projects"));
}

void RecordEditor::apply()
{
    LineList& lines = window_.ProjectLines();
    const QString description = ui().PrjDiscription->text();
    const std::string descriptionBytes = storedBytes(description, shownCoding_);
    if (!ui().Allowduplicates->isChecked() && listContainsText(lines, descriptionBytes)) {
        window_.dialogs().showMessage(description + QStringLiteral(" is already in the list"));
    } else {
        const bool applied = window_.runCommand([&] {
            const QString numberText = ui().CurrentProject->text();
            const std::string number = storedBytes(numberText);
            std::optional<std::size_t> insertAt;
            if (wizard_.mode() == mdInsert && findProjectLine(lines, number) < 0)
                insertAt = insertPosition(numberText);
            const std::size_t at = putProjectLine(lines, number, projectLine(number, descriptionBytes), insertAt);
            keepSorted(lines, at);
        });
        if (!applied)
            return;
    }
    ui().PrjDiscription->setFocus();
    showCount();
    ui().PrjSelect->setEnabled(true);
}

void RecordEditor::removeShown()
{
    const QString text = QStringLiteral("This will remove ") + ui().PrjDiscription->text()
        + QStringLiteral(" From the projects list\rAre you sure ?");
    if (window_.dialogs().ask(MessageKind::Warning, text, {MessageButton::Ok, MessageButton::Abort})
        != MessageButton::Ok)
        return;
    window_.runCommand([&] {
        removeProjectLine(window_.ProjectLines(), storedBytes(ui().CurrentProject->text()));
        showCount();
        ui().PrjDiscription->clear();
    });
}

void RecordEditor::finish()
{
    wizard_.hide();
    window_.runCommand([&] {
        saveListFile(window_.CurrentListFile(), window_.ProjectLines());
        window_.ShowListFile(window_.CurrentListFile(), false);
    });
}
