// bench/click_to_sound [ROUNDS]: for a few files (MP3, WAV, MP4, MKV, MIDI), the median
// time from PlayTitle (the click on a file) to the first position above 0 as the player front reports
// it, next to the bare engine in the same process: libmpv, with the player's engine options,
// opening and starting the same file (GStreamer's midiparse ! fluiddec for MIDI) until its
// position is above 0. Prints both medians and their ratio. Figures only; nothing passes
// or fails on time. Run it with a sound server (PULSE_SERVER), e.g. under scripts/services.sh.
#include "app/ProgramValues.h"
#include "app/MainWindow.h"
#include "playback/TitlePlayControl.h"
#include "playback/PlayerFront.h"
#include "platform/mci/MpvDevice.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <gst/gst.h>
#include <mpv/client.h>

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr qint64 kGiveUpMs = 10000;

using Measure = std::function<double(const std::string& file)>;

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// Polls `positionAboveZero` (running the event loop) until it is true; the elapsed ms, or
// -1 when it did not happen within kGiveUpMs.
double MsUntil(const QElapsedTimer& clock, const std::function<bool()>& positionAboveZero)
{
    while (clock.elapsed() < kGiveUpMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        if (positionAboveZero())
            return clock.nsecsElapsed() / 1e6;
    }
    return -1;
}

double VistrelClickToSound(vistrel::MainWindow& window, const std::string& file)
{
    QElapsedTimer clock;
    clock.start();
    window.TitlePlay().PlayTitle(file, false);
    if (qEnvironmentVariableIsSet("BENCH_TRACE"))
        std::printf("  PlayTitle returned after %.1f ms\n", clock.nsecsElapsed() / 1e6);
    const double ms = MsUntil(clock, [&] { return window.Front().MPlayGetPosition() > 0; });
    window.TitlePlay().CloseMedia(true, false, false);
    return ms;
}

double BareMpvClickToSound(const std::string& file)
{
    QElapsedTimer clock;
    clock.start();
    mpv_handle* mpv = mpv_create();
    for (const auto& [name, value] : vistrel::mci::MpvEngineOptions({}, false))
        mpv_set_option_string(mpv, name, value);
    mpv_initialize(mpv);
    const char* command[] = {"loadfile", file.c_str(), nullptr};
    mpv_command(mpv, command);
    const double ms = MsUntil(clock, [&] {
        double position = 0;
        while (mpv_wait_event(mpv, 0)->event_id != MPV_EVENT_NONE) {
        }
        return mpv_get_property(mpv, "time-pos", MPV_FORMAT_DOUBLE, &position) == 0 && position > 0;
    });
    mpv_terminate_destroy(mpv);
    return ms;
}

double BareGstMidiClickToSound(const std::string& file)
{
    QElapsedTimer clock;
    clock.start();
    GstElement* pipeline = gst_parse_launch(
        "filesrc name=src ! midiparse ! fluiddec ! audioconvert ! audioresample ! autoaudiosink", nullptr);
    GstElement* source = gst_bin_get_by_name(GST_BIN(pipeline), "src");
    g_object_set(source, "location", file.c_str(), nullptr);
    gst_object_unref(source);
    gst_element_set_state(pipeline, GST_STATE_PLAYING);
    const double ms = MsUntil(clock, [&] {
        gint64 position = 0;
        return gst_element_query_position(pipeline, GST_FORMAT_TIME, &position) && position > 0;
    });
    gst_element_set_state(pipeline, GST_STATE_NULL);
    gst_object_unref(pipeline);
    return ms;
}

void Report(const char* name, const Measure& vistrel, const Measure& bare, const std::string& file, int rounds)
{
    std::vector<double> ours, theirs;
    for (int i = 0; i < rounds; ++i) {  // alternating, so drifts hit both alike
        ours.push_back(vistrel(file));
        theirs.push_back(bare(file));
    }
    const double a = Median(ours), b = Median(theirs);
    std::printf("%-22s %10.1f %12.1f %8.2f\n", name, a, b, b > 0 ? a / b : 0.0);
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
    const Measure vistrel = [&](const std::string& file) { return VistrelClickToSound(window, file); };

    const std::string demo = VISTREL_SOURCE_DIR "/demo/";
    const std::string fixtures = VISTREL_SOURCE_DIR "/tests/fixtures/media/";
    std::printf("median ms from play to position > 0, %d rounds (-1: never)\n", rounds);
    std::printf("%-22s %10s %12s %8s\n", "file", "Vistrel", "bare engine", "ratio");
    Report("MP3 a_major_chord.mp3", vistrel, BareMpvClickToSound, demo + "a_major_chord.mp3", rounds);
    Report("WAV chime.wav", vistrel, BareMpvClickToSound, demo + "chime.wav", rounds);
    Report("MP4 mp4_h264_aac.mp4", vistrel, BareMpvClickToSound, fixtures + "mp4_h264_aac.mp4", rounds);
    Report("MKV mandelbrot.mkv", vistrel, BareMpvClickToSound, demo + "mandelbrot.mkv", rounds);
    Report("MIDI twinkle.mid", vistrel, BareGstMidiClickToSound, demo + "twinkle.mid", rounds);
    window.close();
    return 0;
}
