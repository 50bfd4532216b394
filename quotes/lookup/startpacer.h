#pragma once

#include <chrono>
#include <optional>

// Spaces the starts of a source's requests evenly, so that at most
// `perMinute` start in any minute: a start booked at `now` may happen at
// the time book() gives, one interval after the one booked before it.
class StartPacer
{
public:
    using Clock = std::chrono::steady_clock;

    // 0: no limit, every start at once.
    explicit StartPacer(int perMinute);

    Clock::time_point book(Clock::time_point now);

private:
    std::chrono::milliseconds m_interval{0};
    std::optional<Clock::time_point> m_last;
};
