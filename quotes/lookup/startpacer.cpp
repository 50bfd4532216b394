#include "startpacer.h"

#include <algorithm>

using namespace std::chrono;

StartPacer::StartPacer(int perMinute)
    : m_interval(perMinute > 0 ? duration_cast<milliseconds>(minutes(1)) / perMinute : milliseconds(0))
{
}

StartPacer::Clock::time_point StartPacer::book(Clock::time_point now)
{
    if (m_interval == milliseconds(0))
        return now;
    const Clock::time_point start = m_last ? std::max(now, *m_last + m_interval) : now;
    m_last = start;
    return start;
}
