#pragma once

#include "pricelinereader.h"
#include "quotefetcher.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QUrl>

#include <atomic>
#include <chrono>
#include <memory>
#include <optional>

typedef void CURL;
typedef void CURLM;

// Fetches quote pages with libcurl and prices them. One connection serves lookup after lookup while the
// site keeps it open; nothing else is kept between lookups. Every limit of
// QuoteTransferLimits is enforced here. Trust is read on the first fetch.
class QuoteTransport : public QuoteFetcher
{
public:
    // After the price, the rest of a page is read and dropped so that its
    // connection can serve the next lookup, as long as the page stays within
    // this size (unpacked) and arrives within kMaxDrainTime; a page that
    // does not ends its connection.
    static constexpr qint64 kMaxReusedPageBytes = 256 * 1024;
    static constexpr std::chrono::milliseconds kMaxDrainTime{500};

    explicit QuoteTransport(QuoteSiteSettings settings);
    ~QuoteTransport() override;
    QuoteTransport(const QuoteTransport &) = delete;
    QuoteTransport &operator=(const QuoteTransport &) = delete;

    QuoteResult fetch(const QUrl &url) override;
    void finishTransfer() override;
    void abort() override;
    void clearAbort() override;

private:
    struct Transfer;
    struct CurlGlobal;

    static size_t onHeader(char *data, size_t size, size_t count, void *transport);
    static size_t onBody(char *data, size_t size, size_t count, void *transport);
    static int onProgress(void *transport, qint64, qint64, qint64, qint64);
    size_t takeHeader(QByteArrayView line);
    size_t takeBody(QByteArrayView piece);
    bool shouldStopDraining() const;

    bool prepareHandle();
    void applyProxy(const QUrl &url);
    // Runs the transfer until it ends, the result is known, or `deadline`.
    enum class Progress { Running, Done, Stalled, Aborted };
    Progress run(std::chrono::steady_clock::time_point deadline, bool watchStall);
    std::chrono::milliseconds waitTime(std::chrono::steady_clock::time_point deadline, bool watchStall) const;
    QuoteResult outcome(int code) const;
    QuoteResult failureReason(int code) const;
    void endTransfer();

    QuoteSiteSettings m_settings;
    std::unique_ptr<CurlGlobal> m_global;
    CURLM *m_multi = nullptr;
    CURL *m_easy = nullptr;
    std::unique_ptr<Transfer> m_transfer;
    std::atomic<bool> m_abort{false};
    bool m_prepared = false;
    bool m_inMulti = false;
    bool m_proxied = false;
    bool m_closeAlertRead = false; // on the current transfer's connection; OpenSSL sets it
};
