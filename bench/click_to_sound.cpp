// bench/click_to_sound [ROUNDS]: for a few files (MP3, WAV, MP4, MKV, MIDI), the median time
// from PlayTitle (the click on a file) until the sound is heard, and until the player front
// reports a position above 0, next to the bare engine in the same process, on each back end:
// - MCI rows: libmpv with the player's engine options opening and starting the same file
//   (GStreamer's midiparse ! fluiddec for MIDI, as the sequencer plays it);
// - DirectShow rows: a bare playbin on the same file, set to PLAYING, with pulsesink (and a
//   fakevideosink that keeps the clock, as the player has no video window offscreen).
// Prints both medians and both ratios per file; the sound ratio is the headline, as it is what
// the user hears (a stream can play on time while its reported position stands still).
//
// "Heard" is the null sink's monitor, recorded by parec (s16le, mono, 48 kHz, 5 ms latency) in a
// thread of its own: the first chunk holding a sample above kLoudSample, timed on arrival on the
// clock that starts at the click. The monitor's read latency (the sink's render step plus parec's
// fragment) is added equally to both sides, so the difference and the ratio stay fair; the
// absolute figures are that much late. Recording changes what it observes a little: the null
// sink renders in steps as short as the shortest latency asked of it, so the 5 ms recording
// makes it step every 5 ms for both sides (BENCH_MONITOR_LATENCY_MS sets another). Before every
// round the monitor must have been silent for kSilentBeforeRoundMs, so one round's tail never
// counts as the next one's sound. A last row per back end plays a silent WAV as a control: its
// sound column must read -1.
//
// BENCH_ONLY=TEXT runs only the rows whose name holds TEXT; BENCH_TRACE=1 prints when PlayTitle
// returned. -1: never within the give-up time, or no monitor (parec missing or no data). Figures
// only; nothing passes or fails on time. Run it with a sound server (PULSE_SERVER) whose default
// sink is the only one, e.g. under scripts/services.sh.
#include "app/ProgramValues.h"
#include "app/MainWindow.h"
#include "playback/TitlePlayControl.h"
#include "playback/PlayerFront.h"
#include "platform/mci/MpvDevice.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gst/gst.h>
#include <mpv/client.h>

#include <algorithm>
#include <atomic>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr qint64 kGiveUpMs = 10000;            // for the position, and the sound while it stands
constexpr qint64 kSoundAfterPositionMs = 2000;  // the sound is given up this long after it moved
constexpr int kLoudSample = 64;                 // of 32767; the null sink's silence is exact zeros
constexpr qint64 kSilentBeforeRoundMs = 200;
constexpr qint64 kSilenceGiveUpMs = 5000;
constexpr int kMonitorStartMs = 3000;

struct Timing {
    double soundMs = -1;
    double positionMs = -1;
};

double NsToMs(qint64 ns)
{
    return ns / 1e6;
}

bool HoldsLoudSample(const QByteArray& s16le)
{
    for (qsizetype i = 0; i + 1 < s16le.size(); i += 2) {
        qint16 sample;
        std::memcpy(&sample, s16le.constData() + i, sizeof sample);
        if (std::abs(int(sample)) > kLoudSample)
            return true;
    }
    return false;
}

// The null sink's monitor, recorded by parec. Its reader is a thread of its own, so a chunk is
// timed when it arrives even while the main thread is busy inside PlayTitle.
class MonitorRecorder {
public:
    MonitorRecorder()
    {
        sinceStart_.start();
        reader_ = std::thread([this] { Read(); });
    }
    ~MonitorRecorder()
    {
        stop_ = true;
        reader_.join();
    }
    MonitorRecorder(const MonitorRecorder&) = delete;
    MonitorRecorder& operator=(const MonitorRecorder&) = delete;

    bool WaitUntilFlowing()
    {
        QElapsedTimer waited;
        waited.start();
        while (state_ == State::Starting && waited.elapsed() < kMonitorStartMs)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        return Available();
    }
    bool Available() const { return state_ == State::Flowing; }

    // From now on, the first loud chunk is timed on `round` (started at the click).
    void Arm(const QElapsedTimer& round)
    {
        std::lock_guard lock(mutex_);
        round_ = round;
        firstSoundMs_ = -1;
    }
    void Disarm()
    {
        std::lock_guard lock(mutex_);
        round_.reset();
    }
    double FirstSoundMs() const
    {
        std::lock_guard lock(mutex_);
        return firstSoundMs_;
    }

    // Until the monitor has carried kSilentBeforeRoundMs of silence; false when it did not
    // within kSilenceGiveUpMs (or carries nothing).
    bool WaitForSilence()
    {
        QElapsedTimer waited;
        waited.start();
        while (Available() && waited.elapsed() < kSilenceGiveUpMs) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            std::lock_guard lock(mutex_);
            if (NsToMs(lastChunkNs_ - lastLoudNs_) >= kSilentBeforeRoundMs)
                return true;
        }
        return false;
    }

private:
    enum class State { Starting, Flowing, Failed };

    void Read()
    {
        QProcess parec;
        parec.setStandardErrorFile(QProcess::nullDevice());
        const QString latency = qEnvironmentVariable("BENCH_MONITOR_LATENCY_MS", "5");
        parec.start("parec", {"--device=@DEFAULT_MONITOR@", "--raw", "--format=s16le", "--channels=1",
                              "--rate=48000", "--latency-msec=" + latency});
        const bool started = parec.waitForStarted(kMonitorStartMs);
        QByteArray pending;  // an odd byte waits for its pair
        while (started && !stop_ && parec.state() == QProcess::Running) {
            if (!parec.waitForReadyRead(50))
                continue;
            const qint64 arrivedNs = sinceStart_.nsecsElapsed();
            pending += parec.readAllStandardOutput();
            const qsizetype whole = pending.size() & ~qsizetype(1);
            Take(pending.first(whole), arrivedNs);
            pending.remove(0, whole);
        }
        state_ = State::Failed;
        parec.terminate();
        if (!parec.waitForFinished(1000)) {
            parec.kill();
            parec.waitForFinished(1000);
        }
    }

    void Take(const QByteArray& samples, qint64 arrivedNs)
    {
        const bool loud = HoldsLoudSample(samples);
        std::lock_guard lock(mutex_);
        lastChunkNs_ = arrivedNs;
        if (state_ == State::Starting)
            state_ = State::Flowing;
        if (!loud)
            return;
        lastLoudNs_ = arrivedNs;
        if (round_ && firstSoundMs_ < 0)
            firstSoundMs_ = NsToMs(round_->nsecsElapsed() - (sinceStart_.nsecsElapsed() - arrivedNs));
    }

    mutable std::mutex mutex_;
    QElapsedTimer sinceStart_;
    std::optional<QElapsedTimer> round_;
    double firstSoundMs_ = -1;
    qint64 lastChunkNs_ = 0;
    qint64 lastLoudNs_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<State> state_{State::Starting};
    std::thread reader_;
};

// Runs the event loop until the position is above 0 and the monitor has carried sound (or each
// has been given up); both times on `clock`, which started at the click.
Timing Measure(const QElapsedTimer& clock, MonitorRecorder& monitor,
               const std::function<bool()>& positionAboveZero)
{
    Timing timing;
    while (clock.elapsed() < kGiveUpMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        if (timing.positionMs < 0 && positionAboveZero())
            timing.positionMs = NsToMs(clock.nsecsElapsed());
        timing.soundMs = monitor.FirstSoundMs();
        const bool soundGivenUp =
            timing.positionMs >= 0 && clock.elapsed() > timing.positionMs + kSoundAfterPositionMs;
        const bool soundSettled = timing.soundMs >= 0 || !monitor.Available() || soundGivenUp;
        if (timing.positionMs >= 0 && soundSettled)
            break;
    }
    monitor.Disarm();
    return timing;
}

using Side = std::function<Timing(const std::string& file, MonitorRecorder& monitor)>;

// The back end is chosen as the "MCI"/"DirectShow" label does, while nothing is open.
Timing VistrelClick(vistrel::MainWindow& window, int16_t mediaInterface, const std::string& file,
                    MonitorRecorder& monitor)
{
    window.Front().MediaInterface = mediaInterface;
    QElapsedTimer clock;
    clock.start();
    monitor.Arm(clock);
    window.TitlePlay().PlayTitle(file, false);
    if (qEnvironmentVariableIsSet("BENCH_TRACE"))
        std::printf("  PlayTitle returned after %.1f ms\n", NsToMs(clock.nsecsElapsed()));
    const Timing timing = Measure(clock, monitor, [&] { return window.Front().MPlayGetPosition() > 0; });
    window.TitlePlay().CloseMedia(true, false, false);
    return timing;
}

Timing BareMpvClick(const std::string& file, MonitorRecorder& monitor)
{
    QElapsedTimer clock;
    clock.start();
    monitor.Arm(clock);
    mpv_handle* mpv = mpv_create();
    for (const auto& [name, value] : vistrel::mci::MpvEngineOptions(false, false))
        mpv_set_option_string(mpv, name, value);
    mpv_initialize(mpv);
    const char* command[] = {"loadfile", file.c_str(), nullptr};
    mpv_command(mpv, command);
    const Timing timing = Measure(clock, monitor, [&] {
        double position = 0;
        while (mpv_wait_event(mpv, 0)->event_id != MPV_EVENT_NONE) {
        }
        return mpv_get_property(mpv, "time-pos", MPV_FORMAT_DOUBLE, &position) == 0 && position > 0;
    });
    mpv_terminate_destroy(mpv);
    return timing;
}

Timing BareGstClick(GstElement* pipeline, const QElapsedTimer& clock, MonitorRecorder& monitor)
{
    gst_element_set_state(pipeline, GST_STATE_PLAYING);
    const Timing timing = Measure(clock, monitor, [&] {
        gint64 position = 0;
        return gst_element_query_position(pipeline, GST_FORMAT_TIME, &position) && position > 0;
    });
    gst_element_set_state(pipeline, GST_STATE_NULL);
    gst_object_unref(pipeline);
    return timing;
}

Timing BareGstMidiClick(const std::string& file, MonitorRecorder& monitor)
{
    QElapsedTimer clock;
    clock.start();
    monitor.Arm(clock);
    GstElement* pipeline = gst_parse_launch(
        "filesrc name=src ! midiparse ! fluiddec ! audioconvert ! audioresample ! autoaudiosink", nullptr);
    GstElement* source = gst_bin_get_by_name(GST_BIN(pipeline), "src");
    g_object_set(source, "location", file.c_str(), nullptr);
    gst_object_unref(source);
    return BareGstClick(pipeline, clock, monitor);
}

Timing BarePlaybinClick(const std::string& file, MonitorRecorder& monitor)
{
    QElapsedTimer clock;
    clock.start();
    monitor.Arm(clock);
    GstElement* playbin = gst_element_factory_make("playbin", nullptr);
    gchar* uri = gst_filename_to_uri(file.c_str(), nullptr);
    GstElement* videoSink = gst_element_factory_make("fakevideosink", nullptr);
    g_object_set(videoSink, "sync", TRUE, nullptr);
    g_object_set(playbin, "uri", uri, "audio-sink", gst_element_factory_make("pulsesink", nullptr), "video-sink",
                 videoSink, nullptr);
    g_free(uri);
    return BareGstClick(playbin, clock, monitor);
}

// The median of the rounds that gave a figure; -1 when none did.
double Median(std::vector<double> values)
{
    std::erase_if(values, [](double value) { return value < 0; });
    std::sort(values.begin(), values.end());
    return values.empty() ? -1 : values[values.size() / 2];
}

double Ratio(double ours, double bare)
{
    return ours > 0 && bare > 0 ? ours / bare : -1;
}

int Missed(const std::vector<double>& values)
{
    return int(std::count_if(values.begin(), values.end(), [](double value) { return value < 0; }));
}

void Report(const char* name, const Side& vistrel, const Side& bare, const std::string& file, int rounds,
            MonitorRecorder& monitor)
{
    if (const QByteArray only = qgetenv("BENCH_ONLY"); !only.isEmpty() && !QByteArray(name).contains(only))
        return;
    std::vector<double> ourSound, bareSound, ourPosition, barePosition;
    for (int i = 0; i < rounds; ++i) {  // alternating, so drifts hit both alike
        if (monitor.Available() && !monitor.WaitForSilence())
            std::fprintf(stderr, "%s: the monitor was not silent before a round\n", name);
        const Timing ours = vistrel(file, monitor);
        if (monitor.Available() && !monitor.WaitForSilence())
            std::fprintf(stderr, "%s: the monitor was not silent before a round\n", name);
        const Timing theirs = bare(file, monitor);
        ourSound.push_back(ours.soundMs);
        bareSound.push_back(theirs.soundMs);
        ourPosition.push_back(ours.positionMs);
        barePosition.push_back(theirs.positionMs);
    }
    const double a = Median(ourSound), b = Median(bareSound);
    const double c = Median(ourPosition), d = Median(barePosition);
    std::printf("%-33s %8.1f %8.1f %6.2f   %8.1f %8.1f %6.2f\n", name, a, b, Ratio(a, b), c, d, Ratio(c, d));
    const std::pair<const char*, const std::vector<double>*> columns[] = {
        {"Vistrel sound", &ourSound}, {"bare sound", &bareSound},
        {"Vistrel position", &ourPosition}, {"bare position", &barePosition}};
    for (const auto& [column, values] : columns)
        if (const int missed = Missed(*values); missed > 0 && missed < rounds)
            std::printf("  %s: no figure in %d of %d rounds\n", column, missed, rounds);
}

QByteArray LoadAverage()
{
    QFile file("/proc/loadavg");
    return file.open(QIODevice::ReadOnly) ? file.readAll().left(14).trimmed() : QByteArray("?");
}

// A WAV of `seconds` of digital silence (48 kHz, mono, 16 bits): the control row, whose sound
// column must stay -1.
bool WriteSilentWav(const QString& path, int seconds)
{
    const quint32 dataBytes = 48000u * 2u * quint32(seconds);
    QByteArray wav;
    const auto put32 = [&](quint32 v) { for (int i = 0; i < 4; ++i) wav.append(char(v >> (8 * i))); };
    const auto put16 = [&](quint16 v) { wav.append(char(v)).append(char(v >> 8)); };
    wav.append("RIFF");
    put32(36 + dataBytes);
    wav.append("WAVEfmt ");
    put32(16);
    put16(1);  // PCM
    put16(1);  // mono
    put32(48000);
    put32(48000 * 2);
    put16(2);
    put16(16);
    wav.append("data");
    put32(dataBytes);
    wav.append(QByteArray(int(dataBytes), '\0'));
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(wav) == wav.size();
}

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    gst_init(nullptr, nullptr);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;

    QTemporaryDir dir;
    vistrel::program::IniFile = dir.filePath("Vistrel.ini").toStdString();
    vistrel::program::IniBackupFile = dir.filePath("Vistrel.bak").toStdString();
    vistrel::MainWindow window(dir.filePath("vistrel").toStdString());
    const auto on = [&](int16_t mediaInterface) -> Side {
        return [&window, mediaInterface](const std::string& file, MonitorRecorder& monitor) {
            return VistrelClick(window, mediaInterface, file, monitor);
        };
    };
    const Side mci = on(vistrel::kMediaInterfaceMCI);
    const Side directShow = on(vistrel::kMediaInterfaceDirectShow);
    const std::string silentWav = dir.filePath("silence.wav").toStdString();
    if (!WriteSilentWav(QString::fromStdString(silentWav), 3))
        std::fprintf(stderr, "could not write %s\n", silentWav.c_str());

    MonitorRecorder monitor;
    if (!monitor.WaitUntilFlowing())
        std::fprintf(stderr, "no data from parec on the sound server's monitor: the sound columns read -1\n");

    const std::string demo = VISTREL_SOURCE_DIR "/demo/";
    const std::string fixtures = VISTREL_SOURCE_DIR "/tests/fixtures/media/";
    std::printf("median ms from play to the first sound on the monitor, and to position > 0; %d rounds"
                " (-1: never); load average %s\n", rounds, LoadAverage().constData());
    std::printf("%-33s %8s %8s %6s   %8s %8s %6s\n", "", "sound", "", "", "position", "", "");
    std::printf("%-33s %8s %8s %6s   %8s %8s %6s\n", "file", "Vistrel", "bare", "ratio", "Vistrel", "bare",
                "ratio");
    const std::pair<const char*, std::string> files[] = {
        {"MP3 a_major_chord.mp3", demo + "a_major_chord.mp3"},
        {"WAV chime.wav", demo + "chime.wav"},
        {"MP4 mp4_h264_aac.mp4", fixtures + "mp4_h264_aac.mp4"},
        {"MKV mandelbrot.mkv", demo + "mandelbrot.mkv"},
        {"MIDI twinkle.mid", demo + "twinkle.mid"},
        {"silent WAV (control)", silentWav},
    };
    for (const auto& [name, file] : files) {
        const Side bareMci = std::string(name).starts_with("MIDI") ? Side(BareGstMidiClick) : Side(BareMpvClick);
        Report(("MCI " + std::string(name)).c_str(), mci, bareMci, file, rounds, monitor);
    }
    const auto& available = window.Front().Hooks.IsDirectShowAvailable;
    if (!window.Front().DirectShow || !available || !available()) {
        std::printf("DirectShow: not available\n");
    } else {
        for (const auto& [name, file] : files)
            Report(("DirectShow " + std::string(name)).c_str(), directShow, BarePlaybinClick, file, rounds, monitor);
    }
    window.close();
    return 0;
}
