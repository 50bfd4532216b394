#pragma once

#include "pagetransport.h"

#include <QByteArray>

#include <chrono>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

typedef void CURLM;

// Fetches pages with one libcurl multi handle: every transfer runs on the
// thread that calls run(), at most maxConnectionsPerHost to one host at a
// time, over connections kept alive between transfers. Every limit of
// QuoteTransferLimits holds per transfer. Trust is read on the first one.
class QuoteTransport final : public PageTransport
{
public:
    // Once a reader has enough, the rest of a page is read and dropped so
    // that its connection can serve the next transfer, as long as the page
    // stays within this size (unpacked) and arrives within kMaxDrainTime; a
    // page that does not ends its connection.
    static constexpr qint64 kMaxReusedPageBytes = 256 * 1024;
    static constexpr std::chrono::milliseconds kMaxDrainTime{500};

    explicit QuoteTransport(QuoteSiteSettings settings);
    ~QuoteTransport() override;
    QuoteTransport(const QuoteTransport &) = delete;
    QuoteTransport &operator=(const QuoteTransport &) = delete;

    void submit(quint64 id, const QByteArray &url, const QByteArrayList &headers,
                std::shared_ptr<PageReader> reader, std::chrono::milliseconds budget) override;
    void cancel(quint64 id) override;
    void shutDown() override;
    void run(const Done &done) override;

    // curl could set up its multi handle; a transport that cannot is not used.
    bool isUsable() const { return m_multi != nullptr; }

private:
    struct Transfer;
    struct CurlGlobal;
    using Clock = std::chrono::steady_clock;

    static size_t onHeader(char *data, size_t size, size_t count, void *transfer);
    static size_t onBody(char *data, size_t size, size_t count, void *transfer);
    static int onProgress(void *transfer, qint64, qint64, qint64, qint64);
    size_t takeHeader(Transfer &transfer, QByteArrayView line);
    size_t takeBody(Transfer &transfer, QByteArrayView piece);
    bool shouldStopDraining(const Transfer &transfer) const;

    bool takeCommands();
    void startWaiting();
    bool start(Transfer &transfer);
    void configure(Transfer &transfer);
    void applyProxy(Transfer &transfer);
    void readMessages();
    void checkTimes(Clock::time_point now);
    int waitMilliseconds(Clock::time_point now) const;
    void report(Transfer &transfer, PageFacts facts);
    void end(Transfer &transfer);
    void dropEnded();
    PageFacts outcome(Transfer &transfer, int code) const;
    QuoteFailure failureFor(const Transfer &transfer, int code) const;

    QuoteSiteSettings m_settings;
    std::unique_ptr<CurlGlobal> m_global;
    CURLM *m_multi = nullptr;

    // Handed over by other threads.
    std::mutex m_mutex;
    std::vector<std::unique_ptr<Transfer>> m_submitted;
    std::vector<quint64> m_cancelled;
    bool m_shutDown = false;

    // The run's own.
    const Done *m_done = nullptr;
    std::deque<std::unique_ptr<Transfer>> m_waiting;
    std::vector<std::unique_ptr<Transfer>> m_running;
    std::unordered_map<std::string, int> m_runningPerHost;
    QByteArray m_trustedPem;
    bool m_trustRead = false;
};
