#pragma once

// What the reading benchmarks share: measuring a run (wall time, CPU time of
// all threads, peak memory) and running the peer of peer_read.py beside it.

#include "../tests/common/peak_memory.h"

#include <QProcess>
#include <QString>
#include <QStringList>

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <optional>
#include <string>

namespace velmora::bench {

// The process's peak resident memory so far (VmHWM), in MB.
inline double peakMemoryMb() { return velmora::testing::peakMegabytes(); }

inline double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// One measured stretch of work; the peak is the process's at its end.
struct Measure {
    double seconds = 0;
    double cpu = 0;
    double peakMb = 0;

    void start()
    {
        wallStart_ = std::chrono::steady_clock::now();
        cpuStart_ = cpuSeconds();
    }
    void stop()
    {
        seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart_).count();
        cpu = cpuSeconds() - cpuStart_;
        peakMb = peakMemoryMb();
    }
    QString text() const
    {
        return QString::asprintf("%.3f s (cpu %.3f s), peak memory %.1f MB", seconds, cpu, peakMb);
    }

private:
    std::chrono::steady_clock::time_point wallStart_;
    double cpuStart_ = 0;
};

struct PeerResult {
    QString name;
    Measure measure;
    long long rows = 0;
};

// One run of peer_read.py's reader of FILE under Debian's Python.
inline std::optional<PeerResult> readOnceWithPeer(const QString& file)
{
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral(VELMORA_PEER_SCRIPT), QStringLiteral("read"), file});
    if (!python.waitForFinished(-1) || python.exitCode() != 0) {
        std::printf("peer   failed: %s\n", python.readAllStandardError().trimmed().constData());
        return std::nullopt;
    }
    // "peer NAME seconds S cpu C peak_kb K rows R"
    const QStringList words = QString::fromUtf8(python.readAllStandardOutput()).simplified().split(u' ');
    if (words.size() != 10 || words[0] != u"peer") {
        std::printf("peer   unreadable output: %s\n", qPrintable(words.join(u' ')));
        return std::nullopt;
    }
    PeerResult peer;
    peer.name = QString(words[1]).replace(u'_', u' ');
    peer.measure.seconds = words[3].toDouble();
    peer.measure.cpu = words[5].toDouble();
    peer.measure.peakMb = words[7].toDouble() / 1024.0;
    peer.rows = words[9].toLongLong();
    return peer;
}

// Runs peer_read.py's reader of FILE under Debian's Python `runs` times
// and prints the figures of its fastest run; nullopt (with the reason
// printed) when it fails.
inline std::optional<PeerResult> readWithPeer(const QString& file, int runs = 1)
{
    std::optional<PeerResult> best;
    for (int i = 0; i < runs; ++i) {
        std::optional<PeerResult> run = readOnceWithPeer(file);
        if (!run)
            return std::nullopt;
        if (!best || run->measure.seconds < best->measure.seconds)
            best = run;
    }
    std::printf("peer   %s: %s; %lld rows%s\n", qPrintable(best->name), qPrintable(best->measure.text()), best->rows,
                runs > 1 ? qPrintable(QStringLiteral(" (fastest of %1)").arg(runs)) : "");
    return best;
}

// The peer's read of FILE against `ours`: its figures and the ratios.
inline std::optional<PeerResult> runPeer(const QString& file, const Measure& ours, int runs = 1)
{
    std::optional<PeerResult> peer = readWithPeer(file, runs);
    if (peer && ours.seconds > 0 && peer->measure.peakMb > 0)
        std::printf("ratio  %.1fx the peer's speed; peak memory %.2f of the peer's\n", peer->measure.seconds / ours.seconds,
                    ours.peakMb / peer->measure.peakMb);
    return peer;
}

} // namespace velmora::bench
