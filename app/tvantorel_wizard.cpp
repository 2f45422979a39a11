// The wizard pages and the record commands of the main window.
#include "app/tvantorel.h"

#include "ui_tvantorel.h"
#include "ui_wizardpages.h"

#include "app/optionspages.h"
#include "wizard/wizardpages.h"

#include "wizard/listfilechooser.h"
#include "wizard/recordeditor.h"
#include "wizard/wizardcontroller.h"


void TVantorel::wireWizard()
{
    wizardPages_ = new WizardController(*wizardPanel_, *document_, *this, this);
    recordEditor_ = new RecordEditor(*wizardPanel_, *document_, *this, *wizardPages_, this);
    connect(wizardPages_, &WizardController::projectToShow, this, &TVantorel::ProjectChange);
    // One panel over the list at a time.
    connect(wizardPanel_, &WizardPages::shown, this, &TVantorel::CloseTabsClick);
    connect(optionsPanel_, &OptionsPages::shown, wizardPages_, &WizardController::cancel);
    connect(wizardPanel_, &WizardPages::shown, this, &TVantorel::placePanels);
    connect(optionsPanel_, &OptionsPages::shown, this, &TVantorel::placePanels);

    connect(ui_->New1, &QAction::triggered, this, &TVantorel::NewClick);
    connect(ui_->Addproject1, &QAction::triggered, this, &TVantorel::Addproject1Click);
    connect(ui_->AddBtn, &QAction::triggered, this, &TVantorel::Addproject1Click);
    connect(ui_->InsertProject1, &QAction::triggered, this, &TVantorel::InsertProject1Click);
    connect(ui_->InsertBtn, &QAction::triggered, this, &TVantorel::InsertProject1Click);
    connect(ui_->EditProject1, &QAction::triggered, this, &TVantorel::EditProject1Click);
    connect(ui_->EditBtn, &QAction::triggered, this, &TVantorel::EditProject1Click);
    connect(ui_->RemoveProject1, &QAction::triggered, this, &TVantorel::RemoveProject1Click);
    connect(ui_->DeleteBtn, &QAction::triggered, this, &TVantorel::RemoveProject1Click);
    connect(wizardPanel_->form().Project, &QLineEdit::textChanged, this, &TVantorel::ProjectChange);
    connect(wizardPanel_->form().UtilBtn, &QPushButton::clicked, this, &TVantorel::UtilBtnClick);
    connect(wizardPanel_->form().Remove, &QPushButton::clicked, this, &TVantorel::RemoveClick);
    connect(wizardPanel_->form().Next4, &QPushButton::clicked, this, &TVantorel::Next4Click);
    for (QPushButton* cancel : {wizardPanel_->form().Cancel1, wizardPanel_->form().Cancel2, wizardPanel_->form().Cancel3, wizardPanel_->form().Button3})
        connect(cancel, &QPushButton::clicked, this, &TVantorel::CancelWizardClick);
    connect(wizardPanel_->form().Dirselect, &RadioGroup::clicked, this, &TVantorel::DirselectClick);
    connect(wizardPanel_->form().Next1, &QPushButton::clicked, this, &TVantorel::Next1Click);
    connect(wizardPanel_->form().Browse, &QPushButton::clicked, this, &TVantorel::BrowseClick);
    connect(wizardPanel_->form().Back2, &QPushButton::clicked, this, &TVantorel::Back2Click);
    connect(wizardPanel_->form().Next2, &QPushButton::clicked, this, &TVantorel::Next2Click);
    connect(wizardPanel_->form().Back3, &QPushButton::clicked, this, &TVantorel::Back3Click);
    connect(wizardPanel_->form().Next3, &QPushButton::clicked, this, &TVantorel::Next3Click);
    connect(wizardPanel_->form().Back4, &QPushButton::clicked, this, &TVantorel::Back4Click);
}

void TVantorel::NewClick()
{
    wizardPages_->ShowWizard(mdEdit, 1, 0);
}

void TVantorel::Addproject1Click()
{
    recordEditor_->addProject();
}

void TVantorel::InsertProject1Click()
{
    recordEditor_->insertProject();
}

void TVantorel::EditProject1Click()
{
    recordEditor_->editProject();
}

void TVantorel::RemoveProject1Click()
{
    recordEditor_->removeProject();
}

void TVantorel::ProjectChange()
{
    recordEditor_->showProject();
}

void TVantorel::UtilBtnClick()
{
    recordEditor_->apply();
}

void TVantorel::RemoveClick()
{
    recordEditor_->removeShown();
}

void TVantorel::Next4Click()
{
    recordEditor_->finish();
}

void TVantorel::CancelWizardClick()
{
    wizardPages_->cancel();
}

void TVantorel::DirselectClick()
{
    wizardPages_->dirselectClicked();
}

void TVantorel::Next1Click()
{
    wizardPages_->listFileChooser().Next1Click();
}

void TVantorel::BrowseClick()
{
    wizardPages_->listFileChooser().BrowseClick();
}

void TVantorel::Back2Click()
{
    wizardPages_->back2();
}

void TVantorel::Next2Click()
{
    wizardPages_->next2();
}

void TVantorel::Back3Click()
{
    wizardPages_->back3();
}

void TVantorel::Next3Click()
{
    wizardPages_->listFileChooser().Next3Click();
}

void TVantorel::Back4Click()
{
    wizardPages_->back4();
}
