#pragma once
// Records the monitor of the null sink that scripts/services.sh starts: raw s16le, two
// channels, 44.1 kHz, for as long as the process runs.
#include <QProcess>
#include <QTest>

namespace vistrel::test {

// Starts `parecord`; true once the monitor delivers within `waitMs` (silence counts).
inline bool StartNullSinkRecording(QProcess& parecord, int waitMs)
{
    parecord.start("parecord", {"--raw", "--format=s16le", "--channels=2", "--rate=44100", "--latency-msec=20",
                                "-d", "nullsink.monitor"});
    return QTest::qWaitFor([&parecord] { return parecord.bytesAvailable() > 0; }, waitMs);
}

}  // namespace vistrel::test
