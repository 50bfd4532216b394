#include "loopprobe.h"

#include <QFile>

#include <algorithm>

namespace {

qint64 statusFieldKiB(const QByteArray &field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> lines = status.readAll().split('\n');
    for (const QByteArray &line : lines) {
        if (line.startsWith(field + ':'))
            return line.mid(field.size() + 1).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

// Writing 5 to clear_refs sets the peak resident size back to the current one.
bool resetKernelPeak()
{
    QFile clearRefs(QStringLiteral("/proc/self/clear_refs"));
    return clearRefs.open(QIODevice::WriteOnly) && clearRefs.write("5") == 1;
}

} // namespace

LoopProbe::LoopProbe(QObject *parent)
    : QObject(parent)
{
    m_timer.setInterval(kTick);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &LoopProbe::tick);
}

void LoopProbe::start()
{
    m_longestIntervalMs = 0;
    m_ticks = 0;
    m_kernelPeakReset = resetKernelPeak();
    m_startKiB = residentKiB();
    m_peakKiB = m_startKiB;
    m_sinceTick.start();
    m_timer.start();
}

void LoopProbe::stop()
{
    m_timer.stop();
    m_longestIntervalMs = std::max(m_longestIntervalMs, m_sinceTick.elapsed());
    sampleMemory();
    if (m_kernelPeakReset)
        m_peakKiB = std::max(m_peakKiB, peakResidentKiB());
}

std::chrono::milliseconds LoopProbe::longestInterval() const
{
    return std::chrono::milliseconds(m_longestIntervalMs);
}

int LoopProbe::ticks() const
{
    return m_ticks;
}

qint64 LoopProbe::residentGrowthKiB() const
{
    return m_peakKiB - m_startKiB;
}

qint64 LoopProbe::residentKiB()
{
    return statusFieldKiB("VmRSS");
}

qint64 LoopProbe::peakResidentKiB()
{
    return statusFieldKiB("VmHWM");
}

void LoopProbe::tick()
{
    ++m_ticks;
    m_longestIntervalMs = std::max(m_longestIntervalMs, m_sinceTick.restart());
    sampleMemory();
}

void LoopProbe::sampleMemory()
{
    m_peakKiB = std::max(m_peakKiB, residentKiB());
}
