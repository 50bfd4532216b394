#include "calculation.h"
#include "rebalance.h"
#include "rebalancebasis.h"

#include <QtTest>

#include <cmath>
#include <limits>

Q_DECLARE_METATYPE(ClassAmounts)
Q_DECLARE_METATYPE(RebalanceMode)
Q_DECLARE_METATYPE(RebalanceProblem)
Q_DECLARE_METATYPE(std::optional<double>)

namespace {

constexpr double Nan = std::numeric_limits<double>::quiet_NaN();

// Differences are sums and products of doubles; a millionth of a unit is far
// below anything shown.
bool nearlyEqual(double a, double b)
{
    return std::fabs(a - b) <= 1e-6 * std::max(1.0, std::fabs(b));
}

QString amountsText(const ClassAmounts &amounts)
{
    QStringList texts;
    for (const double amount : amounts)
        texts << QString::number(amount, 'g', 12);
    return texts.join(QStringLiteral(", "));
}

double sum(const ClassAmounts &amounts)
{
    return std::accumulate(amounts.cbegin(), amounts.cend(), 0.0);
}

struct Priced
{
    int row;
    double shares;
    int assetClass;
    std::optional<QuoteResult> quote;   // empty: the run stopped before this row
};

CalculationResult calculated(const QList<Priced> &rows, Holdings &holdings)
{
    RowQuotes quotes;
    for (const Priced &row : rows) {
        holdings[row.row] = Holding{QString(), QStringLiteral("S%1").arg(row.row), row.shares, row.assetClass};
        quotes[row.row] = row.quote;
    }
    return computeHoldings(holdings, quotes);
}

} // namespace

Q_DECLARE_METATYPE(QList<Priced>)

class TestRebalance : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void arithmetic_data();
    void arithmetic();
    void targetRules_data();
    void targetRules();
    void differenceText_data();
    void differenceText();
    void targetPercentText_data();
    void targetPercentText();
    void typedTargets_data();
    void typedTargets();
    void typedAmounts_data();
    void typedAmounts();
    void basis_data();
    void basis();
    void adviceNeedsACalculationWithATotal();
};

void TestRebalance::arithmetic_data()
{
    QTest::addColumn<ClassAmounts>("now");
    QTest::addColumn<TargetPercents>("targets");
    QTest::addColumn<double>("money");
    QTest::addColumn<RebalanceMode>("mode");
    QTest::addColumn<RebalanceProblem>("problem");
    QTest::addColumn<ClassAmounts>("difference");

    const auto full = RebalanceMode::Full;
    const auto buyOnly = RebalanceMode::BuyOnly;
    const auto none = RebalanceProblem::None;
    const TargetPercents bondsAndStocks{0, 40, 60, 0, 0};
    const ClassAmounts bondsShort{0, 300, 600, 0, 0};   // today's shortfall: Bonds 60

    QTest::newRow("full, no new money") << ClassAmounts{0, 400, 600, 0, 0} << TargetPercents{0, 50, 50, 0, 0}
        << 0.0 << full << none << ClassAmounts{0, 100, -100, 0, 0};
    QTest::newRow("full, new money") << ClassAmounts{100, 300, 600, 0, 0} << TargetPercents{10, 30, 60, 0, 0}
        << 1000.0 << full << none << ClassAmounts{100, 300, 600, 0, 0};
    QTest::newRow("full, a class over target is sold") << ClassAmounts{500, 0, 500, 0, 0}
        << TargetPercents{10, 40, 50, 0, 0} << 0.0 << full << none << ClassAmounts{-400, 400, 0, 0, 0};
    QTest::newRow("full, new money and a class over target") << ClassAmounts{500, 0, 500, 0, 0}
        << TargetPercents{10, 40, 50, 0, 0} << 1000.0 << full << none << ClassAmounts{-300, 800, 500, 0, 0};
    QTest::newRow("full, negative class amount") << ClassAmounts{1000, 0, 2000, 0, -500}
        << TargetPercents{10, 30, 50, 10, 0} << 0.0 << full << none << ClassAmounts{-750, 750, -750, 250, 500};
    QTest::newRow("full, no classed holdings") << ClassAmounts{} << TargetPercents{20, 20, 20, 20, 20}
        << 1000.0 << full << none << ClassAmounts{200, 200, 200, 200, 200};

    QTest::newRow("buy only, no new money buys nothing") << ClassAmounts{0, 400, 600, 0, 0}
        << TargetPercents{0, 50, 50, 0, 0} << 0.0 << buyOnly << none << ClassAmounts{};
    QTest::newRow("buy only, less than today's shortfall") << bondsShort << bondsAndStocks << 30.0
        << buyOnly << none << ClassAmounts{0, 30, 0, 0, 0};
    QTest::newRow("buy only, today's shortfall") << bondsShort << bondsAndStocks << 60.0
        << buyOnly << none << ClassAmounts{0, 60, 0, 0, 0};
    QTest::newRow("buy only, just enough to reach the target") << bondsShort << bondsAndStocks << 100.0
        << buyOnly << none << ClassAmounts{0, 100, 0, 0, 0};
    QTest::newRow("buy only, more than the shortfall follows the targets") << bondsShort << bondsAndStocks
        << 1100.0 << buyOnly << none << ClassAmounts{0, 500, 600, 0, 0};
    // Targets 220 each: Cash and EMD lack 220, Bonds 120, Stocks and Real are over.
    QTest::newRow("buy only, the two most short are filled together")
        << ClassAmounts{0, 100, 300, 600, 0} << TargetPercents{20, 20, 20, 20, 20} << 100.0 << buyOnly
        << none << ClassAmounts{50, 0, 0, 0, 50};
    // Targets 300 each: Cash and EMD lack 300, Bonds 200; the level ends at 100.
    QTest::newRow("buy only, the next most short joins")
        << ClassAmounts{0, 100, 300, 600, 0} << TargetPercents{20, 20, 20, 20, 20} << 500.0 << buyOnly
        << none << ClassAmounts{200, 100, 0, 0, 200};
    QTest::newRow("buy only, a class over target is not sold") << ClassAmounts{500, 0, 500, 0, 0}
        << TargetPercents{10, 40, 50, 0, 0} << 300.0 << buyOnly << none << ClassAmounts{0, 300, 0, 0, 0};
    // Targets 900 Bonds, 300 Real, 0 EMD: Bonds lack 900, EMD 500, Real 300.
    QTest::newRow("buy only, a short holding is bought back")
        << ClassAmounts{1000, 0, 2000, 0, -500} << TargetPercents{10, 30, 50, 10, 0} << 500.0 << buyOnly
        << none << ClassAmounts{0, 450, 0, 0, 50};
    QTest::newRow("buy only, every class on target") << ClassAmounts{100, 200, 300, 400, 0}
        << TargetPercents{10, 20, 30, 40, 0} << 100.0 << buyOnly << none << ClassAmounts{10, 20, 30, 40, 0};

    QTest::newRow("targets add up to 95") << bondsShort << TargetPercents{0, 40, 55, 0, 0} << 0.0 << full
        << RebalanceProblem::InvalidTargets << ClassAmounts{};
    QTest::newRow("targets add up to 100.1") << bondsShort << TargetPercents{0, 40, 60.1, 0, 0} << 0.0
        << buyOnly << RebalanceProblem::InvalidTargets << ClassAmounts{};
    QTest::newRow("a negative target") << bondsShort << TargetPercents{-10, 50, 60, 0, 0} << 0.0 << full
        << RebalanceProblem::InvalidTargets << ClassAmounts{};
    QTest::newRow("a target with two decimals") << bondsShort << TargetPercents{33.33, 33.33, 33.34, 0, 0}
        << 0.0 << full << RebalanceProblem::InvalidTargets << ClassAmounts{};
    QTest::newRow("thirds in tenths") << ClassAmounts{1000, 0, 0, 0, 0} << TargetPercents{33.3, 33.3, 33.4, 0, 0}
        << 0.0 << full << none << ClassAmounts{-667, 333, 334, 0, 0};

    QTest::newRow("zero base") << ClassAmounts{} << bondsAndStocks << 0.0 << full
        << RebalanceProblem::NoPositiveBase << ClassAmounts{};
    QTest::newRow("classes cancel out") << ClassAmounts{500, 0, 0, 0, -500} << bondsAndStocks << 0.0 << full
        << RebalanceProblem::NoPositiveBase << ClassAmounts{};
    QTest::newRow("net short even with new money") << ClassAmounts{0, 0, -100, 0, 0} << bondsAndStocks
        << 50.0 << buyOnly << RebalanceProblem::NoPositiveBase << ClassAmounts{};
    QTest::newRow("new money alone is a base") << ClassAmounts{0, 0, -100, 0, 0} << bondsAndStocks
        << 200.0 << buyOnly << none << ClassAmounts{0, 40, 160, 0, 0};

    QTest::newRow("largest amount to invest") << ClassAmounts{} << TargetPercents{100, 0, 0, 0, 0}
        << MaxAmountToInvest << full << none << ClassAmounts{MaxAmountToInvest, 0, 0, 0, 0};
    QTest::newRow("past the largest amount to invest") << ClassAmounts{} << TargetPercents{100, 0, 0, 0, 0}
        << std::nextafter(MaxAmountToInvest, 2 * MaxAmountToInvest) << full
        << RebalanceProblem::InvalidAmount << ClassAmounts{};
    QTest::newRow("negative amount to invest") << bondsShort << bondsAndStocks << -1.0 << buyOnly
        << RebalanceProblem::InvalidAmount << ClassAmounts{};
    QTest::newRow("amount to invest not a number") << bondsShort << bondsAndStocks << Nan << full
        << RebalanceProblem::InvalidAmount << ClassAmounts{};
}

void TestRebalance::arithmetic()
{
    QFETCH(ClassAmounts, now);
    QFETCH(TargetPercents, targets);
    QFETCH(double, money);
    QFETCH(RebalanceMode, mode);
    QFETCH(RebalanceProblem, problem);
    QFETCH(ClassAmounts, difference);

    const RebalancePlan plan = rebalance(now, targets, money, mode);
    QCOMPARE(plan.problem, problem);
    for (int c = 0; c < AssetClassCount; ++c) {
        QVERIFY2(nearlyEqual(plan.difference[c], difference[c]),
                 qPrintable(QStringLiteral("got %1").arg(amountsText(plan.difference))));
    }
    if (problem != RebalanceProblem::None)
        return;

    QCOMPARE(plan.base, sum(now) + money);
    for (int c = 0; c < AssetClassCount; ++c)
        QVERIFY(nearlyEqual(plan.targetAmount[c], plan.base * targets[c] / 100.0));
    // Whatever the mode, exactly the new money goes in.
    QVERIFY2(nearlyEqual(sum(plan.difference), money), qPrintable(amountsText(plan.difference)));
    if (mode == RebalanceMode::BuyOnly) {
        for (const double bought : plan.difference)
            QVERIFY(bought >= 0.0);
    }
}

void TestRebalance::targetRules_data()
{
    QTest::addColumn<TargetPercents>("targets");
    QTest::addColumn<bool>("eachValid");
    QTest::addColumn<bool>("addUp");

    QTest::newRow("whole numbers") << TargetPercents{5, 25, 50, 10, 10} << true << true;
    QTest::newRow("tenths") << TargetPercents{0.1, 24.9, 50.5, 9.5, 15} << true << true;
    QTest::newRow("all in one class") << TargetPercents{0, 0, 100, 0, 0} << true << true;
    QTest::newRow("sum at the tolerance below") << TargetPercents{20, 20, 20, 20, 19.95} << false << true;
    QTest::newRow("sum past the tolerance below") << TargetPercents{20, 20, 20, 20, 19.94} << false << false;
    QTest::newRow("sum at the tolerance above") << TargetPercents{20, 20, 20, 20, 20.05} << false << true;
    QTest::newRow("sum past the tolerance above") << TargetPercents{20, 20, 20, 20, 20.06} << false << false;
    QTest::newRow("a tenth short") << TargetPercents{20, 20, 20, 20, 19.9} << true << false;
    QTest::newRow("within the step tolerance of a tenth") << TargetPercents{20, 20, 20, 20, 20.00000009}
                                                          << true << true;
    QTest::newRow("past the step tolerance of a tenth") << TargetPercents{20, 20, 20, 20, 20.0000002}
                                                        << false << true;
    QTest::newRow("nothing set") << TargetPercents{} << true << false;
    QTest::newRow("past 100") << TargetPercents{100.1, 0, 0, 0, -0.1} << false << true;
    QTest::newRow("below 0") << TargetPercents{-0.1, 0, 100.1, 0, 0} << false << true;
    QTest::newRow("not a number") << TargetPercents{Nan, 0, 100, 0, 0} << false << false;
    QTest::newRow("infinite") << TargetPercents{std::numeric_limits<double>::infinity(), 0, 0, 0, 0}
                              << false << false;
}

void TestRebalance::targetRules()
{
    QFETCH(TargetPercents, targets);
    QFETCH(bool, eachValid);
    QFETCH(bool, addUp);

    bool valid = true;
    for (const double percent : targets)
        valid = valid && isTargetPercent(percent);
    QCOMPARE(valid, eachValid);
    QCOMPARE(targetsAddUp(targets), addUp);
    QCOMPARE(areValidTargets(targets), eachValid && addUp);
}

void TestRebalance::differenceText_data()
{
    QTest::addColumn<double>("difference");
    QTest::addColumn<QString>("text");

    QTest::newRow("buy") << 1234.9 << "Buy 1,234";
    QTest::newRow("sell") << -567.8 << "Sell 567";
    QTest::newRow("one to buy") << 1.0 << "Buy 1";
    QTest::newRow("one to sell") << -1.0 << "Sell 1";
    QTest::newRow("nothing") << 0.0 << "\u2014";
    QTest::newRow("less than one to buy") << 0.99 << "\u2014";
    QTest::newRow("less than one to sell") << -0.99 << "\u2014";
    QTest::newRow("millions") << -1234567.5 << "Sell 1,234,567";
}

void TestRebalance::differenceText()
{
    QFETCH(double, difference);
    QFETCH(QString, text);
    QCOMPARE(::differenceText(difference), text);
}

void TestRebalance::targetPercentText_data()
{
    QTest::addColumn<double>("percent");
    QTest::addColumn<QString>("text");

    QTest::newRow("whole") << 95.0 << "95";
    QTest::newRow("tenth") << 12.5 << "12.5";
    QTest::newRow("sum of tenths") << 33.3 + 33.3 + 33.4 << "100";
    QTest::newRow("zero") << 0.0 << "0";
    QTest::newRow("tiny negative") << -0.04 << "0";
    QTest::newRow("sum of five") << 500.0 << "500";
}

void TestRebalance::targetPercentText()
{
    QFETCH(double, percent);
    QFETCH(QString, text);
    QCOMPARE(::targetPercentText(percent), text);
}

void TestRebalance::typedTargets_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<std::optional<double>>("percent");

    const std::optional<double> refused;
    QTest::newRow("whole") << "60" << std::optional(60.0);
    QTest::newRow("tenth") << "12.5" << std::optional(12.5);
    QTest::newRow("spaces around") << " 7 " << std::optional(7.0);
    QTest::newRow("no whole part") << ".5" << std::optional(0.5);
    QTest::newRow("no fraction digits") << "5." << std::optional(5.0);
    QTest::newRow("lowest") << "0" << std::optional(0.0);
    QTest::newRow("highest") << "100" << std::optional(100.0);
    QTest::newRow("past the highest") << "100.1" << refused;
    QTest::newRow("two decimals") << "12.34" << refused;
    QTest::newRow("trailing zero decimal") << "12.50" << std::optional(12.5);
    QTest::newRow("empty") << "" << refused;
    QTest::newRow("negative") << "-1" << refused;
    QTest::newRow("plus sign") << "+1" << refused;
    QTest::newRow("exponent") << "1e1" << refused;
    QTest::newRow("decimal comma") << "12,5" << refused;
    QTest::newRow("two points") << "1.2.3" << refused;
    QTest::newRow("only a point") << "." << refused;
    QTest::newRow("percent sign") << "60%" << refused;
}

void TestRebalance::typedTargets()
{
    QFETCH(QString, text);
    QFETCH(std::optional<double>, percent);
    QCOMPARE(parseTargetPercent(text), percent);
}

void TestRebalance::typedAmounts_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<std::optional<double>>("amount");

    const std::optional<double> refused;
    QTest::newRow("zero") << "0" << std::optional(0.0);
    QTest::newRow("cents") << "1234.56" << std::optional(1234.56);
    QTest::newRow("the largest") << "1000000000000" << std::optional(MaxAmountToInvest);
    QTest::newRow("past the largest") << "1000000000000.01" << refused;
    QTest::newRow("negative") << "-5" << refused;
    QTest::newRow("grouped") << "1,000" << refused;
    QTest::newRow("empty") << "" << refused;
    QTest::newRow("words") << "lots" << refused;
}

void TestRebalance::typedAmounts()
{
    QFETCH(QString, text);
    QFETCH(std::optional<double>, amount);
    QCOMPARE(parseAmountToInvest(text), amount);
}

void TestRebalance::basis_data()
{
    QTest::addColumn<QList<Priced>>("rows");
    QTest::addColumn<bool>("stopped");
    QTest::addColumn<ClassAmounts>("classAmount");
    QTest::addColumn<QString>("unclassed");
    QTest::addColumn<QString>("warning");
    QTest::addColumn<QString>("lastKnown");

    const QuoteResult ten = QuoteResult::withPrice(10.0);
    const QuoteResult unpriced = QuoteResult::failed(QuoteFailure::NoPriceOnPage);
    QuoteResult storedTen = QuoteResult::failed(QuoteFailure::TimedOut);
    storedTen.price = 10.0;
    storedTen.lastKnown = true;
    const QString covers = QStringLiteral(" The advice covers only what was priced.");

    QTest::newRow("all priced and classed")
        << QList<Priced>{{0, 10, 2, ten}, {3, 5, 0, ten}} << false
        << ClassAmounts{50, 0, 100, 0, 0} << QString() << QString() << QString();
    QTest::newRow("unclassed holdings are left out")
        << QList<Priced>{{0, 10, 2, ten}, {1, 100, NoAssetClass, ten}, {2, 50, NoAssetClass, ten}} << false
        << ClassAmounts{0, 0, 100, 0, 0} << "%1 (100); unclassed holdings of 1,500 are left out" << QString() << QString();
    QTest::newRow("unclassed short holding")
        << QList<Priced>{{0, 10, 2, ten}, {1, -150, NoAssetClass, ten}} << false
        << ClassAmounts{0, 0, 100, 0, 0} << "%1 (100); unclassed holdings of (1,500) are left out" << QString() << QString();
    QTest::newRow("an unpriced row")
        << QList<Priced>{{0, 10, 2, ten}, {1, 10, 1, unpriced}, {2, 10, 0, ten}} << false
        << ClassAmounts{100, 0, 100, 0, 0} << QString()
        << "1 of 3 holdings could not be priced." + covers << QString();
    QTest::newRow("an unpriced unclassed row is only unpriced")
        << QList<Priced>{{0, 10, 2, ten}, {1, 10, NoAssetClass, unpriced}} << false
        << ClassAmounts{0, 0, 100, 0, 0} << QString()
        << "1 of 2 holdings could not be priced." + covers << QString();
    QTest::newRow("stopped")
        << QList<Priced>{{0, 10, 2, ten}, {4, 10, 1, std::nullopt}, {7, 10, NoAssetClass, std::nullopt}} << true
        << ClassAmounts{0, 0, 100, 0, 0} << QString()
        << "The last calculation was stopped: 2 of 3 holdings were not priced." + covers << QString();
    QTest::newRow("stopped with every row priced")
        << QList<Priced>{{0, 10, 2, ten}} << true << ClassAmounts{0, 0, 100, 0, 0} << QString()
        << "The last calculation was stopped." + covers << QString();
    // Valued, so covered by the advice, and named.
    QTest::newRow("last known prices")
        << QList<Priced>{{0, 10, 2, ten}, {1, 10, 1, storedTen}, {5, 3, NoAssetClass, storedTen}} << false
        << ClassAmounts{0, 100, 100, 0, 0} << "%1 (200); unclassed holdings of 30 are left out" << QString()
        << "Valued at the last known price, as today's lookup failed: S1, S5";
}

void TestRebalance::basis()
{
    QFETCH(QList<Priced>, rows);
    QFETCH(bool, stopped);
    QFETCH(ClassAmounts, classAmount);
    QFETCH(QString, unclassed);
    QFETCH(QString, warning);
    QFETCH(QString, lastKnown);

    Holdings holdings;
    const CalculationResult result = calculated(rows, holdings);
    const RebalanceBasis basis = rebalanceBasis(holdings, result, stopped);
    QVERIFY(basis.calculated);
    QCOMPARE(basis.classAmount, classAmount);
    QCOMPARE(basis.total, result.total);
    QCOMPARE(basis.heldCount, int(rows.size()));
    QCOMPARE(unclassedNote(basis),
             unclassed.arg(QStringLiteral("Now, Target and the advice are shares of the classed holdings")));
    QCOMPARE(coverageWarning(basis), warning);
    QCOMPARE(lastKnownPricesNote(basis), lastKnown);
}

void TestRebalance::adviceNeedsACalculationWithATotal()
{
    QVERIFY(!canAdvise(RebalanceBasis{}));

    Holdings holdings;
    const QuoteResult ten = QuoteResult::withPrice(10.0);
    QVERIFY(canAdvise(rebalanceBasis(holdings, calculated({{0, 10, 2, ten}}, holdings), false)));

    Holdings cancelling;
    const CalculationResult zero = calculated({{0, 10, 2, ten}, {1, -10, 1, ten}}, cancelling);
    QCOMPARE(zero.total, 0.0);
    QVERIFY(!canAdvise(rebalanceBasis(cancelling, zero, false)));

    Holdings nothing;
    QVERIFY(!canAdvise(rebalanceBasis(nothing, computeHoldings(nothing, {}), false)));
}

QTEST_APPLESS_MAIN(TestRebalance)
#include "tst_rebalance.moc"
