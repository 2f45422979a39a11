// Project search and the jump between list start and end.
#include "tvantorel.h"

#include "ui_tvantorel.h"

void TVantorel::wireSearch()
{
    connect(ui_->ProjectNumber1, &QAction::triggered, this, &TVantorel::ProjectSearch);
    connect(ui_->Text1, &QAction::triggered, this, &TVantorel::ProjectSearch);
    connect(ui_->InvertList, &QAction::triggered, this, &TVantorel::InvertListClick);
}

void TVantorel::ProjectSearch() {}
void TVantorel::FindDialog1Find() {}
void TVantorel::InvertListClick() {}
