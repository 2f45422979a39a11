// The wizard pages and the record commands of the main window.
#include "tvantorel.h"

#include "ui_tvantorel.h"

void TVantorel::wireWizard()
{
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

void TVantorel::NewClick() {}
void TVantorel::Addproject1Click() {}
void TVantorel::InsertProject1Click() {}
void TVantorel::EditProject1Click() {}
void TVantorel::RemoveProject1Click() {}
void TVantorel::ProjectChange() {}
void TVantorel::UtilBtnClick() {}
void TVantorel::RemoveClick() {}
void TVantorel::Next4Click() {}
void TVantorel::CancelWizardClick() {}
void TVantorel::DirselectClick() {}
void TVantorel::Next1Click() {}
void TVantorel::BrowseClick() {}
void TVantorel::Back2Click() {}
void TVantorel::Next2Click() {}
void TVantorel::Back3Click() {}
void TVantorel::Next3Click() {}
void TVantorel::Back4Click() {}
