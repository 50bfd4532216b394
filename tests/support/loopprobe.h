#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <chrono>

// Watches the event loop and the memory of this process while a test runs.
// A timer ticks every 50 ms: a long interval between two ticks means the loop
// was blocked that long. Memory is the resident set size (VmRSS); its peak is
// sampled on every tick and, where the kernel lets the peak be reset, also
// taken from VmHWM, which sees spikes between ticks.
class LoopProbe : public QObject
{
    Q_OBJECT

public:
    static constexpr std::chrono::milliseconds kTick{50};

    explicit LoopProbe(QObject *parent = nullptr);

    void start();
    void stop();

    std::chrono::milliseconds longestInterval() const; // between two ticks, or the last tick and stop()
    int ticks() const;
    qint64 residentGrowthKiB() const; // peak resident size over the size at start()

    // Current (VmRSS) and peak (VmHWM) resident size, -1 when not known.
    static qint64 residentKiB();
    static qint64 peakResidentKiB();

private:
    void tick();
    void sampleMemory();

    QTimer m_timer;
    QElapsedTimer m_sinceTick;
    qint64 m_longestIntervalMs = 0;
    int m_ticks = 0;
    qint64 m_startKiB = 0;
    qint64 m_peakKiB = 0;
    bool m_kernelPeakReset = false;
};
