// Project search and the jump between list start and end.
#include "app/tvantorel.h"

#include "ui_tvantorel.h"

#include "app/searchcommands.h"

void TVantorel::wireSearch()
{
    search_ = new SearchCommands(*ui_->Projects, *model_, {statusPanel(2), statusPanel(3), statusPanel(4)},
                                 *ui_->InvertList, *this, this);
    connect(search_, &SearchCommands::findRequested, this, &TVantorel::FindDialog1Find);
    connect(ui_->ProjectNumber1, &QAction::triggered, this, &TVantorel::ProjectSearch);
    connect(ui_->Text1, &QAction::triggered, this, &TVantorel::ProjectSearch);
    connect(ui_->InvertList, &QAction::triggered, this, &TVantorel::InvertListClick);
}

void TVantorel::ProjectSearch()
{
    search_->openFind(sender());
}

void TVantorel::FindDialog1Find()
{
    search_->find();
}

void TVantorel::InvertListClick()
{
    search_->jump();
}
