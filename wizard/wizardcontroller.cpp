#include "wizard/wizardcontroller.h"

#include "ui_wizardpages.h"

#include "common/dialogs.h"
#include "common/displaytext.h"
#include "document/projectlistdocument.h"
#include "wizard/listfilechooser.h"
#include "wizard/wizardhost.h"
#include "wizard/wizardpages.h"

#include <QFileInfo>
#include <QLabel>

WizardController::WizardController(WizardPages& pages, ProjectListDocument& document, WizardHost& host,
                                   QObject* parent)
    : QObject(parent), pages_(pages), document_(document), host_(host),
      chooser_(new ListFileChooser(pages, document, host, *this, this))
{
    connect(&document_, &ProjectListDocument::linesReloaded, this, &WizardController::closeForOutsideChange);
    connect(&document_, &ProjectListDocument::listFileChanged, this, &WizardController::closeForOutsideChange);
}

Ui::WizardPages& WizardController::ui() const
{
    return pages_.form();
}

void WizardController::closeForOutsideChange()
{
    if (!changingFromWizard_ && !pages_.isHidden())
        cancel();
}

void WizardController::changeListFromWizard(const std::function<void()>& change)
{
    struct Marker {
        bool& flag;
        bool before;
        explicit Marker(bool& f) : flag(f), before(f) { flag = true; }
        ~Marker() { flag = before; }
    } marker(changingFromWizard_);
    change();
}

void WizardController::showNumber(int number)
{
    ui().PrjSelect->setPosition(number);
    // Beyond the selector's range (the project after 999, say), or after the
    // box was typed into, the selector alone would leave another number shown.
    const QString text = QString::number(number);
    if (ui().Project->text() != text)
        ui().Project->setText(text);
}

void WizardController::ShowWizard(WizardMode mode, int page, int number)
{
    mode_ = mode;
    if (number != 0)
        showNumber(number);
    showPage(page == 1 ? ui().Page1 : ui().Page4);
    pages_.setVisible(true);
    pages_.raise();
    if (page == 1) {
        chooser_->SetupPage1();
        // The page's choices are new: the keyboard goes to the first of them.
        pages_.focusCurrentPage();
    } else {
        // Opened directly: there is no page to go back to.
        ui().Back4->setVisible(false);
        SetupPage4(document_.currentListFile());
    }
}

bool WizardController::SetupPage4(const std::string& listPath)
{
    Ui::WizardPages& f = ui();
    f.UtilBtn->setVisible(true);
    const QString path = pathText(listPath);
    const bool haveLines = !document_.lines().empty();
    switch (mode_) {
    case mdNewList:
        if (!host_.settleUnsavedChanges())
            return false;
        if (QFileInfo(QString::fromLocal8Bit(listPath.c_str())).isFile()
            && host_.dialogs().ask(MessageKind::Warning,
                                     tr("Existing Project List %1\rWill be erased, Are you sure ?").arg(path),
                                     {MessageButton::Ok, MessageButton::Abort})
                == MessageButton::Abort)
            return false;
        adoptListFile(listPath);
        f.PrjDiscription->setReadOnly(false);
        f.Message4->setText(tr("Creating New project list %1").arg(path));
        // Emptied first, so that number 1 shows no description of the old list.
        document_.clear();
        showNumber(1);
        emit projectToShow();
        break;
    case mdEdit:
    case mdDelete:
    case mdInsert:
        if (!haveLines)
            break;
        f.UtilBtn->setVisible(mode_ != mdDelete);
        f.PrjDiscription->setReadOnly(mode_ == mdDelete);
        f.Message4->setText((mode_ == mdEdit     ? tr("Editing %1")
                             : mode_ == mdDelete ? tr("Deleting Project from %1")
                                                 : tr("Inserting Project %1"))
                                .arg(path));
        emit projectToShow();
        break;
    case mdNone:
        break;
    }
    f.PrjDiscription->setFocus();
    return true;
}

void WizardController::adoptListFile(const std::string& path)
{
    // Panel 0 keeps naming the list of the start, as it does after Load.
    changeListFromWizard([&] { document_.setCurrentListFile(path); });
}

void WizardController::showPage(QWidget* page)
{
    pages_.setCurrentWidget(page);
}

void WizardController::hide()
{
    pages_.setVisible(false);
}

void WizardController::cancel()
{
    hide();
}

void WizardController::dirselectClicked()
{
    if (ui().Dirselect->itemIndex() >= 0)
        ui().Next1->setEnabled(true);
}

void WizardController::back2()
{
    chooser_->SetupPage1();
    showPage(ui().Page1);
}

void WizardController::next2()
{
    // A file that cannot be read keeps the wizard where it was.
    host_.runCommand([this] {
        chooser_->SetupPage3();
        showPage(ui().page3);
    });
}

void WizardController::back3()
{
    showPage(ui().Page2);
}

void WizardController::back4()
{
    host_.runCommand([this] {
        chooser_->SetupPage3();
        showPage(ui().page3);
    });
}
