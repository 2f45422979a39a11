// The about box, the executable's version and the maker's links.
#include "app/tvantorel.h"

#include "ui_tvantorel.h"

#include "app/programicon.h"
#include "help/tcorvaneaboutbox.h"
#include "help/tkurl2.h"

#include <QApplication>

void TVantorel::wireAbout()
{
    connect(ui_->About1, &QAction::triggered, this, &TVantorel::About1Click);
    connect(ui_->CorvaneonTheWeb1, &QAction::triggered, this, &TVantorel::CorvaneonTheWeb1Click);
    connect(ui_->ContactCorvane1, &QAction::triggered, this, &TVantorel::ContactCorvane1Click);

    // The program's icon: the title bars show it, and so does the about box.
    if (QApplication::windowIcon().isNull())
        QApplication::setWindowIcon(programIcon());

    aboutBox_ = new TCorvaneAboutBox(this);
    aboutBox_->setObjectName(QStringLiteral("AboutBox"));
    aboutBox_->setCopyright(TCorvaneAboutBox::makersCopyright());
    aboutBox_->setTextLeft(20);
    aboutBox_->setTextCentered(false);
    aboutBox_->setHeight(150);
    aboutBox_->setWidth(130);
    aboutBox_->setTop(96);
    aboutBox_->setLeft(608);
}

void TVantorel::About1Click()
{
    runCommand([this] { aboutBox_->Execute(&dialogs()); });
}

void TVantorel::CorvaneonTheWeb1Click()
{
    ui_->web->OpenLink();
}

void TVantorel::ContactCorvane1Click()
{
    ui_->email->OpenLink();
}
