#include "calculationrun.h"
#include "fakequoteservice.h"

#include <QPointer>
#include <QtTest>

#include <algorithm>
#include <random>

namespace {

Holdings sample()
{
    Holdings holdings;
    holdings[1] = {QString(), QStringLiteral("AB"), 10, 2};
    holdings[4] = {QString(), QStringLiteral("ABCD"), 0, 1};
    holdings[7] = {QString(), QStringLiteral("ABC"), -2, 1};
    holdings[19] = {QString(), QStringLiteral("A"), 0.5, -1};
    return holdings;
}

// One share each of 0.1, 0.2 and 0.3 in the first three rows: added in row
// order the total is 0.6000000000000001, added the other way round 0.6.
Holdings orderSensitive()
{
    Holdings holdings;
    holdings[0] = {QString(), QStringLiteral("P1"), 1, 2};
    holdings[1] = {QString(), QStringLiteral("P2"), 1, 2};
    holdings[2] = {QString(), QStringLiteral("P3"), 1, 1};
    holdings[5] = {QString(), QStringLiteral("Cash"), 0.25, 0};
    return holdings;
}

} // namespace

class TestCalculationRun : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void asksForEveryRowAtOnceInRowOrder();
    void addsInRowOrderWhateverOrderAnswersCome_data();
    void addsInRowOrderWhateverOrderAnswersCome();
    void showsEachRowAsItSettles();
    void stopLeavesCashPricedAndTheRestNotLookedUp();
    void nothingHeldFinishesWithoutLookups();
    void destroyedMidRunLeavesNoRequestBehind();
};

void TestCalculationRun::asksForEveryRowAtOnceInRowOrder()
{
    FakeQuoteService service;
    service.hold = true;
    CalculationRun run(sample(), borrowedService(service));
    run.start();
    QCOMPARE(service.requested, (QStringList{"AB", "ABC", "A"}));
    QVERIFY(run.isRunning());
}

void TestCalculationRun::addsInRowOrderWhateverOrderAnswersCome_data()
{
    QTest::addColumn<QList<int>>("answerOrder"); // indexes into the held requests

    QTest::newRow("row order") << QList<int>{0, 1, 2};
    QTest::newRow("reverse") << QList<int>{2, 1, 0};
    QTest::newRow("middle first") << QList<int>{1, 2, 0};
    std::mt19937 random(20261208);
    for (int i = 0; i < 4; ++i) {
        QList<int> order{0, 1, 2};
        std::shuffle(order.begin(), order.end(), random);
        QTest::addRow("random %d", i) << order;
    }
}

void TestCalculationRun::addsInRowOrderWhateverOrderAnswersCome()
{
    QFETCH(QList<int>, answerOrder);

    FakeQuoteService service;
    service.hold = true;
    CalculationRun run(orderSensitive(), borrowedService(service));
    QSignalSpy finished(&run, &CalculationRun::finished);
    run.start();
    QCOMPARE(service.held.size(), 3);
    const double prices[] = {0.1, 0.2, 0.3};
    for (const int i : answerOrder)
        service.held.at(i)->settle(QuoteResult::withPrice(prices[i]));
    QTRY_COMPARE(finished.size(), 1);

    // 0.1 + 0.2 + 0.3 + 0.25 in row order; added in the reverse order the
    // total is 0.85. QCOMPARE would forgive the difference, so == it is.
    QVERIFY(run.result().total == 0.8500000000000001);
    QVERIFY(run.result().classSum[2] == 0.30000000000000004);
    QVERIFY(run.result().classSum[1] == 0.3);
    QVERIFY(run.result().classSum[0] == 0.25);
}

void TestCalculationRun::showsEachRowAsItSettles()
{
    FakeQuoteService service;
    service.hold = true;
    CalculationRun run(sample(), borrowedService(service));
    QSignalSpy settled(&run, &CalculationRun::rowSettled);
    run.start();
    service.held.at(1)->settle(QuoteResult::withPrice(3));
    QCOMPARE(settled.size(), 1);
    QCOMPARE(settled.last(), (QVariantList{7, 1, 3}));
    QCOMPARE(run.quote(7)->price, 3.0);
    QVERIFY(!run.quote(1));
    QVERIFY(run.isRunning());
    service.held.at(0)->settle(QuoteResult::failed(QuoteFailure::TimedOut));
    QCOMPARE(settled.last(), (QVariantList{1, 2, 3}));
}

void TestCalculationRun::stopLeavesCashPricedAndTheRestNotLookedUp()
{
    Holdings holdings;
    for (int row = 0; row < HoldingRowCount; ++row)
        holdings[row] = {QString(), QStringLiteral("S%1").arg(row), 1, 2};
    holdings[3] = {QString(), QStringLiteral("Money Market"), 40, 0};
    FakeQuoteService service;
    service.hold = true;
    CalculationRun run(holdings, borrowedService(service));
    QSignalSpy finished(&run, &CalculationRun::finished);
    run.start();
    QCOMPARE(service.held.size(), 19); // the cash row asks for nothing
    service.held.at(0)->settle(QuoteResult::withPrice(2));

    run.stop();
    QCOMPARE(finished.size(), 1);
    QVERIFY(run.wasStopped());
    QCOMPARE(run.result().outcome[3], RowOutcome::Priced);
    QCOMPARE(run.result().outcome[0], RowOutcome::Priced);
    QCOMPARE(run.result().total, 42.0);
    for (int row : {1, 2, 4, 19}) {
        QCOMPARE(run.result().outcome[row], RowOutcome::NotLookedUp);
        QCOMPARE(run.result().quotes[row]->reason(), QStringLiteral("stopped"));
    }
    for (const QPointer<HeldQuoteRequest> &request : std::as_const(service.held).sliced(1))
        QVERIFY(request->isFinished());
    QCOMPARE(finished.size(), 1);
}

void TestCalculationRun::nothingHeldFinishesWithoutLookups()
{
    FakeQuoteService service;
    CalculationRun run(Holdings{}, borrowedService(service));
    QSignalSpy finished(&run, &CalculationRun::finished);
    run.start();
    QCOMPARE(finished.size(), 1);
    QVERIFY(service.requested.isEmpty());
    QCOMPARE(run.result().totalText, QStringLiteral("0"));
}

void TestCalculationRun::destroyedMidRunLeavesNoRequestBehind()
{
    FakeQuoteService service;
    service.hold = true;
    auto run = std::make_unique<CalculationRun>(sample(), borrowedService(service));
    run->start();
    const QList<QPointer<HeldQuoteRequest>> requests = service.held;
    run.reset();
    for (const QPointer<HeldQuoteRequest> &request : requests)
        QVERIFY(request.isNull());
}

QTEST_GUILESS_MAIN(TestCalculationRun)
#include "tst_calculationrun.moc"
