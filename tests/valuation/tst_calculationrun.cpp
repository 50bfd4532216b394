#include "calculationrun.h"
#include "fakequotesource.h"

#include <QPointer>
#include <QtTest>

namespace {

HoldingInputs sample()
{
    HoldingInputs holdings;
    holdings[1] = {QStringLiteral("AB"), 10, 2};
    holdings[4] = {QStringLiteral("ABCD"), 0, 1};
    holdings[7] = {QStringLiteral("ABC"), -2, 1};
    holdings[19] = {QStringLiteral("A"), 0.5, -1};
    return holdings;
}

} // namespace

class TestCalculationRun : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void matchesTheSequentialCalculation();
    void looksUpOneAtATimeInRowOrder();
    void stopLeavesTheRestUnpriced();
    void nothingHeldFinishesWithoutLookups();
    void destroyedMidRunLeavesNoLookupBehind();
};

void TestCalculationRun::matchesTheSequentialCalculation()
{
    FakeQuoteSource source;
    source.prices = {{"A", 1}, {"AB", 2}, {"ABC", 3}};
    CalculationRun run(sample(), source);
    QSignalSpy finished(&run, &CalculationRun::finished);
    QSignalSpy pricing(&run, &CalculationRun::pricing);
    run.start();
    QVERIFY(finished.wait());

    const CalculationResult expected =
        calculateHoldings(sample(), [&](const QString &symbol) { return source.resultFor(symbol); });
    QCOMPARE(run.result().value, expected.value);
    QCOMPARE(run.result().percent, expected.percent);
    QCOMPARE(run.result().totalText, expected.totalText);
    QCOMPARE(run.result().classAmountText, expected.classAmountText);
    QCOMPARE(run.result().classPercent, expected.classPercent);
    QCOMPARE(source.requested, (QStringList{"AB", "ABC", "A"}));
    QCOMPARE(pricing.size(), 3);
    QCOMPARE(pricing.last(), (QVariantList{QStringLiteral("A"), 3, 3}));
    QCOMPARE(finished.size(), 1);
}

void TestCalculationRun::looksUpOneAtATimeInRowOrder()
{
    FakeQuoteSource source;
    source.hold = true;
    CalculationRun run(sample(), source);
    QSignalSpy finished(&run, &CalculationRun::finished);
    run.start();

    QCOMPARE(source.requested, QStringList{"AB"});
    source.held.at(0)->settle(QuoteResult::withPrice(2));
    QTRY_COMPARE(source.requested.size(), 2);
    QTest::qWait(5);
    QCOMPARE(source.requested.size(), 2);
    source.held.at(1)->settle(QuoteResult::withPrice(3));
    QTRY_COMPARE(source.requested.size(), 3);
    source.held.at(2)->settle(QuoteResult::withPrice(1));
    QTRY_COMPARE(finished.size(), 1);
    QCOMPARE(run.result().total, 20.0 - 6.0 + 0.5);
}

void TestCalculationRun::stopLeavesTheRestUnpriced()
{
    FakeQuoteSource source;
    source.hold = true;
    CalculationRun run(sample(), source);
    QSignalSpy finished(&run, &CalculationRun::finished);
    run.start();
    source.held.at(0)->settle(QuoteResult::withPrice(2));
    QTRY_COMPARE(source.requested.size(), 2);

    run.stop();
    QCOMPARE(finished.size(), 1);
    QVERIFY(!run.isRunning());
    QVERIFY(run.wasStopped());
    QCOMPARE(run.result().total, 20.0);
    for (int row : {7, 19}) {
        QVERIFY(!run.result().quotes[row]->priced);
        QCOMPARE(run.result().quotes[row]->reason, QStringLiteral("stopped"));
    }
    QTRY_VERIFY(source.held.at(1).isNull());
    QTest::qWait(5);
    QCOMPARE(source.requested.size(), 2);
    QCOMPARE(finished.size(), 1);
}

void TestCalculationRun::nothingHeldFinishesWithoutLookups()
{
    FakeQuoteSource source;
    CalculationRun run(HoldingInputs{}, source);
    QSignalSpy finished(&run, &CalculationRun::finished);
    run.start();
    QCOMPARE(finished.size(), 1);
    QVERIFY(source.requested.isEmpty());
    QCOMPARE(run.result().totalText, QStringLiteral("0"));
}

void TestCalculationRun::destroyedMidRunLeavesNoLookupBehind()
{
    FakeQuoteSource source;
    source.hold = true;
    auto run = std::make_unique<CalculationRun>(sample(), source);
    run->start();
    QPointer<HeldQuoteLookup> lookup = source.held.at(0);
    run.reset();
    QVERIFY(lookup.isNull());
}

QTEST_GUILESS_MAIN(TestCalculationRun)
#include "tst_calculationrun.moc"
