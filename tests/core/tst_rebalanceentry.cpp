// What the Rebalance dialog's boxes mean: the typed targets, which targets
// the holdings keep, the sum line and the advice with an amount to invest.

#include "rebalanceentry.h"

#include <QRegularExpression>
#include <QtTest>

Q_DECLARE_METATYPE(AssetTargets)
Q_DECLARE_METATYPE(ClassAmounts)
Q_DECLARE_METATYPE(RebalanceProblem)

namespace {

TargetTexts textsOf(const QStringList &list)
{
    TargetTexts texts;
    for (int c = 0; c < AssetClassCount; ++c)
        texts[c] = list.value(c);
    return texts;
}

RebalanceBasis pricedBasis(const ClassAmounts &amounts)
{
    RebalanceBasis basis;
    basis.calculated = true;
    basis.classAmount = amounts;
    for (const double amount : amounts)
        basis.total += amount;
    basis.heldCount = AssetClassCount;
    return basis;
}

const TargetPercents Before{20, 20, 20, 20, 20};

} // namespace

class TestRebalanceEntry : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void typedTargets_data();
    void typedTargets();
    void typingPatternsAgreeWithTheRules_data();
    void typingPatternsAgreeWithTheRules();
    void advice_data();
    void advice();
};

void TestRebalanceEntry::typedTargets_data()
{
    QTest::addColumn<QStringList>("typed");
    QTest::addColumn<QString>("sumText");
    QTest::addColumn<bool>("acceptable");
    QTest::addColumn<AssetTargets>("kept");

    QTest::newRow("100") << QStringList{"10", "30", " 60 ", "", ""} << "Targets add up to 100 %." << true
                         << AssetTargets(TargetPercents{10, 30, 60, 0, 0});
    QTest::newRow("tenths") << QStringList{"33.3", "33.3", "33.4", "0", "0"} << "Targets add up to 100 %."
                            << true << AssetTargets(TargetPercents{33.3, 33.3, 33.4, 0, 0});
    QTest::newRow("95") << QStringList{"10", "30", "55", "", ""}
                        << "Targets add up to 95 %; they must add up to 100 %." << false << AssetTargets(Before);
    QTest::newRow("100.5") << QStringList{"50.5", "50", "", "", ""}
                           << "Targets add up to 100.5 %; they must add up to 100 %." << false
                           << AssetTargets(Before);
    QTest::newRow("a tenth short") << QStringList{"10", "30", "59.9", "", ""}
                                   << "Targets add up to 99.9 %; they must add up to 100 %." << false
                                   << AssetTargets(Before);
    // Every box empty takes the targets away; a single 0 does not.
    QTest::newRow("none") << QStringList{"", " ", "", "", ""}
                          << "Targets add up to 0 %; they must add up to 100 %." << true << AssetTargets();
    QTest::newRow("all zero") << QStringList{"0", "", "", "", ""}
                              << "Targets add up to 0 %; they must add up to 100 %." << false
                              << AssetTargets(Before);
    const QString notATarget = QStringLiteral("Each target must be a percent from 0 to 100 with at most one decimal.");
    QTest::newRow("past 100") << QStringList{"150", "", "", "", ""} << notATarget << false << AssetTargets(Before);
    QTest::newRow("two decimals") << QStringList{"99.95", "0.05", "", "", ""} << notATarget << false
                                  << AssetTargets(Before);
    QTest::newRow("grouped") << QStringList{"1,0", "", "", "", ""} << notATarget << false << AssetTargets(Before);
}

void TestRebalanceEntry::typedTargets()
{
    QFETCH(QStringList, typed);
    QFETCH(QString, sumText);
    QFETCH(bool, acceptable);
    QFETCH(AssetTargets, kept);

    const TypedTargets targets = readTypedTargets(textsOf(typed));
    QCOMPARE(targetSumText(targets), sumText);
    QCOMPARE(areAcceptableTargets(targets), acceptable);
    QCOMPARE(keptTargets(targets, Before), kept);
}

// The patterns only limit typing; the rules judge the finished text. For a
// target both say the same. An amount box takes any thirteen whole digits
// and cents, and the rule then names the limit; more decimals than cents
// cannot be typed at all.
void TestRebalanceEntry::typingPatternsAgreeWithTheRules_data()
{
    QTest::addColumn<bool>("amount");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("typable");
    QTest::addColumn<bool>("accepted");

    for (const char *target : {"0", "5", "60", "99.9", "100", "100.0", "12.5"})
        QTest::addRow("target %s", target) << false << target << true << true;
    for (const char *target : {"100.1", "101", "12.34", "-5", "1e2", "12,5"})
        QTest::addRow("target %s", target) << false << target << false << false;
    for (const char *amount : {"0", "0.99", "1000000000000", "10.5"})
        QTest::addRow("amount %s", amount) << true << amount << true << true;
    QTest::newRow("amount past the limit") << true << "1000000000000.01" << true << false;
    QTest::newRow("amount of thirteen nines") << true << "9999999999999" << true << false;
    QTest::newRow("amount of fourteen digits") << true << "10000000000000" << false << false;
    QTest::newRow("amount in tenths of cents") << true << "10.999" << false << true;
    for (const char *amount : {"1,000", "-5", "1e3"})
        QTest::addRow("amount %s", amount) << true << amount << false << false;
}

void TestRebalanceEntry::typingPatternsAgreeWithTheRules()
{
    QFETCH(bool, amount);
    QFETCH(QString, text);
    QFETCH(bool, typable);
    QFETCH(bool, accepted);

    const QStringView pattern = amount ? AmountTypingPattern : TargetTypingPattern;
    const QRegularExpression typing(QRegularExpression::anchoredPattern(pattern.toString()));
    const bool parsed = amount ? parseAmountToInvest(text).has_value() : parseTargetPercent(text).has_value();
    QCOMPARE(typing.match(text).hasMatch(), typable);
    QCOMPARE(parsed, accepted);
}

void TestRebalanceEntry::advice_data()
{
    QTest::addColumn<bool>("calculated");
    QTest::addColumn<ClassAmounts>("now");
    QTest::addColumn<QStringList>("typed");
    QTest::addColumn<QString>("amount");
    QTest::addColumn<RebalanceProblem>("problem");
    QTest::addColumn<double>("stocksDifference");
    QTest::addColumn<QString>("note");

    const QStringList halfAndHalf{"50", "", "50", "", ""};
    const QString limit = QStringLiteral("The amount to invest must be a number from 0 to 1,000,000,000,000.");
    QTest::newRow("no calculation") << false << ClassAmounts{} << halfAndHalf << "1000"
                                    << RebalanceProblem::InvalidTargets << 0.0 << "Calculate first";
    QTest::newRow("a total of 0") << true << ClassAmounts{} << halfAndHalf << "1000"
                                  << RebalanceProblem::InvalidTargets << 0.0 << "Calculate first";
    QTest::newRow("targets not adding up") << true << ClassAmounts{1000, 0, 0, 0, 0}
                                           << QStringList{"50", "", "40", "", ""} << "0"
                                           << RebalanceProblem::InvalidTargets << 0.0 << QString();
    // 1,000 in cash, half of it to stocks.
    QTest::newRow("empty amount is 0") << true << ClassAmounts{1000, 0, 0, 0, 0} << halfAndHalf << " "
                                       << RebalanceProblem::None << 500.0 << QString();
    QTest::newRow("at the limit") << true << ClassAmounts{1000, 0, 0, 0, 0} << halfAndHalf << "1000000000000"
                                  << RebalanceProblem::None << 500'000'000'500.0 << QString();
    QTest::newRow("past the limit") << true << ClassAmounts{1000, 0, 0, 0, 0} << halfAndHalf
                                    << "1000000000000.01" << RebalanceProblem::InvalidAmount << 0.0 << limit;
    // 500 + (-800) = -300 classed: nothing to divide until 500 more comes.
    QTest::newRow("nothing to divide") << true << ClassAmounts{500, 0, 0, 0, -800} << halfAndHalf << "0"
                                       << RebalanceProblem::NoPositiveBase << 0.0
                                       << "The classed holdings and the amount to invest add up to (300); "
                                          "there is nothing to divide by the targets.";
    QTest::newRow("money makes a base") << true << ClassAmounts{500, 0, 0, 0, -800} << halfAndHalf << "500"
                                        << RebalanceProblem::None << 100.0 << QString();
}

void TestRebalanceEntry::advice()
{
    QFETCH(bool, calculated);
    QFETCH(ClassAmounts, now);
    QFETCH(QStringList, typed);
    QFETCH(QString, amount);
    QFETCH(RebalanceProblem, problem);
    QFETCH(double, stocksDifference);
    QFETCH(QString, note);

    RebalanceBasis basis = pricedBasis(now);
    basis.calculated = calculated;
    if (calculated && basis.total <= 0)
        basis.total = now == ClassAmounts{} ? 0.0 : 1000.0;   // unclassed holdings can make a total
    const RebalanceAdvice advice =
        adviseRebalance(basis, readTypedTargets(textsOf(typed)), amount, RebalanceMode::Full);
    QCOMPARE(advice.plan.problem, problem);
    QCOMPARE(advice.plan.difference[2], stocksDifference);
    QCOMPARE(advice.note, note);
}

QTEST_MAIN(TestRebalanceEntry)
#include "tst_rebalanceentry.moc"
