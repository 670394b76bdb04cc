// Temporary copies and the AVI repair in the main window under Xvfb on the GStreamer back
// end: a file another descriptor writes plays from a copy that Stop wipes; a damaged AVI
// (its header list's size broken, which GStreamer refuses) plays after the repair tool
// rebuilt it, and without the tool it cannot be played. A copy left by a process that is gone
// is removed at start.
#include "app/MainControls.h"
#include "e2e/NullSinkRecording.h"
#include "playback/TitlePlayControl.h"
#include "support/MainWindowFixture.h"

#include <QLabel>
#include <QPushButton>
#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

using namespace vistrel;

namespace {

constexpr int kWaitMs = 60000;  // the repair runs ffmpeg on a loaded machine
constexpr int kSoundPeak = 2000;

#define WAIT_VERIFY2(condition, message) QVERIFY2(QTest::qWaitFor([&] { return bool(condition); }, kWaitMs), message)

int Peak(const QByteArray& raw)
{
    int peak = 0;
    for (qsizetype i = 0; i + 1 < raw.size(); i += 2)
        peak = std::max(peak, std::abs(int(*reinterpret_cast<const int16_t*>(raw.constData() + i))));
    return peak;
}

// A file whose header list ("hdrl") claims far more bytes than the file has.
void WriteDamagedAvi(const std::string& path)
{
    std::vector<uint8_t> bytes = test::ReadFile(test::Fixture("avi_mjpeg_pcm.avi"));
    QCOMPARE(std::string(bytes.begin() + 20, bytes.begin() + 24), "hdrl");
    bytes[16] = 0xF0, bytes[17] = 0xFF, bytes[18] = 0xFF, bytes[19] = 0x7F;
    test::WriteFile(path, bytes);
}

}  // namespace

class TestE2eTempCopies : public QObject {
    Q_OBJECT

    test::MainWindowFixture fixture_;
    QProcess parecord_;
    test::MsgBoxRecorder boxes_;
    std::unique_ptr<MainWindow> window_;
    std::string temp_, tool_;

    const MainControls& Controls() const { return window_->Controls(); }
    const TitleState& Title() const { return window_->Title(); }
    void Click(int button) { QTest::mouseClick(Controls().playButtons[button], Qt::LeftButton); }  // 2 Stop
    void ClickFile(const QString& name)
    {
        QListView* files = Controls().fileList;
        const int row = files->model()->match(files->model()->index(0, 0), Qt::DisplayRole, name, 1, Qt::MatchExactly).value(0).row();
        QTest::mouseClick(files->viewport(), Qt::LeftButton, {}, test::RowRect(*window_, row).center());
    }
    QStringList TempFiles() const { return QDir(QString::fromStdString(temp_)).entryList(QDir::Files | QDir::System); }

    // True once a 100 ms slice of the null sink is loud.
    bool Heard()
    {
        return QTest::qWaitFor([&] { return Peak(parecord_.readAllStandardOutput()) > kSoundPeak; }, kWaitMs);
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(QGuiApplication::platformName() == "xcb", "e2e tests run under Xvfb: run through ./test.sh");
        QVERIFY2(test::StartNullSinkRecording(parecord_, kWaitMs), "no sound from nullsink.monitor: run through ./test.sh");
        test::WriteFile(fixture_.Path("written.mp3"), test::ReadFile(test::Demo("a_major_chord.mp3")));
        WriteDamagedAvi(fixture_.Path("damaged.divx"));  // an AVI by its header, not its name
        WriteDamagedAvi(fixture_.Path("damaged again.avi"));
        temp_ = fixture_.Path("temp") + "/";
        tool_ = fixture_.Path("tools/DivFix");
        QVERIFY(QDir().mkpath(QString::fromStdString(fixture_.Path("tools"))));
        QVERIFY(QDir().mkpath(QString::fromStdString(temp_)));
        QVERIFY2(QFile::copy(VISTREL_BINARY_DIR "/DivFix", QString::fromStdString(tool_)), "the build made no DivFix");
        test::WriteFile(temp_ + "VistrelFFFFFFF.tmp", "left by a process that is gone");
        window_ = fixture_.Show("UseMCI=0\nTempPath=" + temp_ + "\nPathToDivFix=" + tool_ + "\n", fixture_.Path());
        QCOMPARE(TempFiles(), QStringList());
        QCOMPARE(Controls().mediaInterfaceLabel->text(), "DirectShow");
    }

    void cleanupTestCase()
    {
        if (window_)
            window_->close();
        parecord_.kill();
        parecord_.waitForFinished(kWaitMs);
    }

    // Our own descriptor writes the file: the copy (ours alone) plays and is heard, and Stop
    // wipes it.
    void fileBeingWrittenPlaysFromACopy()
    {
        const int writer = ::open(fixture_.Path("written.mp3").c_str(), O_WRONLY);
        QVERIFY(writer >= 0);
        ClickFile("written.mp3");
        char pid[16];
        std::snprintf(pid, sizeof pid, "%X", unsigned(::getpid()));
        const std::string copy = temp_ + "Vistrel" + pid + ".tmp";
        WAIT_VERIFY2(Title().playState == MMSTATE_PLAY, "not playing");
        QCOMPARE(Title().CurrentTitle, copy);
        QCOMPARE(Controls().tipLabel->text(), "File is used by another application! Creating temporary copy...");
        struct stat st {};
        QVERIFY(::stat(copy.c_str(), &st) == 0);
        QCOMPARE(st.st_mode & 0777, mode_t(0600));
        QVERIFY2(Heard(), "the copy is not heard in the null sink");
        Click(2);
        ::close(writer);
        QCOMPARE(TempFiles(), QStringList());
        QVERIFY(boxes_.Messages().empty());
    }

    // The repaired copy plays with label 0 saying so in dark red; nothing stays in the folder.
    void damagedAviPlaysAfterRepair()
    {
        ClickFile("damaged.divx");
        WAIT_VERIFY2(Title().playState == MMSTATE_PLAY,
                     boxes_.Messages().empty() ? "not playing" : boxes_.Messages().back().text.c_str());
        QLabel* label0 = Controls().formatInfoLabels[0];
        QVERIFY2(label0->text().endsWith(" (corrupt)"), qPrintable(label0->text()));
        QCOMPARE(label0->palette().color(QPalette::WindowText), QColor(128, 0, 0));
        QVERIFY(window_->isEnabled());
        Click(2);
        QCOMPARE(TempFiles(), QStringList());
        QVERIFY(boxes_.Messages().empty());
    }

    // Without the tool the damaged file plays on MCI, which reads past the damage; when the
    // other back end is not to be tried, it cannot be played.
    void withoutTheToolItCannotBePlayed()
    {
        QVERIFY(QFile::remove(QString::fromStdString(tool_)));
        ClickFile("damaged again.avi");
        WAIT_VERIFY2(Title().playState == MMSTATE_PLAY, "MCI did not take the damaged file over");
        QCOMPARE(Controls().tipLabel->text(), QString("Playing with MCI: DirectShow cannot open this file"));
        Click(2);
        window_->TitlePlay().TryOtherInterface = false;
        ClickFile("damaged again.avi");
        window_->TitlePlay().TryOtherInterface = true;
        WAIT_VERIFY2(!boxes_.Messages().empty(), "no message");
        QCOMPARE(boxes_.Messages().back().text, "Cannot play this file");
        QCOMPARE(Title().playState, MMSTATE_CLOSED);
        QCOMPARE(TempFiles(), QStringList());
    }

    // On MCI the file itself plays, also while another descriptor writes it.
    void mciMakesNoCopy()
    {
        const int writer = ::open(fixture_.Path("written.mp3").c_str(), O_WRONLY);
        QTest::mousePress(Controls().mediaInterfaceLabel, Qt::LeftButton);
        QCOMPARE(Controls().mediaInterfaceLabel->text(), "MCI");
        ClickFile("written.mp3");
        WAIT_VERIFY2(Title().playState == MMSTATE_PLAY, "not playing");
        QCOMPARE(Title().CurrentTitle, fixture_.Path("written.mp3"));
        QCOMPARE(TempFiles(), QStringList());
        Click(2);
        ::close(writer);
    }
};

QTEST_MAIN(TestE2eTempCopies)
#include "tst_e2e_temp_copies.moc"
