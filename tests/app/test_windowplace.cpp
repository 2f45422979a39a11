// The window's remembered place read from its stored bytes and judged before
// it is used: places no window can have had are told from sane ones, smaller
// or larger than the designed size, and bytes that hold no place are none.
#include "storedplace.h"
#include "app/windowplace.h"

#include <QtTest>

#include <limits>

namespace {

constexpr qint32 lowest = std::numeric_limits<qint32>::min();
constexpr qint32 highest = std::numeric_limits<qint32>::max();

const QList<QRect> oneScreen = {QRect(0, 0, 1920, 1080)};
const QSize minimum(400, 200);

} // namespace

class TestWindowPlace : public QObject {
    Q_OBJECT
private slots:
    void placeJudged_data();
    void placeJudged();
    void notAPlace_data();
    void notAPlace();
};

void TestWindowPlace::placeJudged_data()
{
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<bool>("sane");

    QTest::newRow("the designed size") << storedPlace(QRect(100, 100, 740, 505)) << true;
    QTest::newRow("smaller, as the user left it") << storedPlace(QRect(10, 30, 420, 230)) << true;
    QTest::newRow("larger, as the user left it") << storedPlace(QRect(0, 24, 1900, 1040)) << true;
    QTest::newRow("partly off the screen") << storedPlace(QRect(1700, 900, 740, 505)) << true;
    QTest::newRow("edges across the whole integer range")
        << storedPlace({lowest, lowest, highest, highest}, {lowest, lowest, highest, highest},
                       {lowest, lowest, highest, highest})
        << false;
    QTest::newRow("right of left, bottom above top")
        << storedPlace({900, 700, 100, 100}, {902, 724, 98, 98}, {902, 724, 98, 98}) << false;
    QTest::newRow("only the frame turned round")
        << storedPlace({900, 700, 100, 100}, edgesOf(QRect(100, 100, 740, 505)), edgesOf(QRect(100, 100, 740, 505)))
        << false;
    QTest::newRow("nothing inside") << storedPlace(QRect(100, 100, 0, 0)) << false;
    QTest::newRow("a sliver below the minimum") << storedPlace(QRect(100, 100, 500, 83)) << false;
    QTest::newRow("narrower than the minimum") << storedPlace(QRect(100, 100, 399, 300)) << false;
    QTest::newRow("larger than the screen") << storedPlace(QRect(0, 0, 4000, 3000)) << false;
    QTest::newRow("on no screen there is") << storedPlace(QRect(5000, 4000, 740, 505)) << false;
    QTest::newRow("far off above the left") << storedPlace(QRect(lowest + 10, lowest + 30, 740, 505)) << false;
    QTest::newRow("the normal place garbage, the rest sane")
        << storedPlace(edgesOf(QRect(98, 76, 744, 531)), {lowest, 0, highest, 10}, edgesOf(QRect(100, 100, 740, 505)))
        << false;
}

void TestWindowPlace::placeJudged()
{
    QFETCH(QByteArray, stored);
    QFETCH(bool, sane);
    const std::optional<StoredWindowPlace> place = readStoredWindowPlace(stored);
    QVERIFY(place);
    QCOMPARE(isSaneWindowPlace(*place, minimum, oneScreen), sane);
}

void TestWindowPlace::notAPlace_data()
{
    QTest::addColumn<QByteArray>("stored");
    const QByteArray valid = storedPlace(QRect(100, 100, 740, 505));
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("cut short") << valid.left(valid.size() - 1);
    QTest::newRow("another magic number") << QByteArray(valid).replace(0, 1, "\x7F");
    QTest::newRow("a later version") << QByteArray(valid).replace(4, 2, QByteArray("\0\x04", 2));
    QTest::newRow("text") << QByteArray("garbage bytes of some length, more than a place has");
}

void TestWindowPlace::notAPlace()
{
    QFETCH(QByteArray, stored);
    QVERIFY(!readStoredWindowPlace(stored));
}

QTEST_MAIN(TestWindowPlace)
#include "test_windowplace.moc"
