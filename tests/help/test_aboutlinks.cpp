// The maker's links: Help > "Corvane on The Web" and "Contact Corvane" hand
// the link opener the web address and "mailto:" + the support address, through
// the TKURL2 links on the hidden panel; and the link label itself.
#include "help/linkopener.h"
#include "scripteddialogs.h"
#include "testenvironment.h"
#include "help/tkurl2.h"
#include "app/tvantorel.h"

#include <QLabel>
#include <QtTest>

namespace {

// Chooses a menu item of the main window, as the user would.
void trigger(TVantorel& window, const char* name)
{
    auto* action = window.findChild<QAction*>(name);
    QVERIFY2(action && action->isEnabled(), name);
    action->trigger();
}

class RecordingLinkOpener : public LinkOpener {
public:
    QStringList opened;
    void openLink(const QString& target) override { opened << target; }
};

} // namespace

class TestAboutLinks : public QObject {
    Q_OBJECT

private slots:
    void helpMenuOpensTheWebSiteAndANewMail()
    {
        TestEnvironment env;
        ScriptedDialogs dialogs;
        auto window = startMainWindow(dialogs);
        auto* web = window->findChild<TKURL2*>("web");
        auto* email = window->findChild<TKURL2*>("email");
        QVERIFY(web && email);
        QVERIFY(!window->findChild<QWidget*>("Panel1")->isVisibleTo(window.get()));
        QCOMPARE(web->Choose(), TKURL2::ltURL);
        QCOMPARE(email->Choose(), TKURL2::ltEMAIL);
        RecordingLinkOpener opener;
        web->setLinkOpener(&opener);
        email->setLinkOpener(&opener);
        dialogs.clear();  // the start-up's "Cannot find list file"

        trigger(*window, "CorvaneonTheWeb1");
        trigger(*window, "ContactCorvane1");
        QCOMPARE(opener.opened, (QStringList{QStringLiteral("https://www.corvane.example/"),
                                             QStringLiteral("mailto:support@corvane.example")}));
        QVERIFY(dialogs.shown.isEmpty());
    }

    void clickingTheLabelOpensTheLink()
    {
        TKURL2 link;
        RecordingLinkOpener opener;
        link.setLinkOpener(&opener);
        link.setChoose(TKURL2::ltEMAIL);
        link.setURLorEMAIL(QStringLiteral("help@corvane.example"));
        link.show();
        QVERIFY(QTest::qWaitForWindowExposed(&link));
        QTest::mouseClick(link.label(), Qt::RightButton);
        QVERIFY(opener.opened.isEmpty());
        QTest::mouseClick(link.label(), Qt::LeftButton);
        QCOMPARE(opener.opened, QStringList(QStringLiteral("mailto:help@corvane.example")));
    }

    void aNewLinkAndALongerTargetWideningIt()
    {
        TKURL2 link;
        QCOMPARE(link.height(), 13);
        QCOMPARE(link.cursor().shape(), Qt::PointingHandCursor);
        QCOMPARE(link.toolTip(), QStringLiteral("Put here the Hint for your site link!"));
        QCOMPARE(link.Choose(), TKURL2::ltURL);
        QVERIFY(link.ShowHint());
        QCOMPARE(link.URLorEMAIL(), TKURL2::placeholderAddress());
        QVERIFY(link.label()->font().underline());
        QCOMPARE(link.label()->palette().color(QPalette::WindowText), QColor(0, 0, 255));
        QCOMPARE(link.width(), link.label()->width());

        const int before = link.width();
        link.setURLorEMAIL(QStringLiteral("https://www.corvane.example/projects/quindle/downloads/"));
        QVERIFY(link.width() > before);
        QCOMPARE(link.width(), link.label()->sizeHint().width());
        link.setURLorEMAIL(QStringLiteral("a@b.example"));
        QVERIFY(link.width() < before);
        QCOMPARE(link.width(), link.label()->width());
    }
};

QTEST_MAIN(TestAboutLinks)
#include "test_aboutlinks.moc"
