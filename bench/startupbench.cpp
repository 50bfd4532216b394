// Measures how long the program takes from its start to its window shown
// and idle, and how much memory it then holds, against a bare QDialog with
// the same holdings form and chart and nothing else. Both run as fresh
// processes, startupprogram and startupbare beside this executable, started
// in turn, so that neither always profits from caches the other warmed. The
// bare dialog links only what the form needs.
//
// Usage: startupbench [starts=10]
// The window system is whatever QT_QPA_PLATFORM and DISPLAY say; run it
// under xvfb-run or with QT_QPA_PLATFORM=offscreen on a machine without one.

#include "shownwatcher.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QTextStream>

#include <algorithm>
#include <chrono>
#include <optional>
#include <vector>

namespace {

constexpr double kTimeGoal = 1.1;
constexpr double kMemoryGoal = 1.1;
constexpr int kChildTimeoutMs = 30000;
constexpr int kDefaultStarts = 10;
const QString kProgram = QStringLiteral("startupprogram");
const QString kBare = QStringLiteral("startupbare");

struct Start {
    double ms = 0;
    qint64 residentKiB = 0;
};

// Starts `child` from beside this executable; nullopt when it did not report.
std::optional<Start> timeStart(const QString &name)
{
    QProcess child;
    child.setProgram(QDir(QCoreApplication::applicationDirPath()).filePath(name));
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

} // namespace

int main(int argc, char *argv[])
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
        for (const QString &name : programFirst ? QStringList{kProgram, kBare} : QStringList{kBare, kProgram}) {
            const std::optional<Start> start = timeStart(name);
            if (!start) {
                QTextStream(stderr) << "startupbench: " << name << " did not show its window\n";
                return 1;
            }
            const bool program = name == kProgram;
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

