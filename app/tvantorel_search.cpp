// Project search and the jump between list start and end.
#include "app/tvantorel.h"

#include "ui_tvantorel.h"

#include "app/searchcommands.h"
#include "app/windowhost.h"
#include "app/windowwiring.h"

void wireSearch(TVantorel& window, WindowParts& parts)
{
    Ui::TVantorel* ui = parts.form;
    parts.search = new SearchCommands(*ui->Projects, *parts.listModel,
                                      {parts.statusPanel(2), parts.statusPanel(3), parts.statusPanel(4)},
                                      *ui->InvertList, *parts.host, &window);
    QObject::connect(parts.search, &SearchCommands::findRequested, &window, &TVantorel::FindDialog1Find);
    QObject::connect(ui->ProjectNumber1, &QAction::triggered, &window, &TVantorel::ProjectSearch);
    QObject::connect(ui->Text1, &QAction::triggered, &window, &TVantorel::ProjectSearch);
    QObject::connect(ui->InvertList, &QAction::triggered, &window, &TVantorel::InvertListClick);
}

void TVantorel::ProjectSearch()
{
    parts_.search->openFind(sender());
}

void TVantorel::FindDialog1Find()
{
    parts_.search->find();
}

void TVantorel::InvertListClick()
{
    parts_.search->jump();
}
