#pragma once

#include <QByteArray>

#include <chrono>

// One response of the loopback quote server: a status, a body and, for
// large-page tests, filler streamed after the body. Hostile responses are
// described here too, so one server can misbehave for one symbol and serve
// the others well.
struct QuotePage {
    enum class Delivery {
        Whole,         // the head, the body, then any filler
        Silent,        // reads the request and never answers
        HeadThenStall, // sends the head, then nothing more
        ResetMidBody,  // sends the head and the body's first lines, then resets the connection
        Drip,          // sends the head, then the body one byte every dripInterval
        CutMidBody,    // sends the head and the body up to cutAt, then closes TLS and TCP
        UntilClose,    // HTTP/1.0 without a length: the body, then closes TLS and TCP
        CutByTcpClose, // HTTP/1.0 without a length: the body up to cutAt, then closes TCP only
        PriceLineThenStall, // sends the head and the body's first five lines, then nothing more
        HeadCutThenClose,   // sends the head up to cutAt, then closes TLS and TCP
        HeadCutByTcpClose,  // sends the head up to cutAt, then closes TCP only
    };
    enum class Filler {
        Lines,        // short HTML lines
        Unbroken,     // one line without any line break
        HeaderLine,   // in the head: one header line that never ends
        SmallHeaders, // in the head: short header lines that never end
    };

    QByteArray status = "200 OK";
    QByteArray interim;      // whole interim (1xx) responses sent before the response
    QByteArray extraHeaders; // header lines, each ending in "\r\n"
    QByteArray body;
    qint64 fillerBytes = 0;
    Filler filler = Filler::Lines;
    Delivery delivery = Delivery::Whole;
    std::chrono::milliseconds delay{0};        // held back this long, besides the server's delay
    std::chrono::milliseconds dripInterval{0}; // for Delivery::Drip
    qsizetype cutAt = 0;                       // for the Cut deliveries: into the body, or the head

    // The status line and headers as sent, up to and including the blank
    // line (not for the head fillers, whose head never ends).
    QByteArray head() const;
    bool fillsHead() const { return filler == Filler::HeaderLine || filler == Filler::SmallHeaders; }

    // A page shaped like a real quote page: the price follows the second
    // price marker on the fifth line.
    static QuotePage withPrice(const QByteArray &symbol, const QByteArray &priceText);
    static QuotePage notFound();
    // "302 Found" pointing at `location` (a path on the same site, or a URL).
    static QuotePage redirectTo(const QByteArray &location);
    // A gzip-encoded body that unpacks to `megabytes` MiB of zero bytes, with
    // no line break anywhere.
    static QuotePage gzipOfZeros(int megabytes);
    // Four ordinary lines, then a fifth line that starts with `start` and goes
    // on without a line break for `bytes` more.
    static QuotePage endlessFifthLine(const QByteArray &start, qint64 bytes);
    // A first line that goes on without a line break for `bytes`.
    static QuotePage endlessFirstLine(qint64 bytes);
    // A head that goes on for `bytes`: one header line, or many short ones.
    static QuotePage endlessHead(Filler filler, qint64 bytes);
    // A quote page whose fifth line holds the price after the second marker
    // at `priceAt` bytes into the line, then `lineBytes` in all (and "\n").
    static QuotePage priceAtOffset(const QByteArray &priceText, qsizetype priceAt, qsizetype lineBytes);
};
