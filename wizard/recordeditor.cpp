#include "wizard/recordeditor.h"

#include "ui_wizardpages.h"

#include "common/dialogs.h"
#include "document/projectlistdocument.h"
#include "wizard/wizardhost.h"
#include "wizard/wizardpages.h"

#include "common/displaytext.h"
#include "common/quindleerror.h"
#include "common/mergetexts.h"
#include "wizard/wizardcontroller.h"

#include "listfile/intconversion.h"
#include "listfile/lineformat.h"
#include "listfile/listedit.h"
#include "listfile/listfileio.h"
#include "listfile/listmerge.h"
#include "listfile/listfileerror.h"

#include <optional>

#include <QCoreApplication>

namespace {

// The number text of page 4 read as a decimal number, for the place an
// unknown project is inserted at.
std::size_t insertPosition(const QString& numberText)
{
    bool ok = false;
    const qulonglong value = numberText.toULongLong(&ok, 10);
    if (!ok)
        throw QuindleError(QCoreApplication::translate("RecordEditor", "'%1' is not a valid integer value").arg(numberText));
    return static_cast<std::size_t>(value);
}

} // namespace

RecordEditor::RecordEditor(WizardPages& pages, ProjectListDocument& document, WizardHost& host,
                           WizardController& wizard, QObject* parent)
    : QObject(parent), pages_(pages), document_(document), host_(host), wizard_(wizard)
{
    // An open page 4 counts the list it edits, also when others' changes or
    // a conflict copy came into it.
    connect(&document_, &ProjectListDocument::linesReplaced, this, [this] {
        if (!pages_.isHidden())
            showCount();
    });
}

Ui::WizardPages& RecordEditor::ui() const
{
    return pages_.form();
}

void RecordEditor::takeInChangesOnDisk()
{
    host_.runCommand([&] {
        DiskMergeResult merged;
        try {
            merged = document_.mergeFromDisk();
        } catch (const ListFileError&) {
            // A file that cannot be read now is reported by Finish.
            return;
        }
        // A change taken in refills the list view through the document.
        QStringList told = mergeNoticeTexts(merged.notices);
        if (merged.conflictsWaiting > 0)
            told << tr("%1 projects you changed were also changed by someone else meanwhile; Finish will ask which "
                       "text to keep")
                        .arg(merged.conflictsWaiting);
        if (!told.isEmpty())
            host_.dialogs().showMessage(told.join(QLatin1Char('\r')));
    });
}

void RecordEditor::addProject()
{
    proposedNumber_.reset();
    takeInChangesOnDisk();
    // The number after the last one shown in the list view.
    const std::optional<ShownCaption> lastCaption = host_.lastShownCaption();
    if (!lastCaption) {
        host_.dialogs().showMessage(tr("Error in Project List"));
        return;
    }
    // One more than the highest number of the list, wherever its order put
    // it; a list with no project number goes by the last row as shown.
    std::string lastNumber(columnsOf(lastCaption->bytes, 1, 4));
    IntConversion read = convertInteger(lastNumber);
    if (const std::optional<int32_t> highest = highestProjectNumber(document_.lines())) {
        read = IntConversion{*highest, 0};
        lastNumber = zeroPadNumber(*highest);
    }
    const qint64 next = qint64(read.value) + 1;
    if (next <= 0 || next > WizardPages::largestProjectNumber) {
        host_.dialogs().showMessage(tr("Add project Failed %1 Code = %2 %3")
                                      .arg(QString::number(next), QString::number(read.stopPosition),
                                           displayText(lastNumber, lastCaption->coding)));
        return;
    }
    wizard_.ShowWizard(mdEdit, 4, int(next));
    proposedNumber_ = storedBytes(ui().CurrentProject->text());
    // A new number is typed, not picked, until the first apply.
    ui().PrjSelect->setEnabled(false);
}

bool RecordEditor::selectedNumber(int& number)
{
    number = host_.selectedProjectNumber();
    if (number != -1)
        return true;
    host_.dialogs().showMessage(tr("No Project selected"));
    return false;
}

void RecordEditor::insertProject()
{
    proposedNumber_.reset();
    int selected = 0;
    if (!selectedNumber(selected))
        return;
    const qint64 before = qint64(selected) - 1;
    if (before <= 0) {
        host_.dialogs().showMessage(tr("Insert Project Prior to %1 Failed").arg(before));
        return;
    }
    wizard_.ShowWizard(mdInsert, 4, int(before));
    ui().PrjSelect->setEnabled(false);
}

void RecordEditor::editProject()
{
    proposedNumber_.reset();
    int selected = 0;
    if (selectedNumber(selected))
        wizard_.ShowWizard(mdEdit, 4, selected);
}

void RecordEditor::removeProject()
{
    proposedNumber_.reset();
    int selected = 0;
    if (selectedNumber(selected))
        wizard_.ShowWizard(mdDelete, 4, selected);
}

void RecordEditor::showProject()
{
    // The number as the list writes it: "0012" typed is project 012.
    QString number = ui().Project->text();
    bool isNumber = false;
    const qlonglong value = number.toLongLong(&isNumber, 10);
    if (isNumber && value >= 0 && value <= WizardPages::largestProjectNumber)
        number = QString::fromLatin1(zeroPadNumber(int32_t(value)));
    while (number.size() < 3)
        number.prepend(QLatin1Char('0'));
    ui().CurrentProject->setText(number);
    if (proposedNumber_ && *proposedNumber_ != storedBytes(number))
        proposedNumber_.reset();
    const LineList& lines = document_.lines();
    const int found = findProjectLine(lines, storedBytes(number));
    // The whole description, so that an edit never cuts its tail.
    if (found < 0) {
        shownCoding_ = {};
        ui().PrjDiscription->setText(QString());
    } else {
        const std::string_view line = lines[std::size_t(found)];
        shownCoding_ = lineCoding(line);
        ui().PrjDiscription->setText(displayText(storedDescription(line), shownCoding_));
    }
    // Page 4 counts the projects of the list it edits, whatever list was
    // counted the last time it was open.
    showCount();
}

void RecordEditor::showCount()
{
    ui().Pros->setText(tr("%1 Projects").arg(document_.lines().size()));
}

void RecordEditor::apply()
{
    const LineList& lines = document_.lines();
    const QString description = ui().PrjDiscription->text();
    const std::string descriptionBytes = storedBytes(description, shownCoding_);
    if (!host_.allowsDuplicates() && listContainsText(lines, descriptionBytes)) {
        host_.dialogs().showMessage(tr("%1 is already in the list").arg(description));
    } else {
        std::string renumberedTo;
        const bool applied = host_.runCommand([&] {
            const QString numberText = ui().CurrentProject->text();
            std::string number = storedBytes(numberText);
            const bool proposed = proposedNumber_ && *proposedNumber_ == number;
            // Someone else's project came in under the proposed number
            // meanwhile: ours takes the next free one instead of replacing it.
            if (proposed && findProjectLine(lines, number) >= 0) {
                renumberedTo = nextFreeNumber(lines, number);
                if (renumberedTo == number)
                    renumberedTo.clear();
                else
                    number = renumberedTo;
            }
            std::optional<std::size_t> insertAt;
            if (wizard_.mode() == mdInsert && findProjectLine(lines, number) < 0)
                insertAt = insertPosition(numberText);
            document_.putProject(number, projectLine(number, descriptionBytes), insertAt, proposed);
        });
        if (!applied)
            return;
        if (!renumberedTo.empty()) {
            const QString was = ui().CurrentProject->text();
            proposedNumber_.reset();
            wizard_.showNumber(int(convertInteger(renumberedTo).value));
            host_.dialogs().showMessage(
                mergeNoticeTexts({{MergeNotice::Kind::Renumbered, storedBytes(was), renumberedTo}}).join(QString()));
        }
        proposedNumber_.reset();
    }
    ui().PrjDiscription->setFocus();
    showCount();
    ui().PrjSelect->setEnabled(true);
}

void RecordEditor::removeShown()
{
    const QString text = tr("This will remove %1 From the projects list\rAre you sure ?")
                             .arg(ui().PrjDiscription->text());
    if (host_.dialogs().ask(MessageKind::Warning, text, {MessageButton::Ok, MessageButton::Abort})
        != MessageButton::Ok)
        return;
    host_.runCommand([&] {
        document_.removeProject(storedBytes(ui().CurrentProject->text()));
        showCount();
        ui().PrjDiscription->clear();
    });
}

void RecordEditor::finish()
{
    wizard_.hide();
    host_.runCommand([&] { host_.saveList(); });
}
