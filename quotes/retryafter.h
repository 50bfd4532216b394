#pragma once

#include <QByteArrayView>
#include <QDateTime>

#include <chrono>
#include <optional>

// How long a busy site asked to be left alone, from its Retry-After value:
// whole seconds, or an HTTP date (a date already past is no wait at all).
// Nothing for a value that is neither.
std::optional<std::chrono::seconds> retryAfterDelay(QByteArrayView value, const QDateTime &now);
