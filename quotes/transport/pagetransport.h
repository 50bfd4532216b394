#pragma once

#include "hostqueues.h"
#include "pagereader.h"
#include "transfersettings.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QtGlobal>

#include <chrono>
#include <functional>
#include <memory>

// One page to fetch, and how.
struct TransferRequest {
    QByteArray url; // encoded
    // Sent as they are ("Name: value"), to the address's own scheme, host
    // and port only: a redirect elsewhere is followed without them, or
    // refused when they hold an API key.
    QByteArrayList headers;
    bool headersHoldKey = false;
    std::shared_ptr<PageReader> reader;
    // The time it may take from when it starts, redirects included.
    std::chrono::milliseconds budget{0};
    std::shared_ptr<const TransferSettings> settings; // trust, proxy and limits
    // The queue it waits in within its host (a quote source), and how many of
    // that queue may run at once; the host's own limit holds whatever this is.
    quint64 share = 0;
    int shareLimit = HostQueues::kMaxConnectionsPerHost;
};

// Fetches pages over HTTPS, many at a time, for the whole process. It lives
// in a module of its own that is loaded on the first lookup, so that a start
// of the program that looks up nothing loads no HTTP or TLS library. It only
// fetches: the bytes go to each transfer's reader and the facts to `done`;
// it never prices.
class PageTransport
{
public:
    // Called on the transport's thread once for every transfer that was not
    // cancelled, as soon as its outcome is known (a page that read enough
    // may still be draining its connection then).
    using Done = std::function<void(quint64 id, PageReader &reader, const PageFacts &facts)>;

    virtual ~PageTransport() = default;

    // Safe from any thread. The transfer waits while its host or its share
    // is at its limit (HostQueues). A transfer with a line break in a header
    // is refused.
    virtual void submit(quint64 id, TransferRequest request) = 0;
    // Safe from any thread: the transfer ends within moments, unreported.
    virtual void cancel(quint64 id) = 0;
    // Safe from any thread: every transfer ends and run() returns.
    virtual void shutDown() = 0;

    // Runs the transfers on the calling thread until shutDown().
    virtual void run(const Done &done) = 0;
};

// The module's one entry point: a new transport, owned by the caller.
using CreatePageTransport = PageTransport *(*)();
inline constexpr char kCreatePageTransportSymbol[] = "fundtallyCreatePageTransport";
