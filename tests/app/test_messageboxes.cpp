// The message boxes the user really sees: very long texts (a bad line of
// megabytes, a huge description) are cut to their first 1,000 characters and
// an ellipsis instead of freezing the window, an endless word wraps inside
// the box, and quoted text is shown as typed, never as markup.
#include "app/projectlistmodel.h"
#include "app/qtdialogs.h"
#include "app/tvantorel.h"
#include "document/projectlistdocument.h"
#include "app/windowhost.h"
#include "scripteddialogs.h"
#include "testenvironment.h"
#include "widgetlookup.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QMessageBox>
#include <QTimer>
#include <QtTest>

namespace {

const QChar ellipsis(0x2026);

struct SeenBox {
    QString title;
    QString text;
    Qt::TextFormat format = Qt::AutoText;
};

// Answers every message box that comes up with the given button (or the
// box's only one) and notes what it showed.
class BoxAnswerer {
public:
    explicit BoxAnswerer(QMessageBox::StandardButton answer = QMessageBox::NoButton) : answer_(answer)
    {
        QObject::connect(&timer_, &QTimer::timeout, [this] { answerOpenBox(); });
        timer_.start(10);
    }
    QList<SeenBox> seen;
    qsizetype breakChances = 0;

private:
    void answerOpenBox()
    {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || box->property("answered").toBool())
            return;
        box->setProperty("answered", true);
        // Invisible break chances aside, the text as the user reads it.
        QString text = box->text();
        breakChances += text.count(QChar(0x200B));
        text.remove(QChar(0x200B));
        seen.append({box->windowTitle(), text, box->textFormat()});
        QAbstractButton* button = answer_ != QMessageBox::NoButton ? box->button(answer_) : nullptr;
        if (!button)
            button = box->buttons().value(0);
        button->click();
    }

    QMessageBox::StandardButton answer_;
    QTimer timer_;
};

// The real main window, with its own Qt dialogs rather than scripted ones.
std::unique_ptr<TVantorel> startWithRealDialogs(ScriptedDialogs& startUp)
{
    auto window = startMainWindow(startUp);
    window->parts().host->setDialogs(nullptr);
    return window;
}

} // namespace

class TestMessageBoxes : public QObject {
    Q_OBJECT
private slots:
    void shortTextsAreShownWhole();
    void longTextsAreCutWithAnEllipsis();
    void tenMegabyteBadLineWithErrorsShown();
    void removeQuestionForAHugeDescription();
};

void TestMessageBoxes::shortTextsAreShownWhole()
{
    QWidget parent;
    QtDialogs dialogs(&parent);
    BoxAnswerer answerer(QMessageBox::No);
    dialogs.showMessage(QStringLiteral("First\rSecond"));
    const QString exactlyLimit(1000, QLatin1Char('a'));
    dialogs.showError(exactlyLimit);
    dialogs.ask(MessageKind::Information, QStringLiteral("<b>Bold</b> & <img src=\"file:///dev/zero\">"),
                {MessageButton::Yes, MessageButton::No});
    QCOMPARE(answerer.seen.size(), 3);
    QCOMPARE(answerer.seen[0].text, QStringLiteral("First\nSecond"));
    QCOMPARE(answerer.seen[1].text, exactlyLimit);
    QCOMPARE(answerer.seen[2].text, QStringLiteral("<b>Bold</b> & <img src=\"file:///dev/zero\">"));
    for (const SeenBox& box : answerer.seen)
        QCOMPARE(box.format, Qt::PlainText);
}

void TestMessageBoxes::longTextsAreCutWithAnEllipsis()
{
    QWidget parent;
    QtDialogs dialogs(&parent);
    BoxAnswerer answerer(QMessageBox::Yes);
    const QString longText = QStringLiteral("error in line ") + QString(2000, QLatin1Char('x'));
    dialogs.showMessage(longText);
    QCOMPARE(dialogs.ask(MessageKind::Warning, longText, {MessageButton::Yes, MessageButton::No}),
             MessageButton::Yes);
    // A character outside the basic plane that straddles the cut is left out
    // whole, not halved.
    const QString clef = QString::fromUcs4(U"\U0001D11E");
    const QString straddling = QString(999, QLatin1Char('a')) + clef + QStringLiteral("tail");
    dialogs.showError(straddling);
    QCOMPARE(answerer.seen.size(), 3);
    QCOMPARE(answerer.seen[0].text, longText.left(1000) + ellipsis);
    QCOMPARE(answerer.seen[1].text, longText.left(1000) + ellipsis);
    QCOMPARE(answerer.seen[2].text, QString(999, QLatin1Char('a')) + ellipsis);
    // Endless words wrap: each long run gets a break chance every 80 characters.
    QCOMPARE(answerer.breakChances, qsizetype(3 * 12));
}

// One line of 10 MB without the layout, with "Display Errors as found in
// repair mode" on: the error box shows its start, the question follows.
void TestMessageBoxes::tenMegabyteBadLineWithErrorsShown()
{
    TestEnvironment env;
    const QByteArray hugeLine(10 * 1024 * 1024, 'x');
    env.writeFile(QStringLiteral("Projects.txt"), "001     Alpha\r\n" + hugeLine + "\r\n");
    ScriptedDialogs startUp;
    auto w = startWithRealDialogs(startUp);
    QCOMPARE(w->parts().listModel->count(), 2);
    w->findChild<QCheckBox*>(QStringLiteral("DisplayAllErrors"))->setChecked(true);

    BoxAnswerer answerer(QMessageBox::No);
    QVERIFY(triggerAction(&*w, "FixErrors1"));
    QCOMPARE(answerer.seen.size(), 2);
    QCOMPARE(answerer.seen[0].text,
             QStringLiteral("error in line ") + QString(1000 - 14, QLatin1Char('x')) + ellipsis);
    QCOMPARE(answerer.seen[1].text, QStringLiteral("0 Blank lines were deleted from the Project List\n"
                                                   "1 Format errors were fixed\nClick Yes to save changes"));
    // No: the file is as it was.
    QCOMPARE(env.readFile(QStringLiteral("Projects.txt")).size(), hugeLine.size() + 17);
}

void TestMessageBoxes::removeQuestionForAHugeDescription()
{
    TestEnvironment env;
    const QString description(1024 * 1024, QLatin1Char('d'));
    env.writeFile(QStringLiteral("Projects.txt"),
                  TestEnvironment::listBytes({QStringLiteral("001     Alpha"), QStringLiteral("002     ") + description}));
    ScriptedDialogs startUp;
    auto w = startWithRealDialogs(startUp);
    named<QTableView>(&*w, "Projects")->setCurrentIndex(w->parts().listModel->index(1, 0));
    QVERIFY(triggerAction(&*w, "RemoveProject1"));

    BoxAnswerer answerer(QMessageBox::Abort);
    named<QPushButton>(&*w, "Remove")->click();
    QCOMPARE(answerer.seen.size(), 1);
    const QString question = QStringLiteral("This will remove ") + description + QStringLiteral(" From the projects list\nAre you sure ?");
    QCOMPARE(answerer.seen[0].text, question.left(1000) + ellipsis);
    QCOMPARE(w->document().lines().size(), std::size_t(2));
}

QTEST_MAIN(TestMessageBoxes)
#include "test_messageboxes.moc"
