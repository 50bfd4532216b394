#pragma once

#include "pagetransport.h"

#include <QByteArray>

#include <chrono>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

typedef void CURLM;

// Fetches pages with one libcurl multi handle for the whole process: every
// transfer runs on the thread that calls run(), queued per host (HostQueues),
// over connections kept alive between transfers and shared by every source.
// Each transfer carries its own settings: every limit of TransferLimits holds
// per transfer, and each set of trusted files is read on its first one.
class CurlTransport final : public PageTransport
{
public:
    // Once a reader has enough, the rest of a page is read and dropped so
    // that its connection can serve the next transfer, as long as the page
    // stays within this size (unpacked) and arrives within kMaxDrainTime; a
    // page that does not ends its connection.
    static constexpr qint64 kMaxReusedPageBytes = 256 * 1024;
    static constexpr std::chrono::milliseconds kMaxDrainTime{500};

    CurlTransport();
    ~CurlTransport() override;
    CurlTransport(const CurlTransport &) = delete;
    CurlTransport &operator=(const CurlTransport &) = delete;

    void submit(quint64 id, TransferRequest request) override;
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
    const QByteArray &trustedPem(const TransferSettings &settings);
    bool redirectMayFollow(Transfer &transfer);
    void followElsewhere(Transfer &transfer);
    void readMessages();
    void checkTimes(Clock::time_point now);
    int waitMilliseconds(Clock::time_point now) const;
    void report(Transfer &transfer, PageFacts facts);
    void end(Transfer &transfer);
    void dropEnded();
    PageFacts outcome(Transfer &transfer, int code) const;
    QuoteFailure failureFor(const Transfer &transfer, int code) const;

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
    HostQueues m_queues;
    std::map<QString, QByteArray> m_trustedPem; // by the files and folders named
};
