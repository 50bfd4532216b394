#include "sourcetest.h"
#include "answerlimits.h"

#include "httpquoteservice.h"
#include "pagereader.h"
#include "sourcequoteservice.h"

#include <QMutex>
#include <QMutexLocker>

// The answer of the last transfer, kept for the report: the readers run on
// the transport's thread.
struct KeptAnswer {
    QMutex mutex;
    QByteArray body;
};

namespace {

// Hands every piece to the source's own reader, keeping a copy up to the
// bound any source's reader keeps.
class KeepingReader final : public PageReader
{
public:
    KeepingReader(std::shared_ptr<PageReader> reader, std::shared_ptr<KeptAnswer> kept)
        : m_reader(std::move(reader))
        , m_kept(std::move(kept))
    {
        const QMutexLocker lock(&m_kept->mutex);
        m_kept->body.clear();   // a retry starts the answer again
    }

    Take append(QByteArrayView piece) override
    {
        {
            const QMutexLocker lock(&m_kept->mutex);
            const qsizetype room = std::max<qsizetype>(0, AnswerLimits::kMaxBodyBytes - m_kept->body.size());
            m_kept->body.append(piece.first(std::min(room, piece.size())));
        }
        return m_reader->append(piece);
    }
    QuoteResult result(const PageFacts &facts) override { return m_reader->result(facts); }

private:
    const std::shared_ptr<PageReader> m_reader;
    const std::shared_ptr<KeptAnswer> m_kept;
};

} // namespace

SourceTest::SourceTest(SourceTestTransfers transfers, QObject *parent)
    : QObject(parent)
    , m_transfers(std::move(transfers))
{
}

SourceTest::~SourceTest()
{
    end();
}

void SourceTest::start(const QuoteSource &source, const QString &key, const QString &symbol)
{
    end();
    m_source = source;
    m_symbol = symbol;
    m_kept = std::make_shared<KeptAnswer>();
    PageRequestPlanner planner = [source, key, kept = m_kept](const QString &asked) {
        PageRequestPlan plan = SourceQuoteService::requestPlan(source, key, asked);
        plan.newReader = [reader = plan.newReader, kept]() -> std::shared_ptr<PageReader> {
            return std::make_shared<KeepingReader>(reader(), kept);
        };
        return plan;
    };
    m_service = std::make_unique<HttpQuoteService>(SourceQuoteService::transportSettings(source, m_transfers.base),
                                                   std::move(planner), m_transfers.worker, source.connections);
    m_request = m_service->FetchQuotePrice(symbol);
    connect(m_request.get(), &QuoteRequest::finished, this, &SourceTest::report);
}

void SourceTest::stop()
{
    if (isRunning())
        m_request->cancel();
}

bool SourceTest::isRunning() const
{
    return m_request && !m_request->isFinished();
}

void SourceTest::end()
{
    if (m_request) {
        disconnect(m_request.get(), nullptr, this, nullptr);
        // It may be the sender of the signal being handled.
        m_request.release()->deleteLater();
    }
    m_service.reset();
}

void SourceTest::report(const QuoteResult &result)
{
    QByteArray body;
    {
        const QMutexLocker lock(&m_kept->mutex);
        body = m_kept->body;
    }
    Q_EMIT finished(sourceTestReport(m_source, m_symbol, result, body));
}
