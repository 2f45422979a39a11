#include "wizardcontroller.h"

#include "tvantorel.h"
#include "ui_tvantorel.h"

#include "displaytext.h"
#include "listfilechooser.h"

#include <QFileInfo>
#include <QLabel>

WizardController::WizardController(TVantorel& window)
    : QObject(&window), window_(window), chooser_(new ListFileChooser(window, *this))
{
}

Ui::TVantorel& WizardController::ui() const
{
    return *window_.form();
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
    ui().Wizard->setVisible(true);
    ui().Wizard->raise();
    if (page == 1) {
        chooser_->SetupPage1();
    } else {
        // Opened directly: there is no page to go back to.
        ui().Back4->setVisible(false);
        SetupPage4(window_.CurrentListFile());
    }
}

bool WizardController::SetupPage4(const std::string& listPath)
{
    Ui::TVantorel& f = ui();
    f.UtilBtn->setVisible(true);
    const QString path = displayText(listPath);
    const bool haveLines = !window_.ProjectLines().empty();
    switch (mode_) {
    case mdNewList:
        if (QFileInfo(QString::fromLocal8Bit(listPath.c_str())).isFile()
            && window_.dialogs().ask(MessageKind::Warning,
                                     QStringLiteral("Existing Project List ") + path
                                         + QStringLiteral("\rWill be erased, Are you sure ?"),
                                     {MessageButton::Ok, MessageButton::Abort})
                == MessageButton::Abort)
            return false;
        adoptListFile(listPath);
        f.PrjDiscription->setReadOnly(false);
        f.Message4->setText(QStringLiteral("Creating New project list ") + path);
        // Emptied first, so that number 1 shows no description of the old list.
        window_.ProjectLines().clear();
        showNumber(1);
        window_.ProjectChange();
        break;
    case mdEdit:
    case mdDelete:
    case mdInsert:
        if (!haveLines)
            break;
        f.UtilBtn->setVisible(mode_ != mdDelete);
        f.PrjDiscription->setReadOnly(mode_ == mdDelete);
        f.Message4->setText((mode_ == mdEdit     ? QStringLiteral("Editing ")
                             : mode_ == mdDelete ? QStringLiteral("Deleting Project from ")
                                                 : QStringLiteral("Inserting Project "))
                            + path);
        window_.ProjectChange();
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
    window_.setCurrentListFile(path);
}

void WizardController::showPage(QWidget* page)
{
    ui().Wizard->setCurrentWidget(page);
}

void WizardController::hide()
{
    ui().Wizard->setVisible(false);
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
    window_.runCommand([this] {
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
    window_.runCommand([this] {
        chooser_->SetupPage3();
        showPage(ui().page3);
    });
}
