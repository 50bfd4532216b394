#pragma once

#include <QString>

// The outcome of pricing one symbol. A lookup never fails with an exception:
// every failure is an unpriced result with a short reason for the user.
struct QuoteResult {
    double price = 0.0;   // 0.0 whenever not priced
    bool priced = false;  // true when a price was found (cash symbols: true, 1.0)
    QString reason;       // empty when priced, else a short user-facing reason

    static QuoteResult withPrice(double price) { return {price, true, {}}; }
    static QuoteResult unpriced(const QString &reason) { return {0.0, false, reason}; }
    // The lookup was ended before it had a price.
    static QuoteResult stopped() { return unpriced(QStringLiteral("stopped")); }
    static QuoteResult noPriceOnPage() { return unpriced(QStringLiteral("no price on page")); }
    static QuoteResult noQuoteSite() { return unpriced(QStringLiteral("no quote site configured")); }
};
