// The about box on the real main window: Help > "&About" builds the TAbout
// dialog, fills in its lines from the properties and the executable's version
// block, and lays it out around its picture.
#include "common/apptitle.h"
#include "common/quindleerror.h"
#include "scripteddialogs.h"
#include "help/tabout.h"
#include "help/tcorvaneaboutbox.h"
#include "testenvironment.h"
#include "app/tvantorel.h"

#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// Chooses a menu item of the main window, as the user would.
void trigger(TVantorel& window, const char* name)
{
    auto* action = window.findChild<QAction*>(name);
    QVERIFY2(action && action->isEnabled(), name);
    action->trigger();
}

// What the about dialog looked like when it was run.
struct Shown {
    QString caption;
    QSize size;
    QRect ok;
    QRect logo;
    QMap<QString, QRect> lines;
    QMap<QString, QString> texts;
};

class InspectingDialogs : public ScriptedDialogs {
public:
    QList<Shown> dialogs;

    int execDialog(QDialog& dialog) override
    {
        Shown s{dialog.windowTitle(), dialog.size(), dialog.findChild<QPushButton*>("OkButton")->geometry(),
                dialog.findChild<QLabel*>("Logo")->geometry(), {}, {}};
        for (const char* name : {"WTitle", "WCopyright", "WAuthor", "WVersion"}) {
            const auto* line = dialog.findChild<QLabel*>(name);
            s.lines[name] = line->geometry();
            s.texts[name] = line->text();
        }
        dialogs << s;
        return ScriptedDialogs::execDialog(dialog);
    }
};

QString quindleExecutable()
{
    return qEnvironmentVariable("QUINDLE_BUILD_DIR") + QStringLiteral("/quindle");
}

} // namespace

class TestAboutBox : public QObject {
    Q_OBJECT

    QTemporaryDir pictures_;

    QString pictureFile(int width, int height)
    {
        const QString path = pictures_.filePath(QStringLiteral("picture%1x%2.png").arg(width).arg(height));
        QPixmap pm(width, height);
        pm.fill(Qt::darkGreen);
        if (!pm.save(path))
            qFatal("cannot write picture");
        return path;
    }

    // The about box with the main window's values.
    static void mainWindowValues(TCorvaneAboutBox& box)
    {
        box.setTextCentered(false);
        box.setWidth(130);
        box.setHeight(150);
    }

private slots:
    void helpAboutShowsTheDialogLaidOutForTheMainWindow()
    {
        TestEnvironment env;
        InspectingDialogs dialogs;
        auto window = startMainWindow(dialogs);
        auto* box = window->findChild<TCorvaneAboutBox*>("AboutBox");
        QVERIFY(box);
        QCOMPARE(box->Filename(), QCoreApplication::applicationFilePath());
        QCOMPARE(QApplication::windowIcon().actualSize(QSize(32, 32)), QSize(32, 32));

        for (int run = 0; run < 2; ++run) {
            trigger(*window, "About1");
            QCOMPARE(dialogs.texts("dialog"), QStringList(QStringLiteral("TAbout")));
            QVERIFY(dialogs.errors().isEmpty());
            const Shown s = dialogs.dialogs.takeFirst();
            dialogs.clear();
            QCOMPARE(s.caption, QString());
            QCOMPARE(s.size, QSize(130, 182));
            QCOMPARE(s.ok, QRect(30, 122, 70, 25));
            QCOMPARE(s.logo.topLeft(), QPoint(49, 80));
            QCOMPARE(s.logo.size(), QSize(32, 32));
            const char* order[] = {"WTitle", "WCopyright", "WAuthor", "WVersion"};
            for (int i = 0; i < 4; ++i)
                QCOMPARE(s.lines[order[i]].topLeft(), QPoint(20, 15 + 15 * i));
            QCOMPARE(s.texts["WTitle"], applicationTitle());
            QCOMPARE(s.texts["WCopyright"], TCorvaneAboutBox::makersCopyright());
            QCOMPARE(s.texts["WAuthor"], TCorvaneAboutBox::defaultAuthor());
            // This test program carries no version block: the line shows the
            // (empty) Version property, without the "Version " prefix.
            QCOMPARE(s.texts["WVersion"], QString());
        }
        QCOMPARE(box->Width(), 130);
        QCOMPARE(box->Height(), 182);
        QCOMPARE(box->Title(), applicationTitle());
        QCOMPARE(box->Author(), TCorvaneAboutBox::defaultAuthor());
    }

    void theTitleIsTheExecutableNameCapitalised()
    {
        QCOMPARE(titleFromExecutableName(QStringLiteral("/opt/build/quindle")), QStringLiteral("Quindle"));
        QCOMPARE(titleFromExecutableName(QStringLiteral("C:/Tools/QUINDLE.EXE")), QStringLiteral("Quindle"));
        QCOMPARE(titleFromExecutableName(QStringLiteral("vantorel.exe")), QStringLiteral("Vantorel"));
    }

    void theVersionLineComesFromFilename()
    {
        InspectingDialogs dialogs;
        TCorvaneAboutBox box;
        box.setVersion(QStringLiteral("unknown"));
        box.setCaption(QStringLiteral("About Quindle"));
        box.setFilename(quindleExecutable());
        box.Execute(&dialogs);
        QCOMPARE(dialogs.dialogs.at(0).texts["WVersion"], QStringLiteral("Version 1.0.0.3"));
        QCOMPARE(dialogs.dialogs.at(0).caption, QStringLiteral("About Quindle"));

        box.setFilename(pictures_.filePath(QStringLiteral("no such program")));
        box.Execute(&dialogs);
        QCOMPARE(dialogs.dialogs.at(1).texts["WVersion"], QStringLiteral("unknown"));
    }

    void thePictureWidensAndHeightensTheDialog()
    {
        InspectingDialogs dialogs;
        TCorvaneAboutBox box;
        mainWindowValues(box);
        box.setIconFile(pictureFile(200, 40));
        box.Execute(&dialogs);
        Shown s = dialogs.dialogs.takeLast();
        QCOMPARE(s.size, QSize(208, 190));
        QCOMPARE(s.logo, QRect(4, 80, 200, 40));
        QCOMPARE(s.ok, QRect(30, 130, 148, 25));
        QCOMPARE(box.Width(), 208);

        // A picture exactly as wide as the dialog also widens it.
        box.setWidth(130);
        box.setIconFile(pictureFile(130, 10));
        box.Execute(&dialogs);
        QCOMPARE(dialogs.dialogs.takeLast().size, QSize(138, 190));

        // Never narrower than 120, never lower than picture + 150.
        box.setWidth(100);
        box.setHeight(100);
        box.setIconFile(pictureFile(32, 32));
        box.Execute(&dialogs);
        s = dialogs.dialogs.takeLast();
        QCOMPARE(s.size, QSize(120, 182));
        QCOMPARE(s.logo.x(), 44);
        QCOMPARE(s.ok, QRect(30, 122, 60, 25));
    }

    void centredTextAndTheBuiltInPicture()
    {
        InspectingDialogs dialogs;
        TCorvaneAboutBox box;  // constructor values: centred text, 230 x 250
        box.setTitle(QStringLiteral("A rather longer application title"));
        box.setVersion(QStringLiteral("n/a"));
        box.setDefaultIcon(true);
        box.Execute(&dialogs);
        const Shown s = dialogs.dialogs.takeLast();
        QCOMPARE(s.size, QSize(230, 270));  // built-in picture 147 x 120
        QCOMPARE(s.logo, QRect(115 - 73, 80, 147, 120));
        QCOMPARE(s.ok.top(), 210);
        for (const QRect& line : s.lines) {
            QVERIFY(line.width() > 0);
            QCOMPARE(line.x(), 115 - line.width() / 2);
        }
        QVERIFY(s.lines["WTitle"].width() > s.lines["WAuthor"].width());
    }

    void theResultIsWhetherOkClosedIt()
    {
        ScriptedDialogs scripted;
        TCorvaneAboutBox box;
        scripted.dialogResults = {QDialog::Accepted, QDialog::Rejected};
        QVERIFY(box.Execute(&scripted));
        QVERIFY(!box.Execute(&scripted));

        // The real modal run: pressing OK ends it with OK.
        QTimer::singleShot(0, [] {
            auto* about = qobject_cast<TAbout*>(QApplication::activeModalWidget());
            if (about)
                QTest::mouseClick(about->OkButton, Qt::LeftButton);
        });
        QVERIFY(box.Execute());
    }

    void anUnreadablePictureIsReportedAndNothingShown()
    {
        TestEnvironment env;
        InspectingDialogs dialogs;
        auto window = startMainWindow(dialogs);
        auto* box = window->findChild<TCorvaneAboutBox*>("AboutBox");
        const QString notAPicture = env.path(QStringLiteral("notes.bmp"));
        env.writeFile(QStringLiteral("notes.bmp"), "plain text, not a picture");
        box->setIconFile(notAPicture);
        trigger(*window, "About1");
        QCOMPARE(dialogs.errors(), QStringList(QStringLiteral("Cannot load the picture ") + notAPicture));
        QVERIFY(dialogs.dialogs.isEmpty());
        QVERIFY_EXCEPTION_THROWN(box->Execute(&dialogs), QuindleError);
    }
};

QTEST_MAIN(TestAboutBox)
#include "test_aboutbox.moc"
