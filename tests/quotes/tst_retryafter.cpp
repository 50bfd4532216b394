#include "retryafter.h"

#include <QTest>

using namespace std::chrono_literals;

class TestRetryAfter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void readsDelay_data();
    void readsDelay();
};

void TestRetryAfter::readsDelay_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<bool>("read");
    QTest::addColumn<qint64>("seconds");

    // "now" is Tue, 08 Dec 2026 12:00:00 GMT in every row.
    QTest::newRow("seconds") << QByteArray("1") << true << qint64(1);
    QTest::newRow("zero") << QByteArray("0") << true << qint64(0);
    QTest::newRow("spaces around") << QByteArray("  7 ") << true << qint64(7);
    QTest::newRow("huge number is capped past a day")
        << QByteArray("99999999999999999999999") << true << qint64(86401);
    QTest::newRow("date ten seconds on") << QByteArray("Tue, 08 Dec 2026 12:00:10 GMT") << true << qint64(10);
    QTest::newRow("date an hour on") << QByteArray("Tue, 08 Dec 2026 13:00:00 GMT") << true << qint64(3600);
    QTest::newRow("date in the past") << QByteArray("Mon, 07 Dec 2026 12:00:00 GMT") << true << qint64(0);
    QTest::newRow("RFC 2822 date") << QByteArray("08 Dec 2026 12:01:00 +0000") << true << qint64(60);
    QTest::newRow("date not in GMT") << QByteArray("Tue, 08 Dec 2026 12:00:10 CET") << false << qint64(0);
    QTest::newRow("empty") << QByteArray() << false << qint64(0);
    QTest::newRow("negative") << QByteArray("-5") << false << qint64(0);
    QTest::newRow("fraction") << QByteArray("1.5") << false << qint64(0);
    QTest::newRow("words") << QByteArray("later please") << false << qint64(0);
}

void TestRetryAfter::readsDelay()
{
    QFETCH(QByteArray, value);
    QFETCH(bool, read);
    QFETCH(qint64, seconds);

    const QDateTime now(QDate(2026, 12, 8), QTime(12, 0), Qt::UTC);
    const std::optional<std::chrono::seconds> delay = retryAfterDelay(value, now);
    QCOMPARE(delay.has_value(), read);
    if (read)
        QCOMPARE(qint64(delay->count()), seconds);
}

QTEST_GUILESS_MAIN(TestRetryAfter)
#include "tst_retryafter.moc"
