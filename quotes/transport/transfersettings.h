#pragma once

#include "quotepagereader.h"

#include <QString>
#include <QStringList>

#include <chrono>
#include <optional>

// How much a site may send and how long it may take, so that no site
// can hold a lookup or the memory it uses without bound. Tests shorten them.
struct TransferLimits {
    // Every response header line of a lookup counted together, redirects
    // and interim (1xx) responses included.
    static constexpr qint64 kMaxHeaderBytes = 64 * 1024;
    // Body bytes before the quote page's price line starts, and that line.
    static constexpr qint64 kMaxBytesBeforePriceLine = QuotePageReader::kMaxBytesBeforePriceLine;
    static constexpr qsizetype kMaxPriceLineBytes = QuotePageReader::kMaxPriceLineBytes;
    // The time limits count from when a transfer starts, not while it waits
    // its turn at its host (HostQueues).
    // A lookup that gets fewer than kMinBytesPerSecond over a whole stall
    // window (and at least one byte) is making no progress.
    static constexpr std::chrono::milliseconds kStallTimeout{20000};
    static constexpr int kMinBytesPerSecond = 1;
    // The whole lookup, connection and redirects included.
    static constexpr std::chrono::milliseconds kOverallTimeout{30000};
    static constexpr int kMaxRedirects = 5;

    qint64 maxHeaderBytes = kMaxHeaderBytes;
    qint64 maxBytesBeforePriceLine = kMaxBytesBeforePriceLine;
    qsizetype maxPriceLineBytes = kMaxPriceLineBytes;
    std::chrono::milliseconds stallTimeout = kStallTimeout;
    std::chrono::milliseconds overallTimeout = kOverallTimeout;
    int maxRedirects = kMaxRedirects;
};

// A proxy the settings name in place of the system's. A plain value, so that
// the window's side of the program needs nothing of Qt Network: only the
// transport, loaded on the first lookup, asks the system and talks to curl.
struct TransferProxy {
    enum class Kind { Direct, Http, Socks5 };
    Kind kind = Kind::Direct; // Direct: no proxy, whatever the environment says
    QString host;
    quint16 port = 0;
    QString user;
    QString password;
};

// How pages are fetched: trust, proxy and limits. A plain value: nothing
// here is read or opened until the first transfer needs it.
struct TransferSettings {
    QStringList trustedCertificateFiles;       // PEM files trusted besides the system store
    QStringList trustedCertificateDirectories; // every file in them is read as PEM
    std::optional<TransferProxy> proxy;           // unset = the system's proxy for each address
    TransferLimits limits;
};
