// The about box, the executable's version and the maker's links.
#include "tvantorel.h"

#include "ui_tvantorel.h"

void TVantorel::wireAbout()
{
    connect(ui_->About1, &QAction::triggered, this, &TVantorel::About1Click);
    connect(ui_->CorvaneonTheWeb1, &QAction::triggered, this, &TVantorel::CorvaneonTheWeb1Click);
    connect(ui_->ContactCorvane1, &QAction::triggered, this, &TVantorel::ContactCorvane1Click);
}

void TVantorel::pointAboutBoxAt(const QString& executablePath)
{
    Q_UNUSED(executablePath);
}

QString TVantorel::executableVersion()
{
    // The version block is read once the about box can read it.
    return QString();
}

void TVantorel::About1Click() {}
void TVantorel::CorvaneonTheWeb1Click() {}
void TVantorel::ContactCorvane1Click() {}
