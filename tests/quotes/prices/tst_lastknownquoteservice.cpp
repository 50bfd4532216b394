// Prices found are kept; a failed lookup answers with the last known price.

#include "fakequoteservice.h"
#include "lastknownquoteservice.h"
#include "pricestore.h"

#include <QSignalSpy>
#include <QTest>

namespace {

QuoteResult priced(double price, const char *currency, const char *source, const char *fetched)
{
    QuoteResult result = QuoteResult::withPrice(price);
    result.currency = QString::fromLatin1(currency);
    result.source = QString::fromLatin1(source);
    result.fetched = QDateTime::fromString(QString::fromLatin1(fetched), Qt::ISODate);
    return result;
}

// The price stored for "vti" before each test that has one.
const QuoteResult kStored = priced(5, "EUR", "Prices B", "2026-12-01T10:00:00Z");

QuoteResult lastKnown(QuoteFailure failure, int httpStatus = 0)
{
    QuoteResult result = kStored;
    result.failure = failure;
    result.httpStatus = httpStatus;
    result.lastKnown = true;
    return result;
}

} // namespace

class TestLastKnownQuoteService : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void answers_data();
    void answers();
    void stampsPriceWithoutTime();
    void cancelNeverFallsBack();

private:
    // Asks `symbol` through the service, the inner lookup answering `inner`.
    QuoteResult ask(LastKnownQuoteService &service, const QString &symbol, const QuoteResult &inner);

    FakeQuoteService m_inner;
    std::shared_ptr<PriceStore> m_store;
};

void TestLastKnownQuoteService::init()
{
    m_inner.held.clear();
    m_inner.hold = true;
    m_store = std::make_shared<PriceStore>();
}

QuoteResult TestLastKnownQuoteService::ask(LastKnownQuoteService &service, const QString &symbol,
                                           const QuoteResult &inner)
{
    const std::unique_ptr<QuoteRequest> request = service.FetchQuotePrice(symbol);
    QSignalSpy finished(request.get(), &QuoteRequest::finished);
    m_inner.held.constLast()->settle(inner);
    if (finished.size() != 1)
        qFatal("the request finished %d times", int(finished.size()));
    return request->result();
}

void TestLastKnownQuoteService::answers_data()
{
    QTest::addColumn<QString>("symbol");
    QTest::addColumn<bool>("stored");       // a price for "vti" is stored
    QTest::addColumn<bool>("fallback");
    QTest::addColumn<QuoteResult>("inner");
    QTest::addColumn<QuoteResult>("expected");
    QTest::addColumn<double>("storedAfter"); // the symbol's stored price afterwards; 0 for none

    const QuoteResult found = priced(123.45, "USD", "Prices A", "2026-12-07T14:02:00Z");
    const QuoteResult timedOut = QuoteResult::failed(QuoteFailure::TimedOut);
    QTest::newRow("priced") << "VTI" << false << true << found << found << 123.45;
    QTest::newRow("failed, none stored") << "VTI" << false << true << timedOut << timedOut << 0.0;
    QTest::newRow("failed, stored") << "VTI" << true << true << timedOut << lastKnown(QuoteFailure::TimedOut)
                                    << 5.0;
    QTest::newRow("failed with status") << "Vti" << true << true
                                        << QuoteResult::failed(QuoteFailure::NoPriceOnPage, 500)
                                        << lastKnown(QuoteFailure::NoPriceOnPage, 500) << 5.0;
    QTest::newRow("stopped") << "VTI" << true << true << QuoteResult::stopped() << QuoteResult::stopped() << 5.0;
    QTest::newRow("fallback off, failed") << "VTI" << true << false << timedOut << timedOut << 5.0;
    QTest::newRow("fallback off, priced") << "VTI" << false << false << found << found << 123.45;
}

void TestLastKnownQuoteService::answers()
{
    QFETCH(QString, symbol);
    QFETCH(bool, stored);
    QFETCH(bool, fallback);
    QFETCH(QuoteResult, inner);
    QFETCH(QuoteResult, expected);
    QFETCH(double, storedAfter);

    if (stored)
        m_store->remember(QStringLiteral("vti"), kStored);
    LastKnownQuoteService service(borrowedService(m_inner), m_store);
    service.setFallbackEnabled(fallback);
    QCOMPARE(ask(service, symbol, inner), expected);
    QCOMPARE(m_inner.requested.constLast(), symbol);
    const std::optional<StoredPrice> after = m_store->find(symbol);
    QCOMPARE(after ? after->price : 0.0, storedAfter);
}

void TestLastKnownQuoteService::stampsPriceWithoutTime()
{
    LastKnownQuoteService service(borrowedService(m_inner), m_store);
    const QDateTime before = QDateTime::currentDateTimeUtc();
    const QuoteResult result = ask(service, QStringLiteral("VTI"), QuoteResult::withPrice(2));
    const QDateTime after = QDateTime::currentDateTimeUtc();
    QVERIFY(result.fetched >= before && result.fetched <= after);
    QCOMPARE(result.fetched.timeSpec(), Qt::UTC);
    // The store keeps whole seconds.
    const std::optional<StoredPrice> kept = m_store->find(QStringLiteral("VTI"));
    QVERIFY(kept);
    QCOMPARE(kept->fetched.toSecsSinceEpoch(), result.fetched.toSecsSinceEpoch());
}

void TestLastKnownQuoteService::cancelNeverFallsBack()
{
    m_store->remember(QStringLiteral("vti"), kStored);
    LastKnownQuoteService service(borrowedService(m_inner), m_store);
    const std::unique_ptr<QuoteRequest> request = service.FetchQuotePrice(QStringLiteral("VTI"));
    QSignalSpy finished(request.get(), &QuoteRequest::finished);
    request->cancel();
    QCOMPARE(finished.size(), 1);
    QCOMPARE(request->result(), QuoteResult::stopped());
    // The inner lookup is dropped with it.
    QVERIFY(m_inner.held.constLast().isNull());
}

QTEST_GUILESS_MAIN(TestLastKnownQuoteService)
#include "tst_lastknownquoteservice.moc"
