#include "quotetransport.h"

#include "quoteparser.h"
#include "trustedcertificates.h"

#include <QNetworkProxy>
#include <QNetworkProxyFactory>
#include <QStringList>

#include <curl/curl.h>
#include <openssl/ssl.h>

#include <algorithm>
#include <cerrno>

namespace {

using Clock = std::chrono::steady_clock;

constexpr char kUserAgent[] = "Fundtally/1.0";
// Encodings unpacked with a small, fixed window. Others (brotli, zstd) let
// a page demand a window of many megabytes, so they are refused.
constexpr char kAcceptedEncodings[] = "gzip, deflate";
const QStringList kKnownEncodings{QStringLiteral("gzip"), QStringLiteral("x-gzip"),
                                  QStringLiteral("deflate"), QStringLiteral("identity")};

QString noPriceReason()
{
    return QuoteResult::noPriceOnPage().reason;
}

// An error page without a price says which error it was.
QuoteResult withStatus(QuoteResult result, long status)
{
    if (!result.priced && result.reason == noPriceReason() && status >= 400)
        result.reason += QStringLiteral(" (HTTP %1)").arg(status);
    return result;
}

// "HTTP/1.1 200 OK": the three digits after the first space, 0 otherwise.
long statusOf(QByteArrayView statusLine)
{
    const qsizetype space = statusLine.indexOf(' ');
    if (space < 0 || statusLine.size() < space + 4)
        return 0;
    bool ok = false;
    const long status = statusLine.sliced(space + 1, 3).toLong(&ok);
    return ok ? status : 0;
}

bool hasName(QByteArrayView headerLine, QByteArrayView name)
{
    return headerLine.size() > name.size() && headerLine[name.size()] == ':'
        && headerLine.first(name.size()).compare(name, Qt::CaseInsensitive) == 0;
}

bool hasUnknownEncoding(QByteArrayView headerLine)
{
    const QString values = QString::fromLatin1(headerLine.sliced(headerLine.indexOf(':') + 1));
    const QStringList encodings = values.split(u',', Qt::SkipEmptyParts);
    return std::any_of(encodings.begin(), encodings.end(), [](const QString &encoding) {
        return !kKnownEncodings.contains(encoding.trimmed(), Qt::CaseInsensitive);
    });
}

QByteArray proxyAddress(const QuoteProxy &proxy)
{
    const QString scheme = proxy.kind == QuoteProxy::Kind::Socks5 ? QStringLiteral("socks5h")
                                                                  : QStringLiteral("http");
    const QString host = proxy.host.contains(u':') ? u'[' + proxy.host + u']' : proxy.host;
    return (scheme + QStringLiteral("://") + host + u':' + QString::number(proxy.port)).toUtf8();
}

// The settings' proxy, else the system's for this address; none known leaves
// curl to the standard proxy variables.
std::optional<QuoteProxy> proxyFor(const QuoteSiteSettings &settings, const QUrl &url)
{
    if (settings.proxy)
        return settings.proxy;
    const QNetworkProxy system = QNetworkProxyFactory::systemProxyForQuery(QNetworkProxyQuery(url))
                                     .value(0, QNetworkProxy(QNetworkProxy::DefaultProxy));
    const auto named = [&system](QuoteProxy::Kind kind) {
        return QuoteProxy{kind, system.hostName(), system.port(), system.user(), system.password()};
    };
    switch (system.type()) {
    case QNetworkProxy::NoProxy:
        return QuoteProxy{};
    case QNetworkProxy::HttpProxy:
    case QNetworkProxy::HttpCachingProxy:
        return named(QuoteProxy::Kind::Http);
    case QNetworkProxy::Socks5Proxy:
        return named(QuoteProxy::Kind::Socks5);
    case QNetworkProxy::DefaultProxy:
    case QNetworkProxy::FtpCachingProxy:
        break;
    }
    return std::nullopt;
}

// curl with OpenSSL 3 takes a TCP close without the TLS close alert for the
// end of the stream, even with OpenSSL's own check of that turned back on,
// so a page without a declared length that was cut would look whole. The
// alert is watched for here instead: OpenSSL reports every alert it reads.
int closeAlertFlagIndex()
{
    static const int index = SSL_CTX_get_ex_new_index(0, nullptr, nullptr, nullptr, nullptr);
    return index;
}

void noteCloseAlert(const SSL *tls, int where, int alert)
{
    if ((where & SSL_CB_READ_ALERT) != SSL_CB_READ_ALERT || (alert & 0xff) != SSL_AD_CLOSE_NOTIFY)
        return;
    if (auto *read = static_cast<bool *>(SSL_CTX_get_ex_data(SSL_get_SSL_CTX(tls), closeAlertFlagIndex())))
        *read = true;
}

CURLcode watchCloseAlert(CURL *, void *tlsContext, void *closeAlertRead)
{
    auto *context = static_cast<SSL_CTX *>(tlsContext);
    SSL_CTX_set_ex_data(context, closeAlertFlagIndex(), closeAlertRead);
    SSL_CTX_set_info_callback(context, &noteCloseAlert);
    return CURLE_OK;
}

} // namespace

struct QuoteTransport::CurlGlobal {
    CurlGlobal() { curl_global_init(CURL_GLOBAL_DEFAULT); }
    ~CurlGlobal() { curl_global_cleanup(); }
    CurlGlobal(const CurlGlobal &) = delete;
    CurlGlobal &operator=(const CurlGlobal &) = delete;
};

// What one lookup has seen so far.
struct QuoteTransport::Transfer {
    explicit Transfer(const QuoteTransferLimits &limits)
        : reader(limits.maxPriceLineBytes)
        , started(Clock::now())
        , checkpoint(started)
    {
    }

    PriceLineReader reader;
    qint64 headerBytes = 0;
    qint64 bodyBytes = 0;       // unpacked
    qint64 progressBytes = 0;   // headers and body
    long lastStatus = 0;        // of the latest status line, interim ones included
    long status = 0;            // of the response whose body is read
    bool lengthDeclared = false; // by the latest response: else its body ends with the connection
    bool bodyStarted = false;
    std::optional<QString> failure;    // why this program stopped the transfer
    std::optional<QuoteResult> result; // known before the transfer ended
    int doneCode = CURLE_OK;
    Clock::time_point started;
    Clock::time_point checkpoint;      // the last time enough bytes had arrived
    qint64 checkpointBytes = 0;
};

QuoteTransport::QuoteTransport(QuoteSiteSettings settings)
    : m_settings(std::move(settings))
    , m_global(std::make_unique<CurlGlobal>())
{
}

QuoteTransport::~QuoteTransport()
{
    endTransfer();
    if (m_easy)
        curl_easy_cleanup(m_easy);
    if (m_multi)
        curl_multi_cleanup(m_multi);
}

void QuoteTransport::abort()
{
    m_abort = true;
    if (m_multi)
        curl_multi_wakeup(m_multi);
}

void QuoteTransport::clearAbort()
{
    m_abort = false;
}

QuoteResult QuoteTransport::fetch(const QUrl &url)
{
    if (!prepareHandle())
        return QuoteResult::unpriced(QStringLiteral("download failed"));
    endTransfer();
    m_transfer = std::make_unique<Transfer>(m_settings.limits);
    m_closeAlertRead = false;
    curl_easy_setopt(m_easy, CURLOPT_URL, url.toEncoded().constData());
    applyProxy(url);
    if (curl_multi_add_handle(m_multi, m_easy) != CURLM_OK)
        return QuoteResult::unpriced(QStringLiteral("download failed"));
    m_inMulti = true;

    const Progress progress = run(m_transfer->started + m_settings.limits.overallTimeout, true);
    switch (progress) {
    case Progress::Running:
        return *m_transfer->result;
    case Progress::Done:
        endTransfer();
        return outcome(m_transfer->doneCode);
    case Progress::Stalled:
        endTransfer();
        return QuoteResult::unpriced(QStringLiteral("timed out"));
    case Progress::Aborted:
        endTransfer();
        return QuoteResult::stopped();
    }
    Q_UNREACHABLE();
}

void QuoteTransport::finishTransfer()
{
    if (m_inMulti && !m_abort)
        run(Clock::now() + kMaxDrainTime, false);
    endTransfer();
}

void QuoteTransport::endTransfer()
{
    // Removing a transfer that has not ended closes its connection.
    if (m_inMulti)
        curl_multi_remove_handle(m_multi, m_easy);
    m_inMulti = false;
}

// While fetching (watchStall) the run returns as soon as the result is known;
// the deadline is then the overall time-out. While draining it runs to the
// end of the page or the deadline.
QuoteTransport::Progress QuoteTransport::run(Clock::time_point deadline, bool watchStall)
{
    Transfer &transfer = *m_transfer;
    const qint64 minBytes = std::max<qint64>(
        1, m_settings.limits.stallTimeout.count() * QuoteTransferLimits::kMinBytesPerSecond / 1000);
    for (;;) {
        int running = 0;
        if (curl_multi_perform(m_multi, &running) != CURLM_OK) {
            transfer.doneCode = CURLE_FAILED_INIT;
            return Progress::Done;
        }
        int queued = 0;
        while (const CURLMsg *message = curl_multi_info_read(m_multi, &queued)) {
            if (message->msg == CURLMSG_DONE) {
                transfer.doneCode = message->data.result;
                return Progress::Done;
            }
        }
        if (m_abort)
            return Progress::Aborted;
        if (watchStall && transfer.result)
            return Progress::Running;

        const Clock::time_point now = Clock::now();
        if (now >= deadline)
            return Progress::Stalled;
        Clock::time_point wakeAt = deadline;
        if (watchStall) {
            if (transfer.progressBytes - transfer.checkpointBytes >= minBytes) {
                transfer.checkpoint = now;
                transfer.checkpointBytes = transfer.progressBytes;
            } else if (now - transfer.checkpoint >= m_settings.limits.stallTimeout) {
                return Progress::Stalled;
            }
            wakeAt = std::min(wakeAt, transfer.checkpoint + m_settings.limits.stallTimeout);
        }
        const auto wait = std::chrono::ceil<std::chrono::milliseconds>(wakeAt - now);
        curl_multi_poll(m_multi, nullptr, 0, static_cast<int>(std::max<qint64>(wait.count(), 1)), nullptr);
    }
}

bool QuoteTransport::prepareHandle()
{
    if (m_prepared)
        return true;
    m_multi = curl_multi_init();
    m_easy = curl_easy_init();
    if (!m_multi || !m_easy)
        return false;
    m_prepared = true;

    CURL *const easy = m_easy;
    const QuoteTransferLimits &limits = m_settings.limits;
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "https");
    curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "https");
    curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, long(CURL_HTTP_VERSION_1_1));
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(easy, CURLOPT_MAXREDIRS, long(limits.maxRedirects));
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 2L);
    curl_easy_setopt(easy, CURLOPT_ACCEPT_ENCODING, kAcceptedEncodings);
    curl_easy_setopt(easy, CURLOPT_USERAGENT, kUserAgent);
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    // A lookup stopped while a name is being resolved does not wait for the
    // resolver.
    curl_easy_setopt(easy, CURLOPT_QUICK_EXIT, 1L);
    // A backstop: the run loop ends the lookup at the same time itself.
    curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS, long(limits.overallTimeout.count()));
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &QuoteTransport::onHeader);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &QuoteTransport::onBody);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, this);
    curl_easy_setopt(easy, CURLOPT_XFERINFOFUNCTION, &QuoteTransport::onProgress);
    curl_easy_setopt(easy, CURLOPT_XFERINFODATA, this);
    curl_easy_setopt(easy, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(easy, CURLOPT_SSL_CTX_FUNCTION, &watchCloseAlert);
    curl_easy_setopt(easy, CURLOPT_SSL_CTX_DATA, &m_closeAlertRead);

    // The system store stays curl's default; these are trusted besides it.
    QByteArray pem = trustedCertificatePem(m_settings.trustedCertificateFiles,
                                           m_settings.trustedCertificateDirectories);
    if (!pem.isEmpty()) {
        curl_blob blob{pem.data(), static_cast<size_t>(pem.size()), CURL_BLOB_COPY};
        curl_easy_setopt(easy, CURLOPT_CAINFO_BLOB, &blob);
    }
    return true;
}

void QuoteTransport::applyProxy(const QUrl &url)
{
    const std::optional<QuoteProxy> proxy = proxyFor(m_settings, url);
    m_proxied = proxy && proxy->kind != QuoteProxy::Kind::Direct;
    if (!proxy) {
        curl_easy_setopt(m_easy, CURLOPT_PROXY, nullptr);
    } else if (!m_proxied) {
        curl_easy_setopt(m_easy, CURLOPT_PROXY, ""); // none, whatever the variables say
    } else {
        curl_easy_setopt(m_easy, CURLOPT_PROXY, proxyAddress(*proxy).constData());
        curl_easy_setopt(m_easy, CURLOPT_PROXYUSERNAME, proxy->user.toUtf8().constData());
        curl_easy_setopt(m_easy, CURLOPT_PROXYPASSWORD, proxy->password.toUtf8().constData());
    }
}

size_t QuoteTransport::onHeader(char *data, size_t size, size_t count, void *transport)
{
    return static_cast<QuoteTransport *>(transport)->takeHeader(
        QByteArrayView(data, static_cast<qsizetype>(size * count)));
}

size_t QuoteTransport::onBody(char *data, size_t size, size_t count, void *transport)
{
    return static_cast<QuoteTransport *>(transport)->takeBody(
        QByteArrayView(data, static_cast<qsizetype>(size * count)));
}

int QuoteTransport::onProgress(void *transport, qint64, qint64, qint64, qint64)
{
    return static_cast<QuoteTransport *>(transport)->m_abort ? 1 : 0;
}

size_t QuoteTransport::takeHeader(QByteArrayView line)
{
    Transfer &transfer = *m_transfer;
    transfer.headerBytes += line.size();
    transfer.progressBytes += line.size();
    if (transfer.headerBytes > m_settings.limits.maxHeaderBytes) {
        transfer.failure = QStringLiteral("page too large");
        return 0;
    }
    if (line.startsWith("HTTP/")) {
        transfer.lastStatus = statusOf(line);
        transfer.lengthDeclared = false;
    } else if (hasName(line, "content-length") || hasName(line, "transfer-encoding")) {
        transfer.lengthDeclared = true;
    } else if (hasName(line, "content-encoding") && hasUnknownEncoding(line)) {
        transfer.failure = QStringLiteral("page could not be unpacked");
        return 0;
    }
    return static_cast<size_t>(line.size());
}

size_t QuoteTransport::takeBody(QByteArrayView piece)
{
    Transfer &transfer = *m_transfer;
    if (!transfer.bodyStarted) {
        transfer.bodyStarted = true;
        curl_easy_getinfo(m_easy, CURLINFO_RESPONSE_CODE, &transfer.status);
        // A switch to another protocol carries no page.
        if (transfer.status < 200) {
            transfer.failure = QStringLiteral("download failed");
            return CURL_WRITEFUNC_ERROR;
        }
    }
    transfer.progressBytes += piece.size();
    transfer.bodyBytes += piece.size();
    if (transfer.result)
        return shouldStopDraining() ? CURL_WRITEFUNC_ERROR : static_cast<size_t>(piece.size());

    const bool complete = transfer.reader.append(piece);
    if (transfer.reader.bytesBeforePriceLine() > m_settings.limits.maxBytesBeforePriceLine) {
        transfer.failure = QStringLiteral("page too large");
        return CURL_WRITEFUNC_ERROR;
    }
    if (complete) {
        const PriceLineEnd end = transfer.reader.priceLineCut() ? PriceLineEnd::Cut : PriceLineEnd::Whole;
        transfer.result = withStatus(parseQuoteLine(transfer.reader.priceLine(), end), transfer.status);
        if (shouldStopDraining())
            return CURL_WRITEFUNC_ERROR;
    }
    return static_cast<size_t>(piece.size());
}

bool QuoteTransport::shouldStopDraining() const
{
    curl_off_t length = -1;
    curl_easy_getinfo(m_easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
    return m_transfer->bodyBytes > kMaxReusedPageBytes || length > kMaxReusedPageBytes;
}

QuoteResult QuoteTransport::outcome(int code) const
{
    Transfer &transfer = *m_transfer;
    if (transfer.result)
        return *transfer.result;
    if (transfer.failure)
        return QuoteResult::unpriced(*transfer.failure);
    if (code != CURLE_OK)
        return failureReason(code);
    long status = transfer.status;
    if (!transfer.bodyStarted)
        curl_easy_getinfo(m_easy, CURLINFO_RESPONSE_CODE, &status);
    // A body that ends with its connection is whole only when the site said
    // so with the TLS close alert; a bare TCP close may have cut it anywhere.
    if (!transfer.lengthDeclared && !m_closeAlertRead)
        return QuoteResult::unpriced(QStringLiteral("connection closed"));
    if (!transfer.reader.finish())
        return withStatus(QuoteResult::noPriceOnPage(), status);
    const PriceLineEnd end = transfer.reader.priceLineCut() ? PriceLineEnd::Cut : PriceLineEnd::Whole;
    return withStatus(parseQuoteLine(transfer.reader.priceLine(), end), status);
}

QuoteResult QuoteTransport::failureReason(int code) const
{
    const auto reason = [](const char *text) { return QuoteResult::unpriced(QString::fromLatin1(text)); };
    switch (code) {
    case CURLE_COULDNT_RESOLVE_HOST:
        return reason("host not found");
    case CURLE_COULDNT_RESOLVE_PROXY:
    case CURLE_PROXY:
        return reason("proxy failed");
    case CURLE_COULDNT_CONNECT: {
        if (m_proxied)
            return reason("proxy failed");
        long osError = 0;
        curl_easy_getinfo(m_easy, CURLINFO_OS_ERRNO, &osError);
        return osError == ENETUNREACH || osError == EHOSTUNREACH ? reason("network unavailable")
                                                                 : reason("connection refused");
    }
    case CURLE_OPERATION_TIMEDOUT:
        return reason("timed out");
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CACERT_BADFILE:
        return reason("certificate not trusted");
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
    case CURLE_SSL_INVALIDCERTSTATUS:
        return reason("secure connection failed");
    case CURLE_TOO_MANY_REDIRECTS:
        return reason("redirect refused");
    // Only a redirect can lead to a scheme other than https.
    case CURLE_UNSUPPORTED_PROTOCOL:
        return m_transfer->lastStatus >= 300 && m_transfer->lastStatus < 400 ? reason("redirect refused")
                                                                             : reason("download failed");
    case CURLE_PARTIAL_FILE:
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR:
    case CURLE_GOT_NOTHING:
        return reason("connection closed");
    case CURLE_BAD_CONTENT_ENCODING:
        return reason("page could not be unpacked");
    // curl refuses a single header line longer than it can hold.
    case CURLE_OUT_OF_MEMORY:
        return m_transfer->bodyStarted ? reason("download failed") : reason("page too large");
    default:
        return reason("download failed");
    }
}
