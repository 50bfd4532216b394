#include "currency.h"
#include "exchangerates.h"

#include <QTest>

namespace {

// Reference rates against the euro: 1 EUR = 1.25 USD = 0.8 GBP = 20 ZAR,
// so 1 USD = 0.64 GBP and 1 GBP = 25 ZAR.
ExchangeRates referenceRates(bool kept = false)
{
    ExchangeRates rates;
    rates.addTable(QStringLiteral("Reference rates"), QDate(2026, 12, 7), QStringLiteral("EUR"));
    rates.addPair(QStringLiteral("EUR"), QStringLiteral("USD"), 1.25);
    rates.addPair(QStringLiteral("EUR"), QStringLiteral("GBP"), 0.8);
    rates.addPair(QStringLiteral("EUR"), QStringLiteral("ZAR"), 20.0);
    if (kept)
        rates.markKept();
    return rates;
}

} // namespace

class TestExchangeRates : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void readsCurrencyUnits_data();
    void readsCurrencyUnits();
    void convertsPrices_data();
    void convertsPrices();
    void firstSourceWithThePairGivesIt();
};

void TestExchangeRates::readsCurrencyUnits_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("code"); // empty: not a currency
    QTest::addColumn<double>("inCode");

    QTest::newRow("ISO code") << "USD" << "USD" << 1.0;
    QTest::newRow("pence") << "GBp" << "GBP" << 0.01;
    QTest::newRow("pence, GBX") << "GBX" << "GBP" << 0.01;
    QTest::newRow("South African cents") << "ZAc" << "ZAR" << 0.01;
    QTest::newRow("agorot") << "ILA" << "ILS" << 0.01;
    QTest::newRow("lower case is no code") << "gbp" << "" << 0.0;
    QTest::newRow("two letters") << "US" << "" << 0.0;
    QTest::newRow("four letters") << "USDX" << "" << 0.0;
    QTest::newRow("a digit") << "US1" << "" << 0.0;
}

void TestExchangeRates::readsCurrencyUnits()
{
    QFETCH(QString, text);
    QFETCH(QString, code);
    QFETCH(double, inCode);

    const std::optional<CurrencyUnit> unit = currencyUnit(text);
    QCOMPARE(unit.has_value(), !code.isEmpty());
    if (unit)
        QCOMPARE(*unit, (CurrencyUnit{code, inCode}));
}

void TestExchangeRates::convertsPrices_data()
{
    QTest::addColumn<double>("price");
    QTest::addColumn<QString>("currency");
    QTest::addColumn<QString>("report");
    QTest::addColumn<bool>("kept");
    QTest::addColumn<double>("expected"); // negative: no value

    QTest::newRow("same currency") << 189.84 << "USD" << "USD" << false << 189.84;
    QTest::newRow("no currency: the report's") << 42.0 << "" << "JPY" << false << 42.0;
    QTest::newRow("from the base") << 100.0 << "EUR" << "USD" << false << 125.0;
    QTest::newRow("to the base, inverted") << 125.0 << "USD" << "EUR" << false << 100.0;
    QTest::newRow("crossed through the euro") << 100.0 << "USD" << "GBP" << false << 64.0;
    QTest::newRow("pence in pounds") << 8512.0 << "GBp" << "GBP" << false << 85.12;
    QTest::newRow("pence in dollars") << 8512.0 << "GBX" << "USD" << false << 133.0;
    QTest::newRow("cents of rand in pounds") << 5000.0 << "ZAc" << "GBP" << false << 2.0;
    QTest::newRow("kept rate") << 100.0 << "USD" << "GBP" << true << 64.0;
    QTest::newRow("no rate") << 1000.0 << "JPY" << "EUR" << false << -1.0;
    QTest::newRow("not a currency") << 10.0 << "dollars" << "USD" << false << -1.0;
}

void TestExchangeRates::convertsPrices()
{
    QFETCH(double, price);
    QFETCH(QString, currency);
    QFETCH(QString, report);
    QFETCH(bool, kept);
    QFETCH(double, expected);

    const std::optional<PriceInReport> converted = priceInReport(price, currency, report, referenceRates(kept));
    QCOMPARE(converted.has_value(), expected >= 0);
    if (!converted)
        return;
    QCOMPARE(converted->price, expected);
    QCOMPARE(converted->multiplier * price, expected);
    QCOMPARE(converted->rate.kept, kept);
}

void TestExchangeRates::firstSourceWithThePairGivesIt()
{
    ExchangeRates rates;
    rates.addTable(QStringLiteral("Pairs"), QDate(2026, 12, 8));
    rates.addPair(QStringLiteral("USD"), QStringLiteral("EUR"), 0.9);
    rates.addPair(QStringLiteral("JPY"), QStringLiteral("EUR"), 0.0); // not a rate
    rates.addTable(QStringLiteral("Reference rates"), QDate(2026, 12, 7), QStringLiteral("EUR"));
    rates.addPair(QStringLiteral("EUR"), QStringLiteral("USD"), 1.25);
    rates.addPair(QStringLiteral("EUR"), QStringLiteral("JPY"), 160.0);

    QCOMPARE(rates.rate(QStringLiteral("USD"), QStringLiteral("EUR")),
             (ExchangeRate{0.9, QStringLiteral("Pairs"), QDate(2026, 12, 8), false}));
    QCOMPARE(rates.rate(QStringLiteral("EUR"), QStringLiteral("JPY")),
             (ExchangeRate{160.0, QStringLiteral("Reference rates"), QDate(2026, 12, 7), false}));
}

QTEST_GUILESS_MAIN(TestExchangeRates)
#include "tst_exchangerates.moc"
