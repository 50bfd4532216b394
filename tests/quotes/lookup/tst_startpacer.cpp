#include "startpacer.h"

#include <QTest>

using namespace std::chrono;

class TestStartPacer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void spacesStarts_data();
    void spacesStarts();
};

void TestStartPacer::spacesStarts_data()
{
    QTest::addColumn<int>("perMinute");
    QTest::addColumn<QList<int>>("asked");    // ms on the clock the test keeps
    QTest::addColumn<QList<int>>("started");

    QTest::newRow("no limit") << 0 << QList<int>{0, 0, 0} << QList<int>{0, 0, 0};
    QTest::newRow("5 a minute, asked at once")
        << 5 << QList<int>{0, 0, 0, 0, 0, 0} << QList<int>{0, 12000, 24000, 36000, 48000, 60000};
    QTest::newRow("5 a minute, two asked late")
        << 5 << QList<int>{0, 0, 100000, 100000} << QList<int>{0, 12000, 100000, 112000};
    QTest::newRow("600 a minute, the most") << 600 << QList<int>{0, 0, 0} << QList<int>{0, 100, 200};
}

void TestStartPacer::spacesStarts()
{
    QFETCH(int, perMinute);
    QFETCH(QList<int>, asked);
    QFETCH(QList<int>, started);

    StartPacer pacer(perMinute);
    const StartPacer::Clock::time_point zero;
    for (qsizetype i = 0; i < asked.size(); ++i) {
        const auto start = pacer.book(zero + milliseconds(asked[i]));
        QCOMPARE(duration_cast<milliseconds>(start - zero).count(), qint64(started[i]));
    }
}

QTEST_GUILESS_MAIN(TestStartPacer)
#include "tst_startpacer.moc"
