#pragma once

#include "pricelinereader.h"
#include "quotelookup.h"

#include <QList>
#include <QNetworkReply>
#include <QPointer>
#include <QSslError>

// Prices a symbol from its quote page as the reply arrives: reads the body
// only up to its fifth line, then drops the transfer.
class NetworkQuoteLookup : public QuoteLookup
{
    Q_OBJECT

public:
    // Longest page line kept; the rest of a longer line is skipped.
    static constexpr qsizetype kMaxLineBytes = PriceLineReader::kMaxLineBytes;
    // Most of a page read without reaching its price line; a site that keeps
    // sending never trips the transfer time-out, so this ends the lookup.
    static constexpr qint64 kMaxPageBytes = 8 * 1024 * 1024;

    NetworkQuoteLookup(const QString &symbol, QNetworkReply *reply, QObject *parent);
    ~NetworkQuoteLookup() override;

    void abort() override;

private:
    void readLines();
    void onReplyFinished();
    void onReplyError(QNetworkReply::NetworkError error);
    bool isErrorPage(QNetworkReply::NetworkError error) const;
    void onSslErrors(const QList<QSslError> &errors);
    void onReplyDestroyed();
    QString failureReason(QNetworkReply::NetworkError error) const;
    void settle(const QuoteResult &result);
    void releaseReply();

    QPointer<QNetworkReply> m_reply;
    PriceLineReader m_lineReader;
    qint64 m_bytesRead = 0;
    bool m_certificateRejected = false;
};
