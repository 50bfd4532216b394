#include "referencerates.h"

#include <QTest>

Q_DECLARE_METATYPE(ReferenceRatesProblem)

namespace {

QByteArray envelope(const QByteArray &days)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<gesmes:Envelope xmlns:gesmes=\"http://www.gesmes.org/xml/2002-08-01\" "
           "xmlns=\"http://www.ecb.int/vocabulary/2002-08-01/eurofxref\">\n"
           "<gesmes:subject>Reference rates</gesmes:subject>\n<Cube>\n"
        + days + "</Cube>\n</gesmes:Envelope>\n";
}

QByteArray manyRates(int count)
{
    QByteArray rates;
    for (int i = 0; i < count; ++i) {
        const QByteArray code = QByteArray(1, char('A' + i / 26 % 26)) + char('A' + i % 26) + 'X';
        rates += "<Cube currency='" + code + "' rate='1.5'/>";
    }
    return rates;
}

} // namespace

class TestReferenceRates : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void readsNewestDay_data();
    void readsNewestDay();
};

void TestReferenceRates::readsNewestDay_data()
{
    QTest::addColumn<QByteArray>("document");
    QTest::addColumn<ReferenceRatesProblem>("problem");
    QTest::addColumn<QDate>("day");
    QTest::addColumn<double>("usd"); // 0: none
    QTest::addColumn<int>("count");

    using P = ReferenceRatesProblem;
    const QByteArray today = "<Cube time='2026-12-07'><Cube currency='USD' rate='1.0842'/>"
                             "<Cube currency='JPY' rate='162.93'/></Cube>\n";
    QTest::newRow("one day, single quotes") << envelope(today) << P::None << QDate(2026, 12, 7) << 1.0842 << 2;
    QTest::newRow("double quotes")
        << envelope("<Cube time=\"2026-12-07\"><Cube currency=\"USD\" rate=\"1.1\"/></Cube>") << P::None
        << QDate(2026, 12, 7) << 1.1 << 1;
    QTest::newRow("newest of several days, in any order")
        << envelope("<Cube time='2026-12-04'><Cube currency='USD' rate='1.01'/></Cube>" + today
                    + "<Cube time='2026-12-05'><Cube currency='USD' rate='1.02'/></Cube>")
        << P::None << QDate(2026, 12, 7) << 1.0842 << 2;
    QTest::newRow("bad entries skipped")
        << envelope("<Cube time='2026-12-07'><Cube currency='usd' rate='1'/><Cube currency='GBP' rate='-1'/>"
                    "<Cube currency='CHF' rate='x'/><Cube currency='USD' rate='1.0842'/></Cube>")
        << P::None << QDate(2026, 12, 7) << 1.0842 << 1;
    QTest::newRow("a day without a date") << envelope("<Cube time='7 Dec'><Cube currency='USD' rate='1'/></Cube>")
                                          << P::NoRates << QDate() << 0.0 << 0;
    QTest::newRow("not XML") << QByteArray("<Cube time='2026-12-07'><Cube currency='USD'") << P::NotXml << QDate()
                             << 0.0 << 0;
    QTest::newRow("at the most rates")
        << envelope("<Cube time='2026-12-07'>" + manyRates(ReferenceRatesLimits::kMaxRatesPerDay) + "</Cube>")
        << P::None << QDate(2026, 12, 7) << 0.0 << int(ReferenceRatesLimits::kMaxRatesPerDay);
    QTest::newRow("past the most rates")
        << envelope("<Cube time='2026-12-07'>" + manyRates(ReferenceRatesLimits::kMaxRatesPerDay + 1) + "</Cube>")
        << P::TooManyRates << QDate() << 0.0 << 0;
    QByteArray padded = envelope(today);
    padded.insert(padded.indexOf("<Cube>"), QByteArray(ReferenceRatesLimits::kMaxDocumentBytes - padded.size(), ' '));
    QTest::newRow("at the size limit") << padded << P::None << QDate(2026, 12, 7) << 1.0842 << 2;
    QTest::newRow("past the size limit") << padded + ' ' << P::TooLarge << QDate() << 0.0 << 0;
}

void TestReferenceRates::readsNewestDay()
{
    QFETCH(QByteArray, document);
    QFETCH(ReferenceRatesProblem, problem);
    QFETCH(QDate, day);
    QFETCH(double, usd);
    QFETCH(int, count);

    const ReferenceRates rates = readReferenceRates(document);
    QCOMPARE(rates.problem, problem);
    QCOMPARE(rates.day, day);
    QCOMPARE(rates.perEuro.value(QStringLiteral("USD")), usd);
    QCOMPARE(rates.perEuro.size(), count);
}

QTEST_GUILESS_MAIN(TestReferenceRates)
#include "tst_referencerates.moc"
