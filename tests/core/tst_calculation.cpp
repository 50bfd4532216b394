#include "amountformat.h"
#include "calculation.h"

#include <QtTest>

#include <limits>

namespace {

struct PlacedHolding
{
    int row;
    QString symbol;
    double shares;
    int assetClass;
};

Holdings holdingsOf(const QList<PlacedHolding> &list)
{
    Holdings holdings;
    for (const PlacedHolding &h : list)
        holdings[h.row] = Holding{QString(), h.symbol, h.shares, h.assetClass};
    return holdings;
}

// Prices by symbol; symbols not listed cannot be priced.
PriceSource pricesOf(const QHash<QString, double> &prices, QStringList *asked = nullptr)
{
    return [prices, asked](const QString &symbol) {
        if (asked)
            asked->append(symbol);
        if (!prices.contains(symbol))
            return QuoteResult::failed(QuoteFailure::NoPriceOnPage);
        return QuoteResult::withPrice(prices.value(symbol));
    };
}

using Values = QList<double>;   // per listed row, in row order
using Integers = QList<qint64>;

} // namespace

Q_DECLARE_METATYPE(QList<PlacedHolding>)

class TestCalculation : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void arithmetic_data();
    void arithmetic();
    void zeroShareRowsAreNeverPriced();
    void unpricedRowsCountAsZeroAndAreReported();
    void stoppedRunLeavesTheRestUnpriced();
    void truncation_data();
    void truncation();
};

void TestCalculation::arithmetic_data()
{
    QTest::addColumn<QList<PlacedHolding>>("holdings");
    QTest::addColumn<Values>("values");          // of the listed rows
    QTest::addColumn<Integers>("percents");      // of the listed rows
    QTest::addColumn<QString>("totalText");
    QTest::addColumn<QStringList>("classAmounts");
    QTest::addColumn<Integers>("classPercents");

    QTest::newRow("stocks and cash")
        << QList<PlacedHolding>{{0, "VTI", 10, 2}, {1, "Cash", 100, 0}}
        << Values{125, 100} << Integers{55, 44} << "225"
        << QStringList{"100", "0", "125", "0", "0"} << Integers{44, 0, 55, 0, 0};
    QTest::newRow("fraction shows truncated, adds whole")
        << QList<PlacedHolding>{{3, "FRAC", 1, 1}, {4, "Cash", 0.1, 1}}
        << Values{99, 0} << Integers{99, 0} << "100"
        << QStringList{"0", "100", "0", "0", "0"} << Integers{0, 100, 0, 0, 0};
    QTest::newRow("no class counts in the total only")
        << QList<PlacedHolding>{{0, "VTI", 10, -1}, {1, "Cash", 100, 0}}
        << Values{125, 100} << Integers{55, 44} << "225"
        << QStringList{"100", "0", "0", "0", "0"} << Integers{44, 0, 0, 0, 0};
    QTest::newRow("negative shares")
        << QList<PlacedHolding>{{0, "Cash", -1500, 3}}
        << Values{-1500} << Integers{100} << "(1,500)"
        << QStringList{"0", "0", "0", "(1,500)", "0"} << Integers{0, 0, 0, 100, 0};
    QTest::newRow("every row empty")
        << QList<PlacedHolding>{{0, "VTI", 0, 2}}
        << Values{0} << Integers{0} << "0"
        << QStringList{"0", "0", "0", "0", "0"} << Integers{0, 0, 0, 0, 0};
    QTest::newRow("total of zero zeroes the class percents")
        << QList<PlacedHolding>{{0, "Cash", 500, 0}, {1, "Cash", -500, 4}}
        << Values{500, -500} << Integers{0, 0} << "0"
        << QStringList{"500", "0", "0", "0", "(500)"} << Integers{0, 0, 0, 0, 0};
    QTest::newRow("above 2^31")
        << QList<PlacedHolding>{{0, "BIG", 10, 2}, {19, "Cash", 1000000000, 0}}
        << Values{3000000000.0, 1000000000} << Integers{75, 25} << "4,000,000,000"
        << QStringList{"1,000,000,000", "0", "3,000,000,000", "0", "0"}
        << Integers{25, 0, 75, 0, 0};
}

void TestCalculation::arithmetic()
{
    QFETCH(QList<PlacedHolding>, holdings);
    QFETCH(Values, values);
    QFETCH(Integers, percents);
    QFETCH(QString, totalText);
    QFETCH(QStringList, classAmounts);
    QFETCH(Integers, classPercents);

    const QHash<QString, double> prices{
        {"VTI", 12.5}, {"FRAC", 99.9}, {"BIG", 300000000.0}, {"Cash", 1.0}};
    const CalculationResult result = calculateHoldings(holdingsOf(holdings), pricesOf(prices));

    QSet<int> listed;
    for (int i = 0; i < holdings.size(); ++i) {
        const int row = holdings[i].row;
        listed.insert(row);
        QCOMPARE(result.value[row], values[i]);
        QCOMPARE(result.percent[row], percents[i]);
    }
    for (int row = 0; row < HoldingRowCount; ++row) {
        if (!listed.contains(row)) {
            QCOMPARE(result.value[row], 0.0);
            QCOMPARE(result.percent[row], 0);
        }
    }
    QCOMPARE(result.totalText, totalText);
    for (int c = 0; c < AssetClassCount; ++c) {
        QCOMPARE(result.classAmountText[c], classAmounts[c]);
        QCOMPARE(result.classPercent[c], classPercents[c]);
    }
}

void TestCalculation::zeroShareRowsAreNeverPriced()
{
    QStringList asked;
    const Holdings holdings =
        holdingsOf({{0, "ZERO", 0, 2}, {5, "VTI", 2, 2}, {7, "ALSO", 0.0, 1}, {9, "Cash", 1, 0}});
    const CalculationResult result = calculateHoldings(holdings, pricesOf({{"VTI", 12.5}, {"Cash", 1.0}}, &asked));
    QCOMPARE(asked, (QStringList{"VTI", "Cash"}));
    QVERIFY(!result.quotes[0].has_value());
    QVERIFY(!result.quotes[7].has_value());
    QVERIFY(result.quotes[5].has_value());
}

void TestCalculation::unpricedRowsCountAsZeroAndAreReported()
{
    const Holdings holdings = holdingsOf({{0, "VTI", 10, 2}, {1, "GONE", 50, 2}});
    const CalculationResult result = calculateHoldings(holdings, pricesOf({{"VTI", 12.5}}));
    QCOMPARE(result.value[1], 0.0);
    QCOMPARE(result.total, 125.0);
    QCOMPARE(result.percent[0], 100);
    QVERIFY(!result.quotes[1]->priced());
    QCOMPARE(result.quotes[1]->reason(), QStringLiteral("no price on page"));
}

void TestCalculation::stoppedRunLeavesTheRestUnpriced()
{
    const Holdings holdings = holdingsOf({{0, "VTI", 10, 2}, {2, "BND", 5, 1}, {4, "Cash", 3, 0}});
    RowQuotes quotes;
    quotes[0] = QuoteResult::withPrice(12.5);
    const CalculationResult result = computeHoldings(holdings, quotes);

    QCOMPARE(result.total, 125.0);
    QCOMPARE(result.classPercent[2], 100);
    for (int row : {2, 4}) {
        QVERIFY(result.quotes[row].has_value());
        QVERIFY(!result.quotes[row]->priced());
        QCOMPARE(result.quotes[row]->reason(), QStringLiteral("stopped"));
        QCOMPARE(result.outcome[row], RowOutcome::NotLookedUp);
    }
    QVERIFY(!result.quotes[1].has_value());
    QCOMPARE(result.outcome[0], RowOutcome::Priced);
    QCOMPARE(result.outcome[1], RowOutcome::NotHeld);
    QVERIFY(result.partial);

    quotes[2] = QuoteResult::failed(QuoteFailure::NoPriceOnPage);
    quotes[4] = QuoteResult::withPrice(1.0);
    const CalculationResult whole = computeHoldings(holdings, quotes);
    QCOMPARE(whole.outcome[2], RowOutcome::Unpriced);
    QCOMPARE(whole.outcome[4], RowOutcome::Priced);
    QVERIFY(!whole.partial);
}

void TestCalculation::truncation_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<qint64>("integer");
    QTest::newRow("positive fraction") << 99.9 << qint64(99);
    QTest::newRow("negative fraction") << -99.9 << qint64(-99);
    QTest::newRow("above 2^31") << 3000000000.5 << qint64(3000000000);
    QTest::newRow("huge") << 1e300 << std::numeric_limits<qint64>::max();
    QTest::newRow("huge negative") << -1e300 << std::numeric_limits<qint64>::min();
    QTest::newRow("infinity") << std::numeric_limits<double>::infinity()
                              << std::numeric_limits<qint64>::max();
    QTest::newRow("nan") << std::numeric_limits<double>::quiet_NaN() << qint64(0);
}

void TestCalculation::truncation()
{
    QFETCH(double, value);
    QFETCH(qint64, integer);
    QCOMPARE(truncateToInteger(value), integer);
}

QTEST_GUILESS_MAIN(TestCalculation)
#include "tst_calculation.moc"
