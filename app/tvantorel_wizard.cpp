// The wizard pages and the record commands of the main window.
#include "tvantorel.h"

#include "ui_tvantorel.h"

#include "listfilechooser.h"
#include "recordeditor.h"
#include "wizardcontroller.h"

#include <QRegularExpressionValidator>
#include <limits>

void TVantorel::wireWizard()
{
    wizardPages_ = new WizardController(*this);
    recordEditor_ = new RecordEditor(*this, *wizardPages_);

    ui_->PrjSelect->setAssociate(ui_->Project);
    // Project numbers only: anything else would be written as a number field.
    ui_->Project->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,9}")), ui_->Project));
    // A description of any length is shown and kept whole.
    ui_->PrjDiscription->setMaxLength(std::numeric_limits<int>::max());

    connect(ui_->New1, &QAction::triggered, this, &TVantorel::NewClick);
    connect(ui_->Addproject1, &QAction::triggered, this, &TVantorel::Addproject1Click);
    connect(ui_->AddBtn, &QAction::triggered, this, &TVantorel::Addproject1Click);
    connect(ui_->InsertProject1, &QAction::triggered, this, &TVantorel::InsertProject1Click);
    connect(ui_->InsertBtn, &QAction::triggered, this, &TVantorel::InsertProject1Click);
    connect(ui_->EditProject1, &QAction::triggered, this, &TVantorel::EditProject1Click);
    connect(ui_->EditBtn, &QAction::triggered, this, &TVantorel::EditProject1Click);
    connect(ui_->RemoveProject1, &QAction::triggered, this, &TVantorel::RemoveProject1Click);
    connect(ui_->DeleteBtn, &QAction::triggered, this, &TVantorel::RemoveProject1Click);
    connect(ui_->Project, &QLineEdit::textChanged, this, &TVantorel::ProjectChange);
    connect(ui_->UtilBtn, &QPushButton::clicked, this, &TVantorel::UtilBtnClick);
    connect(ui_->Remove, &QPushButton::clicked, this, &TVantorel::RemoveClick);
    connect(ui_->Next4, &QPushButton::clicked, this, &TVantorel::Next4Click);
    for (QPushButton* cancel : {ui_->Cancel1, ui_->Cancel2, ui_->Cancel3, ui_->Button3})
        connect(cancel, &QPushButton::clicked, this, &TVantorel::CancelWizardClick);
    connect(ui_->Dirselect, &RadioGroup::clicked, this, &TVantorel::DirselectClick);
    connect(ui_->Next1, &QPushButton::clicked, this, &TVantorel::Next1Click);
    connect(ui_->Browse, &QPushButton::clicked, this, &TVantorel::BrowseClick);
    connect(ui_->Back2, &QPushButton::clicked, this, &TVantorel::Back2Click);
    connect(ui_->Next2, &QPushButton::clicked, this, &TVantorel::Next2Click);
    connect(ui_->Back3, &QPushButton::clicked, this, &TVantorel::Back3Click);
    connect(ui_->Next3, &QPushButton::clicked, this, &TVantorel::Next3Click);
    connect(ui_->Back4, &QPushButton::clicked, this, &TVantorel::Back4Click);
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
