#include "curltransport.h"

#include "trustedcertificates.h"

#include <QNetworkProxy>
#include <QNetworkProxyFactory>
#include <QStringList>
#include <QUrl>

#include <curl/curl.h>
#include <openssl/ssl.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <optional>

namespace {

using Clock = std::chrono::steady_clock;

constexpr char kUserAgent[] = "Fundtally/1.0";
// Encodings unpacked with a small, fixed window. Others (brotli, zstd) let
// a page demand a window of many megabytes, so they are refused.
constexpr char kAcceptedEncodings[] = "gzip, deflate";
const QStringList kKnownEncodings{QStringLiteral("gzip"), QStringLiteral("x-gzip"),
                                  QStringLiteral("deflate"), QStringLiteral("identity")};

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

QByteArray proxyAddress(const TransferProxy &proxy)
{
    const QString scheme = proxy.kind == TransferProxy::Kind::Socks5 ? QStringLiteral("socks5h")
                                                                  : QStringLiteral("http");
    const QString host = proxy.host.contains(u':') ? u'[' + proxy.host + u']' : proxy.host;
    return (scheme + QStringLiteral("://") + host + u':' + QString::number(proxy.port)).toUtf8();
}

// The settings' proxy, else the system's for this address; none known leaves
// curl to the standard proxy variables.
std::optional<TransferProxy> proxyFor(const TransferSettings &settings, const QUrl &url)
{
    if (settings.proxy)
        return settings.proxy;
    const QNetworkProxy system = QNetworkProxyFactory::systemProxyForQuery(QNetworkProxyQuery(url))
                                     .value(0, QNetworkProxy(QNetworkProxy::DefaultProxy));
    const auto named = [&system](TransferProxy::Kind kind) {
        return TransferProxy{kind, system.hostName(), system.port(), system.user(), system.password()};
    };
    switch (system.type()) {
    case QNetworkProxy::NoProxy:
        return TransferProxy{};
    case QNetworkProxy::HttpProxy:
    case QNetworkProxy::HttpCachingProxy:
        return named(TransferProxy::Kind::Http);
    case QNetworkProxy::Socks5Proxy:
        return named(TransferProxy::Kind::Socks5);
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
// curl makes a TLS context for each connection, and a connection serves one
// transfer after another, so the flag lives with the context and each
// transfer looks up the one of the connection its answer came on.
using CloseAlertFlag = std::shared_ptr<std::atomic<bool>>;

void freeCloseAlertFlag(void *, void *flag, CRYPTO_EX_DATA *, int, long, void *)
{
    delete static_cast<CloseAlertFlag *>(flag);
}

int closeAlertFlagIndex()
{
    static const int index = SSL_CTX_get_ex_new_index(0, nullptr, nullptr, nullptr, &freeCloseAlertFlag);
    return index;
}

CloseAlertFlag *closeAlertFlagOf(const SSL_CTX *context)
{
    return static_cast<CloseAlertFlag *>(SSL_CTX_get_ex_data(context, closeAlertFlagIndex()));
}

void noteCloseAlert(const SSL *tls, int where, int alert)
{
    if ((where & SSL_CB_READ_ALERT) != SSL_CB_READ_ALERT || (alert & 0xff) != SSL_AD_CLOSE_NOTIFY)
        return;
    if (CloseAlertFlag *flag = closeAlertFlagOf(SSL_get_SSL_CTX(tls)))
        **flag = true;
}

CURLcode watchCloseAlert(CURL *, void *tlsContext, void *)
{
    auto *context = static_cast<SSL_CTX *>(tlsContext);
    SSL_CTX_set_ex_data(context, closeAlertFlagIndex(),
                        new CloseAlertFlag(std::make_shared<std::atomic<bool>>(false)));
    SSL_CTX_set_info_callback(context, &noteCloseAlert);
    return CURLE_OK;
}

// The flag of the connection `easy` is on now; none without TLS.
CloseAlertFlag connectionCloseAlert(CURL *easy)
{
    const curl_tlssessioninfo *session = nullptr;
    if (curl_easy_getinfo(easy, CURLINFO_TLS_SSL_PTR, &session) != CURLE_OK || !session
        || session->backend != CURLSSLBACKEND_OPENSSL || !session->internals)
        return {};
    const CloseAlertFlag *flag = closeAlertFlagOf(SSL_get_SSL_CTX(static_cast<SSL *>(session->internals)));
    return flag ? *flag : CloseAlertFlag{};
}

// A header line that could end early and add lines of its own, or be cut
// short where curl takes it for a C string.
bool isUnsafeHeader(const QByteArray &header)
{
    return header.contains('\r') || header.contains('\n') || header.contains('\0');
}

bool isFollowedRedirect(long status)
{
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

} // namespace

struct CurlTransport::CurlGlobal {
    CurlGlobal() { curl_global_init(CURL_GLOBAL_DEFAULT); }
    ~CurlGlobal() { curl_global_cleanup(); }
    CurlGlobal(const CurlGlobal &) = delete;
    CurlGlobal &operator=(const CurlGlobal &) = delete;
};

// One transfer and what it has seen so far.
struct CurlTransport::Transfer {
    Transfer(CurlTransport &transport, quint64 transferId, TransferRequest request)
        : owner(transport)
        , id(transferId)
        , url(std::move(request.url))
        , headers(std::move(request.headers))
        , headersHoldKey(request.headersHoldKey)
        , origin(originOf(url))
        , reader(std::move(request.reader))
        , budget(request.budget)
        , settings(request.settings ? std::move(request.settings) : std::make_shared<const TransferSettings>())
        , share(request.share)
        , shareLimit(request.shareLimit)
    {
    }
    const TransferLimits &limits() const { return settings->limits; }
    ~Transfer()
    {
        if (easy)
            curl_easy_cleanup(easy);
        curl_slist_free_all(headerList);
    }
    Transfer(const Transfer &) = delete;
    Transfer &operator=(const Transfer &) = delete;

    CurlTransport &owner;
    const quint64 id;
    QByteArray url;          // where it goes now: another origin after a redirect
    QByteArrayList headers;  // dropped when a redirect leaves the origin
    const bool headersHoldKey;
    const Origin origin;     // where it started, for the per-host queues
    const std::shared_ptr<PageReader> reader;
    const std::chrono::milliseconds budget;
    const std::shared_ptr<const TransferSettings> settings;
    const quint64 share;
    const int shareLimit;
    CURL *easy = nullptr;
    curl_slist *headerList = nullptr; // the headers as curl sends them, alive while it does

    qint64 headerBytes = 0;
    qint64 bodyBytes = 0;        // unpacked
    qint64 progressBytes = 0;    // headers and body
    long lastStatus = 0;         // of the latest status line, interim ones included
    long status = 0;             // of the response whose body is read
    bool lengthDeclared = false; // by the latest response: else its body ends with the connection
    bool headersEnded = false;   // the latest response's header block was read to its end
    bool bodyStarted = false;
    bool proxied = false;
    QByteArray retryAfter;
    QByteArray location;         // of the latest response
    QByteArray redirectTo;       // another origin, to be asked without the headers
    int redirectsBefore = 0;     // followed by earlier handles of this transfer
    CloseAlertFlag closeAlert;   // of the connection the latest response came on
    std::optional<QuoteFailure> failure; // why this program stopped the transfer
    bool reported = false;       // done() has had its outcome; what is left is draining
    Clock::time_point started;
    Clock::time_point deadline;
    Clock::time_point drainDeadline;
    Clock::time_point checkpoint; // the last time enough bytes had arrived
    qint64 checkpointBytes = 0;
};

CurlTransport::CurlTransport()
    : m_global(std::make_unique<CurlGlobal>())
    , m_multi(curl_multi_init())
{
    // The transfers are queued per host here, so that their time limits
    // count from when they start; curl is told the same limit.
    if (m_multi) {
        curl_multi_setopt(m_multi, CURLMOPT_MAX_HOST_CONNECTIONS,
                          long(HostQueues::kMaxConnectionsPerHost));
    }
}

CurlTransport::~CurlTransport()
{
    for (std::unique_ptr<Transfer> &transfer : m_running)
        curl_multi_remove_handle(m_multi, transfer->easy);
    m_running.clear();
    if (m_multi)
        curl_multi_cleanup(m_multi);
}

void CurlTransport::submit(quint64 id, TransferRequest request)
{
    const std::lock_guard lock(m_mutex);
    m_submitted.push_back(std::make_unique<Transfer>(*this, id, std::move(request)));
    curl_multi_wakeup(m_multi);
}

void CurlTransport::cancel(quint64 id)
{
    const std::lock_guard lock(m_mutex);
    m_cancelled.push_back(id);
    curl_multi_wakeup(m_multi);
}

void CurlTransport::shutDown()
{
    const std::lock_guard lock(m_mutex);
    m_shutDown = true;
    curl_multi_wakeup(m_multi);
}

void CurlTransport::run(const Done &done)
{
    m_done = &done;
    while (takeCommands()) {
        startWaiting();
        int running = 0;
        curl_multi_perform(m_multi, &running);
        readMessages();
        const Clock::time_point now = Clock::now();
        checkTimes(now);
        // Slots freed just now go to the next in line before the wait; curl
        // wakes at once for a transfer it was just given.
        startWaiting();
        curl_multi_poll(m_multi, nullptr, 0, waitMilliseconds(now), nullptr);
    }
    for (std::unique_ptr<Transfer> &transfer : m_running)
        curl_multi_remove_handle(m_multi, transfer->easy);
    m_running.clear();
    m_waiting.clear();
    m_done = nullptr;
}

// Takes what other threads handed over; false once shut down.
bool CurlTransport::takeCommands()
{
    std::vector<quint64> cancelled;
    {
        const std::lock_guard lock(m_mutex);
        if (m_shutDown)
            return false;
        for (std::unique_ptr<Transfer> &transfer : m_submitted)
            m_waiting.push_back(std::move(transfer));
        m_submitted.clear();
        cancelled.swap(m_cancelled);
    }
    for (const quint64 id : cancelled) {
        const auto matches = [id](const std::unique_ptr<Transfer> &transfer) { return transfer->id == id; };
        std::erase_if(m_waiting, matches);
        const auto running = std::find_if(m_running.begin(), m_running.end(), matches);
        if (running != m_running.end())
            end(**running);
    }
    dropEnded();
    return true;
}

// Starts waiting transfers, oldest first, as far as their hosts allow.
void CurlTransport::startWaiting()
{
    for (auto it = m_waiting.begin(); it != m_waiting.end();) {
        Transfer &transfer = **it;
        if (!m_queues.mayStart(transfer.origin, transfer.share, transfer.shareLimit)) {
            ++it;
            continue;
        }
        std::unique_ptr<Transfer> started = std::move(*it);
        it = m_waiting.erase(it);
        if (std::any_of(started->headers.begin(), started->headers.end(), isUnsafeHeader)) {
            report(*started, PageFacts{QuoteFailure::AddressNotValid, 0, {}});
        } else if (start(*started)) {
            m_queues.started(started->origin, started->share);
            m_running.push_back(std::move(started));
        } else {
            report(*started, PageFacts{QuoteFailure::DownloadFailed, 0, {}});
        }
    }
}

bool CurlTransport::start(Transfer &transfer)
{
    transfer.easy = curl_easy_init();
    if (!transfer.easy)
        return false;
    configure(transfer);
    transfer.started = Clock::now();
    transfer.deadline = transfer.started + std::min(transfer.budget, transfer.limits().overallTimeout);
    transfer.checkpoint = transfer.started;
    if (curl_multi_add_handle(m_multi, transfer.easy) != CURLM_OK) {
        curl_easy_cleanup(transfer.easy);
        transfer.easy = nullptr;
        return false;
    }
    return true;
}

void CurlTransport::configure(Transfer &transfer)
{
    CURL *const easy = transfer.easy;
    const TransferLimits &limits = transfer.limits();
    curl_easy_setopt(easy, CURLOPT_URL, transfer.url.constData());
    curl_easy_setopt(easy, CURLOPT_PRIVATE, &transfer);
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "https");
    curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "https");
    curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, long(CURL_HTTP_VERSION_1_1));
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(easy, CURLOPT_MAXREDIRS, long(limits.maxRedirects - transfer.redirectsBefore));
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 2L);
    curl_easy_setopt(easy, CURLOPT_ACCEPT_ENCODING, kAcceptedEncodings);
    curl_easy_setopt(easy, CURLOPT_USERAGENT, kUserAgent);
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    // A transfer cancelled while a name is being resolved does not wait for
    // the resolver.
    curl_easy_setopt(easy, CURLOPT_QUICK_EXIT, 1L);
    // A backstop: the run ends the transfer at the same time itself.
    curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS, long(limits.overallTimeout.count()));
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &CurlTransport::onHeader);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, &transfer);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &CurlTransport::onBody);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(easy, CURLOPT_SSL_CTX_FUNCTION, &watchCloseAlert);
    for (const QByteArray &header : transfer.headers)
        transfer.headerList = curl_slist_append(transfer.headerList, header.constData());
    if (transfer.headerList)
        curl_easy_setopt(easy, CURLOPT_HTTPHEADER, transfer.headerList);

    // The system store stays curl's default; these are trusted besides it.
    // Each set of files is read once, on its first transfer.
    const QByteArray &trusted = trustedPem(*transfer.settings);
    if (!trusted.isEmpty()) {
        curl_blob blob{const_cast<char *>(trusted.constData()), static_cast<size_t>(trusted.size()),
                       CURL_BLOB_COPY};
        curl_easy_setopt(easy, CURLOPT_CAINFO_BLOB, &blob);
    }
    applyProxy(transfer);
}

void CurlTransport::applyProxy(Transfer &transfer)
{
    CURL *const easy = transfer.easy;
    const std::optional<TransferProxy> proxy = proxyFor(*transfer.settings, QUrl::fromEncoded(transfer.url));
    transfer.proxied = proxy && proxy->kind != TransferProxy::Kind::Direct;
    if (!proxy) {
        curl_easy_setopt(easy, CURLOPT_PROXY, nullptr);
    } else if (!transfer.proxied) {
        curl_easy_setopt(easy, CURLOPT_PROXY, ""); // none, whatever the variables say
    } else {
        curl_easy_setopt(easy, CURLOPT_PROXY, proxyAddress(*proxy).constData());
        curl_easy_setopt(easy, CURLOPT_PROXYUSERNAME, proxy->user.toUtf8().constData());
        curl_easy_setopt(easy, CURLOPT_PROXYPASSWORD, proxy->password.toUtf8().constData());
    }
}

// The certificates `settings` trust besides the system's, read on first use.
const QByteArray &CurlTransport::trustedPem(const TransferSettings &settings)
{
    const QString key = settings.trustedCertificateFiles.join(u'\n') + u'\0'
        + settings.trustedCertificateDirectories.join(u'\n');
    auto found = m_trustedPem.find(key);
    if (found == m_trustedPem.end()) {
        found = m_trustedPem.emplace(key, trustedCertificatePem(settings.trustedCertificateFiles,
                                                                 settings.trustedCertificateDirectories))
                    .first;
    }
    return found->second;
}

// At the end of a redirect's headers: a transfer with headers of its own
// sends them to its own origin only. A redirect elsewhere is asked anew
// without them once this handle ends (followElsewhere), or refused when
// they hold an API key. False stops the handle.
bool CurlTransport::redirectMayFollow(Transfer &transfer)
{
    if (transfer.headers.isEmpty() || !isFollowedRedirect(transfer.lastStatus) || transfer.location.isEmpty())
        return true;
    const char *current = nullptr;
    curl_easy_getinfo(transfer.easy, CURLINFO_EFFECTIVE_URL, &current);
    const QUrl target = QUrl::fromEncoded(current ? QByteArray(current) : transfer.url)
                            .resolved(QUrl::fromEncoded(transfer.location));
    const QByteArray targetUrl = target.toEncoded();
    if (originOf(targetUrl) == transfer.origin)
        return true;
    if (transfer.headersHoldKey)
        transfer.failure = QuoteFailure::RedirectRefused;
    else
        transfer.redirectTo = targetUrl;
    return false;
}

// Asks the redirect's target on a new handle, without the headers, within
// what is left of the transfer's time and redirects.
void CurlTransport::followElsewhere(Transfer &transfer)
{
    long followed = 0;
    curl_easy_getinfo(transfer.easy, CURLINFO_REDIRECT_COUNT, &followed);
    transfer.redirectsBefore += int(followed) + 1;
    curl_multi_remove_handle(m_multi, transfer.easy);
    curl_easy_cleanup(transfer.easy);
    transfer.easy = nullptr;
    curl_slist_free_all(std::exchange(transfer.headerList, nullptr));
    transfer.url = std::exchange(transfer.redirectTo, {});
    transfer.headers.clear();
    const auto started = transfer.started;
    const auto deadline = transfer.deadline;
    if (transfer.redirectsBefore > transfer.limits().maxRedirects || !start(transfer)) {
        m_queues.ended(transfer.origin, transfer.share);
        report(transfer, PageFacts{transfer.redirectsBefore > transfer.limits().maxRedirects
                                       ? QuoteFailure::RedirectRefused
                                       : QuoteFailure::DownloadFailed,
                                   0, {}});
        return;
    }
    transfer.started = started;
    transfer.deadline = deadline;
}

void CurlTransport::readMessages()
{
    int queued = 0;
    while (const CURLMsg *message = curl_multi_info_read(m_multi, &queued)) {
        if (message->msg != CURLMSG_DONE)
            continue;
        Transfer *transfer = nullptr;
        curl_easy_getinfo(message->easy_handle, CURLINFO_PRIVATE, &transfer);
        if (!transfer)
            continue;
        const int code = message->data.result;
        if (!transfer->redirectTo.isEmpty() && !transfer->failure && !transfer->reported) {
            followElsewhere(*transfer);
            continue;
        }
        if (!transfer->reported)
            report(*transfer, outcome(*transfer, code));
        end(*transfer);
    }
    dropEnded();
}

// Forgets the transfers end() has finished with.
void CurlTransport::dropEnded()
{
    std::erase_if(m_running, [](const std::unique_ptr<Transfer> &transfer) { return !transfer->easy; });
}

// Ends transfers that ran out of time: a stall, the whole budget, or the
// drain of a page whose price is already known.
void CurlTransport::checkTimes(Clock::time_point now)
{
    for (std::unique_ptr<Transfer> &running : m_running) {
        Transfer &transfer = *running;
        const TransferLimits &limits = transfer.limits();
        const qint64 minBytes = std::max<qint64>(
            1, limits.stallTimeout.count() * TransferLimits::kMinBytesPerSecond / 1000);
        if (transfer.reported) {
            if (now >= transfer.drainDeadline)
                end(transfer);
            continue;
        }
        if (transfer.progressBytes - transfer.checkpointBytes >= minBytes) {
            transfer.checkpoint = now;
            transfer.checkpointBytes = transfer.progressBytes;
        }
        if (now >= transfer.deadline || now - transfer.checkpoint >= limits.stallTimeout) {
            report(transfer, PageFacts{QuoteFailure::TimedOut, int(transfer.status), {}});
            end(transfer);
        }
    }
    dropEnded();
}

int CurlTransport::waitMilliseconds(Clock::time_point now) const
{
    // Idle, the run sleeps until woken by a submission, a cancellation or
    // the end; a second is only a backstop.
    Clock::time_point wakeAt = now + std::chrono::seconds(1);
    for (const std::unique_ptr<Transfer> &transfer : m_running) {
        if (transfer->reported) {
            wakeAt = std::min(wakeAt, transfer->drainDeadline);
        } else {
            wakeAt = std::min({wakeAt, transfer->deadline,
                               transfer->checkpoint + transfer->limits().stallTimeout});
        }
    }
    const auto wait = std::chrono::ceil<std::chrono::milliseconds>(wakeAt - now);
    return static_cast<int>(std::max<qint64>(wait.count(), 1));
}

void CurlTransport::report(Transfer &transfer, PageFacts facts)
{
    transfer.reported = true;
    facts.started = transfer.started;
    (*m_done)(transfer.id, *transfer.reader, facts);
}

// Removing a transfer that has not ended closes its connection.
void CurlTransport::end(Transfer &transfer)
{
    if (!transfer.easy)
        return;
    curl_multi_remove_handle(m_multi, transfer.easy);
    curl_easy_cleanup(transfer.easy);
    transfer.easy = nullptr;
    m_queues.ended(transfer.origin, transfer.share);
}

size_t CurlTransport::onHeader(char *data, size_t size, size_t count, void *transfer)
{
    auto &owned = *static_cast<Transfer *>(transfer);
    return owned.owner.takeHeader(owned, QByteArrayView(data, static_cast<qsizetype>(size * count)));
}

size_t CurlTransport::onBody(char *data, size_t size, size_t count, void *transfer)
{
    auto &owned = *static_cast<Transfer *>(transfer);
    return owned.owner.takeBody(owned, QByteArrayView(data, static_cast<qsizetype>(size * count)));
}

size_t CurlTransport::takeHeader(Transfer &transfer, QByteArrayView line)
{
    transfer.headerBytes += line.size();
    transfer.progressBytes += line.size();
    if (transfer.headerBytes > transfer.limits().maxHeaderBytes) {
        transfer.failure = QuoteFailure::PageTooLarge;
        return 0;
    }
    if (line.startsWith("HTTP/")) {
        transfer.lastStatus = statusOf(line);
        transfer.lengthDeclared = false;
        transfer.headersEnded = false;
        transfer.retryAfter.clear();
        transfer.location.clear();
        transfer.closeAlert = connectionCloseAlert(transfer.easy);
    } else if (line == "\r\n" || line == "\n") {
        transfer.headersEnded = true;
        if (!redirectMayFollow(transfer))
            return 0;
    } else if (hasName(line, "location")) {
        transfer.location = line.sliced(line.indexOf(':') + 1).trimmed().toByteArray();
    } else if (hasName(line, "content-length") || hasName(line, "transfer-encoding")) {
        transfer.lengthDeclared = true;
    } else if (hasName(line, "retry-after")) {
        transfer.retryAfter = line.sliced(line.indexOf(':') + 1).trimmed().toByteArray();
    } else if (hasName(line, "content-encoding") && hasUnknownEncoding(line)) {
        transfer.failure = QuoteFailure::PageNotUnpacked;
        return 0;
    }
    return static_cast<size_t>(line.size());
}

size_t CurlTransport::takeBody(Transfer &transfer, QByteArrayView piece)
{
    if (!transfer.bodyStarted) {
        transfer.bodyStarted = true;
        curl_easy_getinfo(transfer.easy, CURLINFO_RESPONSE_CODE, &transfer.status);
        // A switch to another protocol carries no page.
        if (transfer.status < 200) {
            transfer.failure = QuoteFailure::DownloadFailed;
            return CURL_WRITEFUNC_ERROR;
        }
    }
    transfer.progressBytes += piece.size();
    transfer.bodyBytes += piece.size();
    if (transfer.reported)
        return shouldStopDraining(transfer) ? CURL_WRITEFUNC_ERROR : static_cast<size_t>(piece.size());

    switch (transfer.reader->append(piece)) {
    case PageReader::Take::More:
        break;
    case PageReader::Take::TooLarge:
        transfer.failure = QuoteFailure::PageTooLarge;
        return CURL_WRITEFUNC_ERROR;
    case PageReader::Take::Enough:
        // The price is known: say so now, and let the rest of the page go by
        // so that its connection can serve another transfer.
        report(transfer, PageFacts{QuoteFailure::None, int(transfer.status), transfer.retryAfter});
        transfer.drainDeadline = Clock::now() + kMaxDrainTime;
        if (shouldStopDraining(transfer))
            return CURL_WRITEFUNC_ERROR;
        break;
    }
    return static_cast<size_t>(piece.size());
}

bool CurlTransport::shouldStopDraining(const Transfer &transfer) const
{
    curl_off_t length = -1;
    curl_easy_getinfo(transfer.easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
    return transfer.bodyBytes > kMaxReusedPageBytes || length > kMaxReusedPageBytes;
}

PageFacts CurlTransport::outcome(Transfer &transfer, int code) const
{
    long status = transfer.status;
    if (!transfer.bodyStarted)
        curl_easy_getinfo(transfer.easy, CURLINFO_RESPONSE_CODE, &status);
    PageFacts facts{QuoteFailure::None, int(status), transfer.retryAfter};
    if (transfer.failure)
        facts.failure = *transfer.failure;
    else if (code != CURLE_OK)
        facts.failure = failureFor(transfer, code);
    // A site that closed in the middle of its headers sent no page at all.
    else if (!transfer.headersEnded)
        facts.failure = QuoteFailure::ConnectionClosed;
    // A body that ends with its connection is whole only when the site said
    // so with the TLS close alert; a bare TCP close may have cut it anywhere.
    else if (!transfer.lengthDeclared && !(transfer.closeAlert && *transfer.closeAlert))
        facts.failure = QuoteFailure::ConnectionClosed;
    return facts;
}

QuoteFailure CurlTransport::failureFor(const Transfer &transfer, int code) const
{
    switch (code) {
    case CURLE_COULDNT_RESOLVE_HOST:
        return QuoteFailure::HostNotFound;
    case CURLE_COULDNT_RESOLVE_PROXY:
    case CURLE_PROXY:
        return QuoteFailure::ProxyFailed;
    case CURLE_COULDNT_CONNECT: {
        if (transfer.proxied)
            return QuoteFailure::ProxyFailed;
        long osError = 0;
        curl_easy_getinfo(transfer.easy, CURLINFO_OS_ERRNO, &osError);
        return osError == ENETUNREACH || osError == EHOSTUNREACH ? QuoteFailure::NetworkUnavailable
                                                                 : QuoteFailure::ConnectionRefused;
    }
    case CURLE_OPERATION_TIMEDOUT:
        return QuoteFailure::TimedOut;
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CACERT_BADFILE:
        return QuoteFailure::CertificateNotTrusted;
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
    case CURLE_SSL_INVALIDCERTSTATUS:
        return QuoteFailure::SecureConnectionFailed;
    case CURLE_TOO_MANY_REDIRECTS:
        return QuoteFailure::RedirectRefused;
    // Only a redirect can lead to a scheme other than https.
    case CURLE_UNSUPPORTED_PROTOCOL:
        return transfer.lastStatus >= 300 && transfer.lastStatus < 400 ? QuoteFailure::RedirectRefused
                                                                       : QuoteFailure::DownloadFailed;
    case CURLE_PARTIAL_FILE:
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR:
    case CURLE_GOT_NOTHING:
        return QuoteFailure::ConnectionClosed;
    case CURLE_BAD_CONTENT_ENCODING:
        return QuoteFailure::PageNotUnpacked;
    // curl refuses a single header line longer than it can hold.
    case CURLE_OUT_OF_MEMORY:
        return transfer.bodyStarted ? QuoteFailure::DownloadFailed : QuoteFailure::PageTooLarge;
    default:
        return QuoteFailure::DownloadFailed;
    }
}
