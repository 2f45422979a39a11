// The wizard pages and the record commands of the main window.
#include "app/tvantorel.h"

#include "ui_tvantorel.h"
#include "ui_wizardpages.h"

#include "app/optionspages.h"
#include "app/windowhost.h"
#include "app/windowwiring.h"
#include "wizard/wizardpages.h"

#include "wizard/listfilechooser.h"
#include "wizard/recordeditor.h"
#include "wizard/wizardcontroller.h"


void wireWizard(TVantorel& window, WindowParts& parts)
{
    Ui::TVantorel* ui = parts.form;
    Ui::WizardPages& page = parts.wizardPanel->form();
    parts.wizardPages = new WizardController(*parts.wizardPanel, *parts.document, *parts.host, &window);
    parts.recordEditor =
        new RecordEditor(*parts.wizardPanel, *parts.document, *parts.host, *parts.wizardPages, &window);
    QObject::connect(parts.wizardPages, &WizardController::projectToShow, &window, &TVantorel::ProjectChange);
    // One panel over the list at a time.
    QObject::connect(parts.wizardPanel, &WizardPages::shown, &window, &TVantorel::CloseTabsClick);
    QObject::connect(parts.optionsPanel, &OptionsPages::shown, parts.wizardPages, &WizardController::cancel);
    QObject::connect(parts.wizardPanel, &WizardPages::shown, &window, [&parts] { placePanels(parts); });
    QObject::connect(parts.optionsPanel, &OptionsPages::shown, &window, [&parts] { placePanels(parts); });

    QObject::connect(ui->New1, &QAction::triggered, &window, &TVantorel::NewClick);
    QObject::connect(ui->Addproject1, &QAction::triggered, &window, &TVantorel::Addproject1Click);
    QObject::connect(ui->AddBtn, &QAction::triggered, &window, &TVantorel::Addproject1Click);
    QObject::connect(ui->InsertProject1, &QAction::triggered, &window, &TVantorel::InsertProject1Click);
    QObject::connect(ui->InsertBtn, &QAction::triggered, &window, &TVantorel::InsertProject1Click);
    QObject::connect(ui->EditProject1, &QAction::triggered, &window, &TVantorel::EditProject1Click);
    QObject::connect(ui->EditBtn, &QAction::triggered, &window, &TVantorel::EditProject1Click);
    QObject::connect(ui->RemoveProject1, &QAction::triggered, &window, &TVantorel::RemoveProject1Click);
    QObject::connect(ui->DeleteBtn, &QAction::triggered, &window, &TVantorel::RemoveProject1Click);
    QObject::connect(page.Project, &QLineEdit::textChanged, &window, &TVantorel::ProjectChange);
    QObject::connect(page.UtilBtn, &QPushButton::clicked, &window, &TVantorel::UtilBtnClick);
    QObject::connect(page.Remove, &QPushButton::clicked, &window, &TVantorel::RemoveClick);
    QObject::connect(page.Next4, &QPushButton::clicked, &window, &TVantorel::Next4Click);
    for (QPushButton* cancel : {page.Cancel1, page.Cancel2, page.Cancel3, page.Button3})
        QObject::connect(cancel, &QPushButton::clicked, &window, &TVantorel::CancelWizardClick);
    QObject::connect(page.Dirselect, &RadioGroup::clicked, &window, &TVantorel::DirselectClick);
    QObject::connect(page.Next1, &QPushButton::clicked, &window, &TVantorel::Next1Click);
    QObject::connect(page.Browse, &QPushButton::clicked, &window, &TVantorel::BrowseClick);
    QObject::connect(page.Back2, &QPushButton::clicked, &window, &TVantorel::Back2Click);
    QObject::connect(page.Next2, &QPushButton::clicked, &window, &TVantorel::Next2Click);
    QObject::connect(page.Back3, &QPushButton::clicked, &window, &TVantorel::Back3Click);
    QObject::connect(page.Next3, &QPushButton::clicked, &window, &TVantorel::Next3Click);
    QObject::connect(page.Back4, &QPushButton::clicked, &window, &TVantorel::Back4Click);
}

void TVantorel::NewClick()
{
    parts_.wizardPages->ShowWizard(mdEdit, 1, 0);
}

void TVantorel::Addproject1Click()
{
    parts_.recordEditor->addProject();
}

void TVantorel::InsertProject1Click()
{
    parts_.recordEditor->insertProject();
}

void TVantorel::EditProject1Click()
{
    parts_.recordEditor->editProject();
}

void TVantorel::RemoveProject1Click()
{
    parts_.recordEditor->removeProject();
}

void TVantorel::ProjectChange()
{
    parts_.recordEditor->showProject();
}

void TVantorel::UtilBtnClick()
{
    parts_.recordEditor->apply();
}

void TVantorel::RemoveClick()
{
    parts_.recordEditor->removeShown();
}

void TVantorel::Next4Click()
{
    parts_.recordEditor->finish();
}

void TVantorel::CancelWizardClick()
{
    parts_.wizardPages->cancel();
}

void TVantorel::DirselectClick()
{
    parts_.wizardPages->dirselectClicked();
}

void TVantorel::Next1Click()
{
    parts_.wizardPages->listFileChooser().Next1Click();
}

void TVantorel::BrowseClick()
{
    parts_.wizardPages->listFileChooser().BrowseClick();
}

void TVantorel::Back2Click()
{
    parts_.wizardPages->back2();
}

void TVantorel::Next2Click()
{
    parts_.wizardPages->next2();
}

void TVantorel::Back3Click()
{
    parts_.wizardPages->back3();
}

void TVantorel::Next3Click()
{
    parts_.wizardPages->listFileChooser().Next3Click();
}

void TVantorel::Back4Click()
{
    parts_.wizardPages->back4();
}
