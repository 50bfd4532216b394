// What a valued row's Value box says about its price.

#include "pricenote.h"

#include <QtTest>

namespace {

QDateTime utc(const char *iso)
{
    return QDateTime::fromString(QString::fromLatin1(iso), Qt::ISODate);
}

// 08:32 UTC is 14:02 in the test's zone.
QuoteResult found(double price, const char *currency = "USD", const char *source = "Prices A",
                  const char *fetched = "2026-12-07T08:32:00Z")
{
    QuoteResult result = QuoteResult::withPrice(price);
    result.currency = QString::fromLatin1(currency);
    result.source = QString::fromLatin1(source);
    result.fetched = utc(fetched);
    return result;
}

QuoteResult lastKnown(QuoteResult stored, QuoteFailure failure = QuoteFailure::TimedOut, int httpStatus = 0)
{
    stored.failure = failure;
    stored.httpStatus = httpStatus;
    stored.lastKnown = true;
    return stored;
}

} // namespace

class TestPriceNote : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void note_data();
    void note();
};

void TestPriceNote::note_data()
{
    QTest::addColumn<QuoteResult>("result");
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<QString>("expected");

    const QDateTime sameDay = utc("2026-12-07T10:00:00Z");
    QTest::newRow("priced") << found(123.45) << sameDay << "123.45 USD a share from Prices A at 14:02";
    QTest::newRow("no currency") << found(123.45, "") << sameDay << "123.45 a share from Prices A at 14:02";
    QTest::newRow("no source") << found(123.45, "USD", "") << sameDay << "123.45 USD a share at 14:02";
    QTest::newRow("no time") << found(123.45, "USD", "Prices A", "") << sameDay
                             << "123.45 USD a share from Prices A";
    // 20:00 UTC is already 8 December there.
    QTest::newRow("priced the day before") << found(123.45) << utc("2026-12-07T20:00:00Z")
                                           << "123.45 USD a share from Prices A at 7 Dec 2026 14:02";
    QTest::newRow("whole") << found(100) << sameDay << "100.00 USD a share from Prices A at 14:02";
    QTest::newRow("three decimals") << found(0.125) << sameDay << "0.125 USD a share from Prices A at 14:02";
    QTest::newRow("large") << found(1e21) << sameDay
                           << "1000000000000000000000.00 USD a share from Prices A at 14:02";

    const QString failedToday = QStringLiteral("; today's lookup failed: timed out");
    const QString stored = QStringLiteral("Last known price 123.45 USD from Prices A, 7 Dec 2026 14:02");
    QTest::newRow("last known a day ago") << lastKnown(found(123.45)) << utc("2026-12-08T08:32:00Z")
                                          << stored + failedToday;
    QTest::newRow("last known 7 days ago") << lastKnown(found(123.45)) << utc("2026-12-14T08:32:00Z")
                                           << stored + failedToday;
    QTest::newRow("last known 7 days and a second ago")
        << lastKnown(found(123.45)) << utc("2026-12-14T08:32:01Z") << stored + " (7 days old)" + failedToday;
    QTest::newRow("last known 12 days ago") << lastKnown(found(123.45)) << utc("2026-12-19T09:00:00Z")
                                            << stored + " (12 days old)" + failedToday;
    // 20:00 UTC on 6 December is 01:30 on 7 December there.
    QTest::newRow("last known price alone")
        << lastKnown(found(123.45, "", "", "2026-12-06T20:00:00Z"), QuoteFailure::NoPriceOnPage, 500) << sameDay
        << "Last known price 123.45, 7 Dec 2026 01:30; today's lookup failed: no price on page (HTTP 500)";
    QuoteResult inEuros = found(175.0884, "USD");
    inEuros.reportCurrency = QStringLiteral("EUR");
    inEuros.conversion = PriceConversion{189.84, 0.9223, {0.9223, "Reference rates", QDate(2026, 12, 7), false}};
    QTest::newRow("converted") << inEuros << sameDay
                               << "189.84 USD a share \u00d7 0.9223 EUR per USD (Reference rates, 7 Dec 2026) "
                                  "= 175.09 EUR a share from Prices A at 14:02";
    QuoteResult pence = found(99.5, "GBp");
    pence.reportCurrency = QStringLiteral("EUR");
    pence.conversion = PriceConversion{8512, 0.011689, {1.1689, "Bank", QDate(2026, 12, 4), true}};
    QTest::newRow("pence at a kept rate, last known") << lastKnown(pence) << utc("2026-12-08T08:32:00Z")
        << "Last known price 8512.00 GBp \u00d7 0.011689 EUR per GBp (Bank, 4 Dec 2026; today's rates could not "
           "be fetched) = 99.50 EUR from Prices A, 7 Dec 2026 14:02; today's lookup failed: timed out";
    QuoteResult taken = found(12.5, "");
    taken.reportCurrency = QStringLiteral("EUR");
    QTest::newRow("no currency, taken as the report's") << taken << sameDay
        << "12.50 a share (no currency given: taken as EUR) from Prices A at 14:02";
    QTest::newRow("failed") << QuoteResult::failed(QuoteFailure::TimedOut) << sameDay << QString();
}

void TestPriceNote::note()
{
    QFETCH(QuoteResult, result);
    QFETCH(QDateTime, now);
    QFETCH(QString, expected);

    QCOMPARE(priceNote(result, now), expected);
}

int main(int argc, char **argv)
{
    // Five and a half hours east of UTC all year, so that times shown in
    // local time differ from UTC in hours, minutes and sometimes the day.
    qputenv("TZ", "Asia/Kolkata");
    QCoreApplication app(argc, argv);
    TestPriceNote test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_pricenote.moc"
