// The volume knobs of the running window against a real PulseAudio of the test's own (this
// test changes sink volumes and stops the server, which must not reach other tests' sound):
// what a knob does is read back with pactl and from the null sink's monitor, and what
// pactl does shows on the knobs. Titles play through the real engines.
#include "controls/VolumeFrameWidget.h"
#include "platform/mci/MciService.h"
#include "platform/mixer/PulseMixer.h"
#include "support/MainWindowFixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QtTest>
#include <QtTest/qtestspontaneevent.h>

#include <signal.h>
#include <sys/prctl.h>

using namespace vistrel;
using mixer::MixerLine;

namespace {

constexpr int kWaitMs = 20000;

// The programs the test starts end with it, also when it is killed.
void EndWithTheTest(QProcess& process)
{
    process.setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGKILL); });
}
constexpr int kSilentPeak = 64;
constexpr int kLoudPeak = 2000;  // a_major_chord.mp3 peaks near -9 dBFS
constexpr int kFull = 65536;

#define WAIT_VERIFY2(condition, message) QVERIFY2(QTest::qWaitFor([&] { return bool(condition); }, kWaitMs), message)

QString Run(const QString& program, const QStringList& args)
{
    QProcess process;
    process.start(program, args);
    process.waitForFinished(kWaitMs);
    return process.exitCode() == 0 ? QString::fromUtf8(process.readAllStandardOutput()) : QString();
}

// The raw channel volumes ("65536 / 100% / ...") in pactl's text.
QList<int> RawVolumes(const QString& text)
{
    QList<int> volumes;
    static const QRegularExpression raw(R"((\d+) / +\d+%)");
    for (auto match = raw.globalMatch(text); match.hasNext();)
        volumes << match.next().captured(1).toInt();
    return volumes;
}

QList<int> SinkVolumes(const QString& sink)
{
    return RawVolumes(Run("pactl", {"get-sink-volume", sink}));
}

// The loudest channel of each playback stream, by application name; -1 for none.
int StreamVolume(const QString& application)
{
    for (const QString& block : Run("pactl", {"list", "sink-inputs"}).split("Sink Input #")) {
        if (!block.contains("application.name = \"" + application + "\""))
            continue;
        const QString volumeLine = block.section("Volume:", 1, 1).section('\n', 0, 0);
        const QList<int> volumes = RawVolumes(volumeLine);
        return volumes.isEmpty() ? -1 : *std::max_element(volumes.begin(), volumes.end());
    }
    return -1;
}

int16_t Peak(const QByteArray& raw)
{
    int peak = 0;
    for (qsizetype i = 0; i + 1 < raw.size(); i += 2)
        peak = std::max(peak, std::abs(int(*reinterpret_cast<const int16_t*>(raw.constData() + i))));
    return int16_t(std::min(peak, 32767));
}

// PulseAudio with a null sink "nullsink" on a socket in a runtime folder of its own; this
// process and the programs it starts use it (PULSE_SERVER).
class PrivateSoundServer {
public:
    bool Start()
    {
        const QString socket = runtime_.filePath("pulse-native");
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_RUNTIME_DIR", runtime_.path());
        env.remove("PULSE_SERVER");
        server_.setProcessEnvironment(env);
        server_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        EndWithTheTest(server_);
        server_.start("pulseaudio", {"--daemonize=no", "--use-pid-file=no", "--exit-idle-time=-1", "--disallow-exit",
                                     "-n", "--load=module-null-sink sink_name=nullsink",
                                     "--load=module-native-protocol-unix auth-anonymous=1 socket=" + socket});
        qputenv("PULSE_SERVER", ("unix:" + socket).toUtf8());
        return QTest::qWaitFor([] { return !Run("pactl", {"info"}).isEmpty(); }, kWaitMs);
    }
    void Signal(int signal) { ::kill(pid_t(server_.processId()), signal); }
    void Stop()
    {
        server_.kill();
        server_.waitForFinished(kWaitMs);
    }
    ~PrivateSoundServer() { Stop(); }

private:
    QTemporaryDir runtime_;
    QProcess server_;
};

}  // namespace

class TestMainWindowVolume : public QObject {
    Q_OBJECT

    PrivateSoundServer server_;
    test::MainWindowFixture fixture_;
    std::unique_ptr<MainWindow> window_;

    VolumeFrameWidget* Frame() const { return window_->Controls().volumeFrame; }
    const VolumeKnobs& Knobs() const { return Frame()->Knobs(); }
    mixer::PulseMixer& Mixer() const { return *window_->Mixer(); }

    // A press at `from` in the frame, a move to `to`, a release there.
    void Drag(QPoint from, QPoint to)
    {
        QTest::mousePress(Frame(), Qt::LeftButton, {}, from);
        QMouseEvent move(QEvent::MouseMove, to, Frame()->mapToGlobal(to), Qt::NoButton, Qt::LeftButton, {});
        QApplication::sendEvent(Frame(), &move);
        QTest::mouseRelease(Frame(), Qt::LeftButton, {}, to);
    }
    // The knob's top at `fraction` of its range.
    int TrackTop(double fraction) const
    {
        const VolumeKnobLayout& l = Knobs().Layout();
        return l.topAtZero - qRound(fraction * (l.topAtZero - l.topAtMax));
    }
    // Knob `knob` dragged to `fraction` of its range (beyond 0..1: to the track's end).
    void DragKnob(int knob, double fraction)
    {
        const QRect knobRect = Frame()->KnobRect(knob);
        const QPoint grab(knobRect.center().x(), knobRect.top() + 2);
        Drag(grab, QPoint(grab.x(), TrackTop(fraction) + 2));
    }

    void Play(const QString& name)
    {
        QListView* files = window_->Controls().fileList;
        const QModelIndex row = files->model()->match(files->model()->index(0, 0), Qt::DisplayRole, name).value(0);
        QTest::mouseClick(files->viewport(), Qt::LeftButton, {}, files->visualRect(row).center());
    }
    void Stop() { QTest::mouseClick(window_->Controls().playButtons[2], Qt::LeftButton); }
    static std::string VoiceVolume()
    {
        std::string reply;
        return mciSendString("status voice1 volume", reply) == 0 ? reply : std::string();
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(server_.Start(), "pulseaudio did not start");
        Run("pactl", {"set-sink-volume", "nullsink", "40000", "20000"});
        QCOMPARE(SinkVolumes("nullsink"), QList<int>({40000, 20000}));
        for (const std::string name : {"a_major_chord.mp3", "twinkle.mid"})
            test::WriteFile(fixture_.Path(name), test::ReadFile(test::Demo(name)));
        window_ = fixture_.Show("UseMCI=1\n", fixture_.Path());
        window_->Controls().loopCheck->setChecked(true);
        QVERIFY2(window_->Mixer(), "no mixer on the private server");
        QVERIFY(Knobs().MixerEnabled());
        QCOMPARE(Knobs().Local(), 750);  // CurrentFileDefaultVolume's default
    }

    void cleanup()
    {
        if (window_->Title().playState == MMSTATE_PLAY || window_->Title().playState == MMSTATE_PAUSE)
            Stop();
    }

    void cleanupTestCase() { window_->close(); }

    // Master keeps the balance the sink had at start: 40000/20000 at the top gives
    // 65536/32768, and 60000 gives 60000/30000.
    void masterKeepsTheSinksBalance()
    {
        DragKnob(kMasterKnob, 2);
        WAIT_VERIFY2(SinkVolumes("nullsink") == QList<int>({kFull, kFull / 2}), "not 65536/32768");
        Mixer().SetVolume(MixerLine::Master, 60000);
        WAIT_VERIFY2(SinkVolumes("nullsink") == QList<int>({60000, 30000}), "not 60000/30000");
    }

    // A change made with pactl moves the Master knob; a new default sink becomes Master.
    void pactlMovesTheMasterKnob()
    {
        Run("pactl", {"set-sink-volume", "nullsink", "16384", "8192"});
        WAIT_VERIFY2(Knobs().KnobTop(kMasterKnob) == TrackTop(0.25), "the knob stayed");
        const QString module = Run("pactl", {"load-module", "module-null-sink", "sink_name=othersink"}).trimmed();
        Run("pactl", {"set-default-sink", "othersink"});
        Run("pactl", {"set-sink-volume", "othersink", "49152"});
        WAIT_VERIFY2(Knobs().KnobTop(kMasterKnob) == TrackTop(0.75), "Master is not the new default");
        DragKnob(kMasterKnob, 0.5);
        WAIT_VERIFY2(SinkVolumes("othersink") == QList<int>({kFull / 2, kFull / 2}), "the new default did not follow");
        QCOMPARE(SinkVolumes("nullsink"), QList<int>({16384, 8192}));
        Run("pactl", {"set-default-sink", "nullsink"});
        Run("pactl", {"unload-module", module});
    }

    // Wave sets our title's stream and no other program's; the next title's new stream gets
    // the same value.
    void waveSetsOnlyOurStreams()
    {
        QProcess other;
        other.setStandardInputFile("/dev/zero");
        EndWithTheTest(other);
        other.start("pacat", {"--playback", "--client-name=Other", "--raw"});
        Play("a_major_chord.mp3");
        WAIT_VERIFY2(StreamVolume("Vistrel") == kFull && StreamVolume("Other") == kFull, "no streams at 100 %");
        DragKnob(kWaveKnob, 0.5);
        WAIT_VERIFY2(StreamVolume("Vistrel") == kFull / 2, "our stream did not follow Wave");
        QCOMPARE(StreamVolume("Other"), kFull);
        Stop();
        WAIT_VERIFY2(StreamVolume("Vistrel") == -1, "the stream stayed after Stop");
        Play("a_major_chord.mp3");
        WAIT_VERIFY2(StreamVolume("Vistrel") == kFull / 2, "the new stream did not get Wave's value");
        other.kill();
        other.waitForFinished(kWaitMs);
    }

    // The synthesizer's stream follows MIDI, not Wave; "Local" does not reach a MIDI title.
    void midiSetsTheSynthesizersStream()
    {
        DragKnob(kMidiKnob, 0.25);
        Play("twinkle.mid");
        WAIT_VERIFY2(StreamVolume("Vistrel MIDI") == kFull / 4, "the synthesizer's stream did not get MIDI's value");
        const std::string voiceVolume = VoiceVolume();
        DragKnob(kWaveKnob, 0.75);
        DragKnob(kLocalKnob, 0.25);
        DragKnob(kMidiKnob, 0.5);
        WAIT_VERIFY2(StreamVolume("Vistrel MIDI") == kFull / 2, "MIDI did not move the stream");
        QCOMPARE(Mixer().Volume(MixerLine::Wave), uint32_t(kFull * 3 / 4));
        QCOMPARE(VoiceVolume(), voiceVolume);
        QCOMPARE(Knobs().Local(), 250);
    }

    // Local is the engine's volume: the null sink hears it go silent and loud again, while
    // the stream's volume stays Wave's.
    void localChangesWhatIsHeardNotTheStream()
    {
        QProcess record;
        EndWithTheTest(record);
        record.start("parecord", {"--raw", "--format=s16le", "--channels=2", "--rate=44100", "--latency-msec=20", "-d",
                                  "nullsink.monitor"});
        Run("pactl", {"set-sink-volume", "nullsink", "65536"});
        DragKnob(kWaveKnob, 2);
        Play("a_major_chord.mp3");
        const int wave = int(Mixer().Volume(MixerLine::Wave));
        WAIT_VERIFY2(StreamVolume("Vistrel") == wave, "the stream is not at Wave's value");
        const auto heard = [&record](bool loud) {
            return QTest::qWaitFor([&] {
                record.readAllStandardOutput();
                QTest::qWait(200);
                const QByteArray slice = record.readAllStandardOutput();
                return !slice.isEmpty() && (loud ? Peak(slice) > kLoudPeak : Peak(slice) <= kSilentPeak);
            }, kWaitMs);
        };
        for (const bool loud : {true, false, true}) {  // top, bottom, top again
            DragKnob(kLocalKnob, loud ? 2 : -1);
            QCOMPARE(VoiceVolume(), std::string(loud ? "1000" : "0"));
            QVERIFY2(heard(loud), loud ? "not heard at the top" : "heard at the bottom");
            QCOMPARE(StreamVolume("Vistrel"), wave);
        }
        record.kill();
        record.waitForFinished(kWaitMs);
    }

    // The wheel over a label goes to the window and turns Local; over Master's column it
    // turns Master.
    void wheelOverTheWindow_data()
    {
        QTest::addColumn<bool>("overMaster");
        QTest::newRow("over a format label") << false;
        QTest::newRow("over the Master knob") << true;
    }
    void wheelOverTheWindow()
    {
        QFETCH(bool, overMaster);
        QWidget* target = overMaster ? static_cast<QWidget*>(Frame()) : window_->Controls().formatInfoLabels[1];
        const QPoint at = overMaster ? Frame()->KnobRect(kMasterKnob).center() : QPoint(2, 2);
        DragKnob(kMasterKnob, 0.5);
        DragKnob(kLocalKnob, 0.5);
        WAIT_VERIFY2(Mixer().Volume(MixerLine::Master) == kFull / 2, "Master not at half");
        QWheelEvent wheel(at, target->mapToGlobal(at), {}, QPoint(0, 120), Qt::NoButton, {}, Qt::NoScrollPhase, false);
        QSpontaneKeyEvent::setSpontaneous(&wheel);  // as from the window system: handed on to the parents
        qApp->notify(target, &wheel);
        WAIT_VERIFY2((Mixer().Volume(MixerLine::Master) > kFull / 2) == overMaster, "Master turned or did not");
        QCOMPARE(Knobs().Local() > 500, !overMaster);
    }

    // A server that does not answer within a second gives no mixer; a server that goes away
    // disables the mixer's knobs at once, and Local goes on working.
    void lostServerDisablesTheMixerKnobs()
    {
        server_.Signal(SIGSTOP);
        QVERIFY(!mixer::PulseMixer::Connect());
        DragKnob(kMasterKnob, 0.25);  // written without waiting for the stopped server
        server_.Signal(SIGCONT);
        server_.Stop();
        WAIT_VERIFY2(!Knobs().MixerEnabled(), "the mixer's knobs stayed enabled");
        const int masterTop = Knobs().KnobTop(kMasterKnob);
        DragKnob(kMasterKnob, 1);
        QCOMPARE(Knobs().KnobTop(kMasterKnob), masterTop);
        DragKnob(kLocalKnob, 1);
        QCOMPARE(Knobs().Local(), 1000);
        test::MainWindowFixture fixture;
        const auto later = fixture.Load("UseMCI=1\n");
        QVERIFY(!later->Mixer());
        QVERIFY(!later->Controls().volumeFrame->Knobs().MixerEnabled());
    }
};

QTEST_MAIN(TestMainWindowVolume)
#include "tst_main_window_volume.moc"
