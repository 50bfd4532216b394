#pragma once

#include <QByteArray>

// One response of the loopback quote server: a status, a body and, for
// large-page tests, filler lines streamed after the body.
struct QuotePage {
    QByteArray status = "200 OK";
    QByteArray body;
    qint64 fillerBytes = 0;

    // A page shaped like a real quote page: the price follows the second
    // price marker on the fifth line.
    static QuotePage withPrice(const QByteArray &symbol, const QByteArray &priceText);
    static QuotePage notFound();
};
