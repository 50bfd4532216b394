#include "calculationrun.h"
#include "quotelookup.h"
#include "quotesource.h"
#include "settledquotelookup.h"

#include <QPointer>
#include <QtTest>

namespace {

class HeldLookup final : public QuoteLookup
{
    Q_OBJECT

public:
    HeldLookup(const QString &symbol, QObject *parent)
        : QuoteLookup(symbol, parent)
    {
    }
    void settle(double price) { finish(QuoteResult::withPrice(price)); }
};

// Either prices at once (from the event loop) or holds every lookup until
// the test settles it.
class Source final : public QuoteSource
{
public:
    QuoteLookup *FetchQuotePrice(const QString &symbol, QObject *parent) override
    {
        asked.append(symbol);
        if (hold) {
            auto *lookup = new HeldLookup(symbol, parent);
            held.append(lookup);
            return lookup;
        }
        return new SettledQuoteLookup(symbol, QuoteResult::withPrice(symbol.size()), parent);
    }
    bool hold = false;
    QStringList asked;
    QList<QPointer<HeldLookup>> held;
};

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
    Source source;
    CalculationRun run(sample(), source);
    QSignalSpy finished(&run, &CalculationRun::finished);
    QSignalSpy pricing(&run, &CalculationRun::pricing);
    run.start();
    QVERIFY(finished.wait());

    const CalculationResult expected = calculateHoldings(
        sample(), [](const QString &symbol) { return QuoteResult::withPrice(symbol.size()); });
    QCOMPARE(run.result().value, expected.value);
    QCOMPARE(run.result().percent, expected.percent);
    QCOMPARE(run.result().totalText, expected.totalText);
    QCOMPARE(run.result().classAmountText, expected.classAmountText);
    QCOMPARE(run.result().classPercent, expected.classPercent);
    QCOMPARE(source.asked, (QStringList{"AB", "ABC", "A"}));
    QCOMPARE(pricing.size(), 3);
    QCOMPARE(pricing.last(), (QVariantList{QStringLiteral("A"), 3, 3}));
    QCOMPARE(finished.size(), 1);
}

void TestCalculationRun::looksUpOneAtATimeInRowOrder()
{
    Source source;
    source.hold = true;
    CalculationRun run(sample(), source);
    QSignalSpy finished(&run, &CalculationRun::finished);
    run.start();

    QCOMPARE(source.asked, QStringList{"AB"});
    source.held.at(0)->settle(2);
    QTRY_COMPARE(source.asked.size(), 2);
    QTest::qWait(5);
    QCOMPARE(source.asked.size(), 2);
    source.held.at(1)->settle(3);
    QTRY_COMPARE(source.asked.size(), 3);
    source.held.at(2)->settle(1);
    QTRY_COMPARE(finished.size(), 1);
    QCOMPARE(run.result().total, 20.0 - 6.0 + 0.5);
}

void TestCalculationRun::stopLeavesTheRestUnpriced()
{
    Source source;
    source.hold = true;
    CalculationRun run(sample(), source);
    QSignalSpy finished(&run, &CalculationRun::finished);
    run.start();
    source.held.at(0)->settle(2);
    QTRY_COMPARE(source.asked.size(), 2);

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
    QCOMPARE(source.asked.size(), 2);
    QCOMPARE(finished.size(), 1);
}

void TestCalculationRun::nothingHeldFinishesWithoutLookups()
{
    Source source;
    CalculationRun run(HoldingInputs{}, source);
    QSignalSpy finished(&run, &CalculationRun::finished);
    run.start();
    QCOMPARE(finished.size(), 1);
    QVERIFY(source.asked.isEmpty());
    QCOMPARE(run.result().totalText, QStringLiteral("0"));
}

void TestCalculationRun::destroyedMidRunLeavesNoLookupBehind()
{
    Source source;
    source.hold = true;
    auto run = std::make_unique<CalculationRun>(sample(), source);
    run->start();
    QPointer<HeldLookup> lookup = source.held.at(0);
    run.reset();
    QVERIFY(lookup.isNull());
}

QTEST_GUILESS_MAIN(TestCalculationRun)
#include "tst_calculationrun.moc"
