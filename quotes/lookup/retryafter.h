#pragma once

#include <QByteArrayView>
#include "quoteresult.h"

#include <QDateTime>

#include <chrono>
#include <optional>

// How long a busy site asked to be left alone, from its Retry-After value:
// whole seconds, or an HTTP date (a date already past is no wait at all).
// Nothing for a value that is neither.
std::optional<std::chrono::seconds> retryAfterDelay(QByteArrayView value, const QDateTime &now);

// A busy site is asked once more only when it asks for no longer than this.
inline constexpr std::chrono::seconds kMaxRetryAfter{10};

// How long to wait before asking a busy site again: a "rate limited" result
// whose Retry-After asks for at most kMaxRetryAfter, when the wait still
// leaves time within `overall` after `spent` so far. Nothing otherwise.
std::optional<std::chrono::seconds> retryWait(const QuoteResult &result, QByteArrayView retryAfter,
                                              const QDateTime &now, std::chrono::milliseconds spent,
                                              std::chrono::milliseconds overall);
