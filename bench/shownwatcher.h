#pragma once

// What the start-up benchmark's children report: the moment their first
// window is shown and the event loop has run dry once, and the resident
// memory then. Both children include this, so they report alike.

#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QTextStream>
#include <QTimer>
#include <QWindow>

#include <chrono>

inline qint64 monotonicNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

inline qint64 residentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly | QIODevice::Text))
        return -1;
    for (QByteArray line = status.readLine(); !line.isEmpty(); line = status.readLine()) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

// Waits for the first top-level window to be exposed, then for the event
// loop to run dry once, reports the moment and the memory, and ends every
// event loop so that the process exits.
class ShownWatcher : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (!m_seen && event->type() == QEvent::Expose && qobject_cast<QWindow *>(watched)
            && static_cast<QWindow *>(watched)->isExposed()) {
            m_seen = true;
            QTimer::singleShot(0, this, &ShownWatcher::report);
        }
        return false;
    }

private:
    void report()
    {
        QTextStream(stdout) << "shown " << monotonicNs() << " rss " << residentKiB() << '\n';
        QCoreApplication::exit(0);
    }

    bool m_seen = false;
};
