#include "ratelookup.h"

#include "referenceratesreader.h"
#include "transferworker.h"

#include <QUrl>

#include <utility>

namespace {

// The reference rates quote every currency against the euro.
constexpr char16_t kReferenceBase[] = u"EUR";

} // namespace

RateLookup::RateLookup(QList<RateSource> sources, std::shared_ptr<TransferWorker> worker, TransferSettings base,
                       QObject *parent)
    : QObject(parent)
    , m_worker(std::move(worker))
    , m_base(std::move(base))
{
    for (RateSource &source : sources)
        m_fetches.append(Fetch{std::move(source), {}, std::nullopt});
    connect(m_worker.get(), &TransferWorker::pageDone, this, &RateLookup::take, Qt::QueuedConnection);
}

RateLookup::~RateLookup()
{
    for (auto it = m_inFlight.cbegin(); it != m_inFlight.cend(); ++it)
        m_worker->cancel(it.key());
}

void RateLookup::start()
{
    if (m_started)
        return;
    m_started = true;
    m_running = true;
    for (qsizetype index = 0; index < m_fetches.size(); ++index) {
        Fetch &fetch = m_fetches[index];
        TransferSettings settings = m_base;
        if (!fetch.source.certificate.isEmpty())
            settings.trustedCertificateFiles << fetch.source.certificate;
        fetch.reader = std::make_shared<ReferenceRatesReader>();
        const QUrl url(fetch.source.url, QUrl::StrictMode);
        if (!url.isValid() || url.scheme() != u"https") {
            fetch.result = QuoteResult::failed(QuoteFailure::AddressNotValid);
            continue;
        }
        const quint64 id = m_worker->submit(TransferRequest{url.toEncoded(), {}, false, fetch.reader,
                                                            settings.limits.overallTimeout,
                                                            std::make_shared<const TransferSettings>(settings)});
        m_inFlight.insert(id, index);
    }
    if (m_inFlight.isEmpty())
        finish();
}

void RateLookup::stop()
{
    if (!m_running)
        return;
    for (auto it = m_inFlight.cbegin(); it != m_inFlight.cend(); ++it) {
        m_worker->cancel(it.key());
        m_fetches[it.value()].result = QuoteResult::stopped();
    }
    m_inFlight.clear();
    finish();
}

void RateLookup::take(quint64 id, const PageOutcome &outcome)
{
    const auto found = m_inFlight.constFind(id);
    if (found == m_inFlight.constEnd())
        return;
    m_fetches[*found].result = outcome.result;
    m_inFlight.erase(found);
    if (m_inFlight.isEmpty())
        finish();
}

void RateLookup::finish()
{
    m_running = false;
    for (const Fetch &fetch : std::as_const(m_fetches)) {
        const QuoteResult result = fetch.result.value_or(QuoteResult::stopped());
        if (!result.priced()) {
            m_failures.append(QuoteAttempt{fetch.source.name, result.failure, result.httpStatus});
            continue;
        }
        const ReferenceRates &document = fetch.reader->rates();
        const QString base = QString::fromUtf16(kReferenceBase);
        m_rates.addTable(fetch.source.name, document.day, base);
        for (auto it = document.perEuro.cbegin(); it != document.perEuro.cend(); ++it)
            m_rates.addPair(base, it.key(), it.value());
    }
    Q_EMIT finished();
}
