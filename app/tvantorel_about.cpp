// The about box, the executable's version and the maker's links.
#include "app/tvantorel.h"

#include "ui_tvantorel.h"

#include "app/programicon.h"
#include "app/windowhost.h"
#include "app/windowparts.h"
#include "app/windowwiring.h"
#include "help/tcorvaneaboutbox.h"
#include "help/tkurl2.h"

#include <QApplication>

void wireAbout(TVantorel& window, WindowParts& parts)
{
    Ui::TVantorel* ui = parts.form;
    QObject::connect(ui->About1, &QAction::triggered, &window, &TVantorel::About1Click);
    QObject::connect(ui->CorvaneonTheWeb1, &QAction::triggered, &window, &TVantorel::CorvaneonTheWeb1Click);
    QObject::connect(ui->ContactCorvane1, &QAction::triggered, &window, &TVantorel::ContactCorvane1Click);

    // The program's icon: the title bars show it, and so does the about box.
    if (QApplication::windowIcon().isNull())
        QApplication::setWindowIcon(programIcon());

    TCorvaneAboutBox* aboutBox = new TCorvaneAboutBox(&window);
    parts.aboutBox = aboutBox;
    aboutBox->setObjectName(QStringLiteral("AboutBox"));
    aboutBox->setCopyright(TCorvaneAboutBox::makersCopyright());
    aboutBox->setTextLeft(20);
    aboutBox->setTextCentered(false);
    aboutBox->setHeight(150);
    aboutBox->setWidth(130);
    aboutBox->setTop(96);
    aboutBox->setLeft(608);
}

void TVantorel::About1Click()
{
    host_->runCommand([this] { parts_.aboutBox->Execute(&host_->dialogs()); });
}

void TVantorel::CorvaneonTheWeb1Click()
{
    ui_->web->OpenLink();
}

void TVantorel::ContactCorvane1Click()
{
    ui_->email->OpenLink();
}
