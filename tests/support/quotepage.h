#pragma once

#include <QByteArray>

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
    };
    enum class Filler {
        Lines,    // short HTML lines
        Unbroken, // one line without any line break
    };

    QByteArray status = "200 OK";
    QByteArray extraHeaders; // header lines, each ending in "\r\n"
    QByteArray body;
    qint64 fillerBytes = 0;
    Filler filler = Filler::Lines;
    Delivery delivery = Delivery::Whole;

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
};
