#include "retryafter.h"

#include <QLocale>
#include <QString>
#include <QTimeZone>

#include <algorithm>

namespace {

// More than a day is as good as never; the cap keeps the arithmetic small.
constexpr qint64 kLongestDelaySeconds = 24 * 60 * 60;

std::optional<std::chrono::seconds> secondsValue(QByteArrayView value)
{
    qint64 seconds = 0;
    for (const char c : value) {
        if (c < '0' || c > '9')
            return std::nullopt;
        seconds = std::min(seconds * 10 + (c - '0'), kLongestDelaySeconds + 1);
    }
    return std::chrono::seconds(seconds);
}

// The date form HTTP sends ("Sun, 06 Nov 1994 08:49:37 GMT"), else the
// RFC 2822 form it grew from ("06 Nov 1994 08:49:37 +0000").
QDateTime httpDate(const QString &text)
{
    QDateTime when = QLocale::c().toDateTime(text, QStringLiteral("ddd, dd MMM yyyy HH:mm:ss 'GMT'"));
    if (when.isValid()) {
        when.setTimeZone(QTimeZone::utc());
        return when;
    }
    return QDateTime::fromString(text, Qt::RFC2822Date);
}

} // namespace

std::optional<std::chrono::seconds> retryAfterDelay(QByteArrayView value, const QDateTime &now)
{
    const QByteArrayView text = value.trimmed();
    if (text.isEmpty())
        return std::nullopt;
    if (const std::optional<std::chrono::seconds> seconds = secondsValue(text))
        return seconds;
    const QDateTime when = httpDate(QString::fromLatin1(text));
    if (!when.isValid())
        return std::nullopt;
    return std::chrono::seconds(std::clamp<qint64>(now.secsTo(when), 0, kLongestDelaySeconds + 1));
}

std::optional<std::chrono::seconds> retryWait(const QuoteResult &result, QByteArrayView retryAfter,
                                              const QDateTime &now, std::chrono::milliseconds spent,
                                              std::chrono::milliseconds overall)
{
    if (result.failure != QuoteFailure::RateLimited)
        return std::nullopt;
    const std::optional<std::chrono::seconds> wait = retryAfterDelay(retryAfter, now);
    if (!wait || *wait > kMaxRetryAfter || spent + *wait >= overall)
        return std::nullopt;
    return wait;
}
