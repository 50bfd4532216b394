#include "retryafter.h"

#include <QTest>

using namespace std::chrono_literals;

Q_DECLARE_METATYPE(QuoteResult)

class TestRetryAfter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void readsDelay_data();
    void readsDelay();
    void decidesWhetherToAskAgain_data();
    void decidesWhetherToAskAgain();
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

void TestRetryAfter::decidesWhetherToAskAgain_data()
{
    QTest::addColumn<QuoteResult>("result");
    QTest::addColumn<QByteArray>("retryAfter");
    QTest::addColumn<qint64>("spentMs");
    QTest::addColumn<qint64>("waitSeconds"); // -1: not asked again

    const QuoteResult busy = QuoteResult::failed(QuoteFailure::RateLimited, 429);
    // The lookup has 30 s in all.
    QTest::newRow("a second") << busy << QByteArray("1") << qint64(0) << qint64(1);
    QTest::newRow("the longest wait") << busy << QByteArray("10") << qint64(0) << qint64(10);
    QTest::newRow("a second past it") << busy << QByteArray("11") << qint64(0) << qint64(-1);
    QTest::newRow("wait ends just inside the lookup's time") << busy << QByteArray("10") << qint64(19999)
                                                             << qint64(10);
    QTest::newRow("wait ends with the lookup's time") << busy << QByteArray("10") << qint64(20000)
                                                      << qint64(-1);
    QTest::newRow("no wait given") << busy << QByteArray() << qint64(0) << qint64(-1);
    QTest::newRow("a date five seconds on") << busy << QByteArray("Tue, 08 Dec 2026 12:00:05 GMT") << qint64(0)
                                            << qint64(5);
    QTest::newRow("not busy") << QuoteResult::failed(QuoteFailure::NoPriceOnPage, 500) << QByteArray("1")
                              << qint64(0) << qint64(-1);
    QTest::newRow("priced") << QuoteResult::withPrice(5) << QByteArray("1") << qint64(0) << qint64(-1);
}

void TestRetryAfter::decidesWhetherToAskAgain()
{
    QFETCH(QuoteResult, result);
    QFETCH(QByteArray, retryAfter);
    QFETCH(qint64, spentMs);
    QFETCH(qint64, waitSeconds);

    const QDateTime now(QDate(2026, 12, 8), QTime(12, 0), Qt::UTC);
    const std::optional<std::chrono::seconds> wait =
        retryWait(result, retryAfter, now, std::chrono::milliseconds(spentMs), 30s);
    QCOMPARE(wait.has_value(), waitSeconds >= 0);
    if (wait)
        QCOMPARE(qint64(wait->count()), waitSeconds);
}

QTEST_GUILESS_MAIN(TestRetryAfter)
#include "tst_retryafter.moc"
