// The main window as a desktop program: toolbar pictures from one set drawn
// sharp at any pixel ratio, the desktop's font where the window's own is not
// installed, a line count panel with room for a million, and descriptions the
// columns cut shown whole in a tool tip.
#include "scripteddialogs.h"
#include "testenvironment.h"
#include "app/projectlistdelegate.h"
#include "app/projectlistmodel.h"
#include "app/toolbaricons.h"
#include "app/tvantorel.h"
#include "ui_tvantorel.h"

#include <QApplication>
#include <QFontDatabase>
#include <QLabel>
#include <QTableView>
#include <QToolBar>
#include <QToolTip>
#include <QTextDocumentFragment>
#include <QtTest>

class TestDesktopFeel : public QObject {
    Q_OBJECT
private slots:
    void drawnPicturesAreDrawnAtThePixelRatio();
    void toolbarTakesOneSet();
    void windowFollowsTheDesktopFont();
    void cutTextShowsWholeInATip();
};

void TestDesktopFeel::cutTextShowsWholeInATip()
{
    TestEnvironment env;
    const QString longDescription =
        QStringLiteral("Ring Road survey, north section,  phase two: drainage and lighting");
    env.writeFile(QStringLiteral("Projects.txt"),
                  TestEnvironment::listBytes({QStringLiteral("004     Garden shed"),
                                              QStringLiteral("007     ") + longDescription}));
    ScriptedDialogs dialogs;
    auto w = startMainWindow(dialogs);
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    auto* list = w->findChild<QTableView*>(QStringLiteral("Projects"));
    ProjectListModel* model = w->listModel();
    // The column shows columns 8 to 47 of the line, the blank before the text included.
    const QString fromColumn8 = QLatin1Char(' ') + longDescription;
    QCOMPARE(model->index(1, 1).data(Qt::ToolTipRole).toString(), fromColumn8);
    QCOMPARE(model->index(1, 1).data().toString(), fromColumn8.left(40));

    const auto tipOver = [&](const QModelIndex& index) {
        QToolTip::hideText();  // goes after a moment
        for (int i = 0; i < 100 && QToolTip::isVisible(); ++i)
            QTest::qWait(10);
        const QPoint at = list->visualRect(index).center();
        QHelpEvent help(QEvent::ToolTip, at, list->viewport()->mapToGlobal(at));
        QApplication::sendEvent(list->viewport(), &help);
        if (!QToolTip::isVisible())
            return QString();
        const QString text = QToolTip::text();
        return Qt::mightBeRichText(text) ? QTextDocumentFragment::fromHtml(text).toPlainText() : text;
    };
    // The column cuts the description at 40 characters: the tip has it all, blanks kept.
    const QString tip = tipOver(model->index(1, 1));
    QCOMPARE(tip, fromColumn8);
    // A description of a hundred lines' length comes whole too, wrapped.
    const QString veryLong = QStringLiteral("Survey <north> & south  ").repeated(200);
    env.writeFile(QStringLiteral("Projects.txt"),
                  TestEnvironment::listBytes({QStringLiteral("004     Garden shed"), QStringLiteral("007     ") + veryLong}));
    w->openList("Projects.txt");
    QCOMPARE(tipOver(model->index(1, 1)), QLatin1Char(' ') + veryLong);
    // A description that fits has no tip.
    QCOMPARE(tipOver(model->index(0, 1)), QString());

    // A column too narrow for its text at the font in use cuts it too.
    auto* delegate = qobject_cast<ProjectListDelegate*>(list->itemDelegate());
    QVERIFY(delegate);
    QStyleOptionViewItem option;
    option.initFrom(list);
    option.rect = list->visualRect(model->index(0, 1));
    QVERIFY(!delegate->cutsText(option, model->index(0, 1), list));
    option.rect.setWidth(list->fontMetrics().horizontalAdvance(QStringLiteral("Garden")));
    QVERIFY(delegate->cutsText(option, model->index(0, 1), list));
    list->setColumnWidth(0, 8);
    QCOMPARE(tipOver(model->index(0, 0)), QStringLiteral("004  "));
}

void TestDesktopFeel::drawnPicturesAreDrawnAtThePixelRatio()
{
    for (qreal ratio : {1.0, 1.5, 2.0}) {
        const QIcon icon = drawnToolbarIcon(ToolPicture::Edit);
        const QPixmap shown = icon.pixmap(QSize(32, 32), ratio);
        const int pixels = qRound(32 * ratio);
        QCOMPARE(shown.size(), QSize(pixels, pixels));
        QCOMPARE(shown.devicePixelRatio(), ratio);
        // Drawn at that size, not a 32-pixel picture stretched.
        QImage image = shown.toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(1.0);
        QCOMPARE(image, drawnToolPicture(ToolPicture::Edit, pixels).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied));
    }
    const QIcon icon = drawnToolbarIcon(ToolPicture::Print);
    QVERIFY(icon.pixmap(32, QIcon::Disabled).toImage() != icon.pixmap(32, QIcon::Normal).toImage());
}

void TestDesktopFeel::toolbarTakesOneSet()
{
    TestEnvironment env;
    ScriptedDialogs dialogs;
    auto w = startMainWindow(dialogs);
    const QList<ToolPicture> pictures = {ToolPicture::Exit, ToolPicture::Print, ToolPicture::Edit, ToolPicture::Delete,
                                         ToolPicture::Add,  ToolPicture::Insert, ToolPicture::Fix, ToolPicture::Swap};
    QList<QAction*> buttons;
    for (QAction* action : w->form()->ToolBar1->actions()) {
        if (!action->isSeparator() && !action->icon().isNull())
            buttons << action;
    }
    QCOMPARE(buttons.size(), pictures.size());
    for (int i = 0; i < buttons.size(); ++i) {
        const QImage shown = buttons[i]->icon().pixmap(32).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
        const QImage drawn = drawnToolPicture(pictures[i], 32).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
        // All from the theme or all drawn, never a mix.
        QCOMPARE(shown == drawn, !themeHasEveryToolPicture());
    }
}

void TestDesktopFeel::windowFollowsTheDesktopFont()
{
    if (QFontDatabase::hasFamily(QStringLiteral("MS Sans Serif")))
        QSKIP("the window's own font is installed here");
    const QFont desktopFont = QApplication::font();
    QFont large = desktopFont;
    large.setPointSize(14);
    QApplication::setFont(large);
    TestEnvironment env;
    ScriptedDialogs dialogs;
    auto w = startMainWindow(dialogs);
    QApplication::setFont(desktopFont);

    QCOMPARE(w->font().family(), large.family());
    QCOMPARE(w->font().pointSize(), 14);
    QCOMPARE(w->form()->Projects->font().pointSize(), 14);
    // Rows and the status bar are a line of that font high.
    QVERIFY(w->form()->Projects->verticalHeader()->defaultSectionSize() >= QFontMetrics(large).height());
    QVERIFY(w->form()->StatusBar->height() >= QFontMetrics(large).height());
    // Three digits show whole in column "Num".
    const auto numberFits = [&](const QFont& font) {
        QTableView* list = w->form()->Projects;
        const int margins = 2 * (list->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, list) + 1);
        const QString number = QStringLiteral("001");
        return QFontMetrics(font).elidedText(number, Qt::ElideRight, list->columnWidth(0) - margins) == number;
    };
    QVERIFY(numberFits(large));

    QLabel* count = w->statusPanel(1);
    count->setText(QString::number(1000000));
    QVERIFY(count->width() >= count->fontMetrics().horizontalAdvance(count->text()) + 2 * count->frameWidth());
    QLabel* foundRow = w->statusPanel(3);
    QVERIFY(foundRow->width() >= foundRow->fontMetrics().horizontalAdvance(QStringLiteral("999999")) +
                                     2 * foundRow->frameWidth());

    // A font given to the window later (a style sheet, a desktop change) is followed too.
    QFont larger = large;
    larger.setPointSize(24);
    w->setFont(larger);
    QVERIFY(count->width() >= QFontMetrics(larger).horizontalAdvance(count->text()) + 2 * count->frameWidth());
    QVERIFY(w->form()->StatusBar->height() >= QFontMetrics(larger).height());
    QVERIFY(w->form()->Projects->verticalHeader()->defaultSectionSize() >= QFontMetrics(larger).height());
    QVERIFY(numberFits(larger));
}

QTEST_MAIN(TestDesktopFeel)
#include "test_desktopfeel.moc"
