#pragma once

#include "pagereader.h"
#include "quotesitesettings.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QtGlobal>

#include <chrono>
#include <functional>
#include <memory>

// Fetches pages over HTTPS, many at a time. It lives in a module of its own
// that is loaded on the first lookup, so that a start of the program that
// looks up nothing loads no HTTP or TLS library. It only fetches: the bytes
// go to each transfer's reader and the facts to `done`; it never prices.
class PageTransport
{
public:
    // Called on the transport's thread once for every transfer that was not
    // cancelled, as soon as its outcome is known (a page that read enough
    // may still be draining its connection then).
    using Done = std::function<void(quint64 id, PageReader &reader, const PageFacts &facts)>;

    virtual ~PageTransport() = default;

    // Safe from any thread. The transfer waits while kMaxConnectionsPerHost
    // transfers to its host are running; `budget` is the time it may take
    // from when it starts, redirects included. `headers` are sent as they
    // are ("Name: value"); a transfer with a line break in one is refused.
    virtual void submit(quint64 id, const QByteArray &url, const QByteArrayList &headers,
                        std::shared_ptr<PageReader> reader, std::chrono::milliseconds budget) = 0;
    // Safe from any thread: the transfer ends within moments, unreported.
    virtual void cancel(quint64 id) = 0;
    // Safe from any thread: every transfer ends and run() returns.
    virtual void shutDown() = 0;

    // Runs the transfers on the calling thread until shutDown().
    virtual void run(const Done &done) = 0;
};

// The module's one entry point: a new transport for `settings`, owned by the
// caller.
using CreatePageTransport = PageTransport *(*)(const QuoteSiteSettings &settings);
inline constexpr char kCreatePageTransportSymbol[] = "fundtallyCreatePageTransport";
