// Measures how long the program takes from its start to its window shown
// and idle, and how much memory it then holds, against a bare QDialog with
// the same holdings form and chart and nothing else. Both run as fresh
// processes of this executable, started in turn, so that neither profits
// from caches the other warmed.
//
// Usage: startupbench [starts=10]
// The window system is whatever QT_QPA_PLATFORM and DISPLAY say; run it
// under xvfb-run or with QT_QPA_PLATFORM=offscreen on a machine without one.

#include "fundtallyapp.h"
#include "holdingsform.h"

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QProcess>
#include <QTextStream>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>

#include <algorithm>
#include <chrono>
#include <optional>
#include <vector>

namespace {

constexpr double kTimeGoal = 1.2;
constexpr double kMemoryGoal = 1.15;
constexpr int kChildTimeoutMs = 30000;
constexpr int kDefaultStarts = 10;
const QString kProgramMode = QStringLiteral("--program");
const QString kBareMode = QStringLiteral("--bare");

qint64 monotonicNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

qint64 residentKiB()
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

int runProgram(int argc, char **argv)
{
    CFundtallyApp app(argc, argv);
    ShownWatcher watcher;
    app.installEventFilter(&watcher);
    return app.InitInstance();
}

int runBare(int argc, char **argv)
{
    QApplication app(argc, argv);
    ShownWatcher watcher;
    app.installEventFilter(&watcher);
    QDialog dialog;
    auto *layout = new QVBoxLayout(&dialog);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(new HoldingsForm(&dialog));
    return dialog.exec();
}

struct Start {
    double ms = 0;
    qint64 residentKiB = 0;
};

// Starts this executable in `mode`; nullopt when it did not report.
std::optional<Start> timeStart(const QString &mode)
{
    QProcess child;
    child.setProgram(QCoreApplication::applicationFilePath());
    child.setArguments({mode});
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    const qint64 startedNs = monotonicNs();
    child.start();
    if (!child.waitForFinished(kChildTimeoutMs) || child.exitStatus() != QProcess::NormalExit
        || child.exitCode() != 0)
        return std::nullopt;
    const QList<QByteArray> words = child.readAllStandardOutput().trimmed().split(' ');
    if (words.size() != 4 || words[0] != "shown" || words[2] != "rss")
        return std::nullopt;
    return Start{(words[1].toLongLong() - startedNs) / 1e6, words[3].toLongLong()};
}

template<typename Value>
Value median(std::vector<Value> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

int drive(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    bool ok = false;
    const int requested = app.arguments().value(1).toInt(&ok);
    const int count = ok && requested > 0 ? requested : kDefaultStarts;
    QTextStream out(stdout);

    std::vector<double> programMs, bareMs;
    std::vector<qint64> programKiB, bareKiB;
    for (int i = 0; i < count; ++i) {
        // Each round starts the other one first, so neither always follows.
        const bool programFirst = i % 2 == 0;
        for (const QString &mode : programFirst ? QStringList{kProgramMode, kBareMode}
                                                : QStringList{kBareMode, kProgramMode}) {
            const std::optional<Start> start = timeStart(mode);
            if (!start) {
                QTextStream(stderr) << "startupbench: " << mode << " did not show its window\n";
                return 1;
            }
            const bool program = mode == kProgramMode;
            (program ? programMs : bareMs).push_back(start->ms);
            (program ? programKiB : bareKiB).push_back(start->residentKiB);
            out << (program ? "program" : "bare   ") << " start " << i + 1 << ": "
                << QString::number(start->ms, 'f', 1) << " ms, " << start->residentKiB << " KiB\n";
        }
    }

    const double timeRatio = median(programMs) / median(bareMs);
    const double memoryRatio = double(median(programKiB)) / double(median(bareKiB));
    out << "median to shown and idle: program " << QString::number(median(programMs), 'f', 1)
        << " ms, bare dialog " << QString::number(median(bareMs), 'f', 1) << " ms, ratio "
        << QString::number(timeRatio, 'f', 3) << " (goal <= " << kTimeGoal << ")\n"
        << "median resident when idle: program " << median(programKiB) << " KiB, bare dialog "
        << median(bareKiB) << " KiB, ratio " << QString::number(memoryRatio, 'f', 3)
        << " (goal <= " << kMemoryGoal << ")\n";
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    const QString mode = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    if (mode == kProgramMode)
        return runProgram(argc, argv);
    if (mode == kBareMode)
        return runBare(argc, argv);
    return drive(argc, argv);
}
