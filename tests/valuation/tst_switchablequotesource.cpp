#include "calculationrun.h"
#include "fakequotesource.h"
#include "switchablequotesource.h"

#include <QtTest>

#include <memory>

namespace {

HoldingInputs twoHeld()
{
    HoldingInputs holdings;
    holdings[0] = {QStringLiteral("VTI"), 10, 2};
    holdings[3] = {QStringLiteral("BND"), 4, 1};
    return holdings;
}

} // namespace

// A site chosen while a calculation runs is used from the next one on.
class TestSwitchableQuoteSource : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void runningCalculationKeepsItsSource();
    void oldSourceGoesWithItsLastRun();
    void lookupsWithoutParentUseTheCurrentSource();
};

void TestSwitchableQuoteSource::runningCalculationKeepsItsSource()
{
    auto before = std::make_shared<FakeQuoteSource>();
    before->hold = true;
    auto after = std::make_shared<FakeQuoteSource>();
    after->prices = {{"VTI", 2.0}, {"BND", 3.0}};
    SwitchableQuoteSource quotes(before);

    CalculationRun running(twoHeld(), quotes);
    QSignalSpy finished(&running, &CalculationRun::finished);
    running.start();
    QCOMPARE(before->held.size(), 1);
    quotes.replace(after);
    before->held.first()->settle(QuoteResult::withPrice(1.0));
    QTRY_COMPARE(before->held.size(), 2);
    before->held.last()->settle(QuoteResult::withPrice(1.5));
    QVERIFY(finished.size() == 1 || finished.wait());
    QCOMPARE(before->requested, (QStringList{"VTI", "BND"}));
    QVERIFY(after->requested.isEmpty());
    QCOMPARE(running.result().total, 10 * 1.0 + 4 * 1.5);

    CalculationRun next(twoHeld(), quotes);
    QSignalSpy nextFinished(&next, &CalculationRun::finished);
    next.start();
    QVERIFY(nextFinished.wait());
    QCOMPARE(after->requested, (QStringList{"VTI", "BND"}));
    QCOMPARE(before->requested.size(), 2);
    QCOMPARE(next.result().total, 10 * 2.0 + 4 * 3.0);
}

void TestSwitchableQuoteSource::oldSourceGoesWithItsLastRun()
{
    auto before = std::make_shared<FakeQuoteSource>();
    before->hold = true;
    const std::weak_ptr<FakeQuoteSource> watched = before;
    SwitchableQuoteSource quotes(std::move(before));

    auto running = std::make_unique<CalculationRun>(twoHeld(), quotes);
    running->start();
    quotes.replace(std::make_shared<FakeQuoteSource>());
    QVERIFY(!watched.expired());
    running->stop();
    QVERIFY(!watched.expired());
    running.reset();
    QVERIFY(watched.expired());
}

void TestSwitchableQuoteSource::lookupsWithoutParentUseTheCurrentSource()
{
    auto first = std::make_shared<FakeQuoteSource>();
    auto second = std::make_shared<FakeQuoteSource>();
    SwitchableQuoteSource quotes(first);
    delete quotes.FetchQuotePrice(QStringLiteral("A"), nullptr);
    quotes.replace(second);
    delete quotes.FetchQuotePrice(QStringLiteral("B"), nullptr);
    QCOMPARE(first->requested, QStringList{"A"});
    QCOMPARE(second->requested, QStringList{"B"});
}

QTEST_GUILESS_MAIN(TestSwitchableQuoteSource)
#include "tst_switchablequotesource.moc"
