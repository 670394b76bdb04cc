// The seek preview in-process under Xvfb on a 6 s clip that is red, green and blue for 2 s
// each: the pointer (put where the test says, the X server's own does not move) hovers
// over the position rail of a paused title; the preview shows after the hover delay with
// the clip's colour at the hovered position and its time, seeks once per position, hides
// when the pointer leaves the rail and goes with Stop. MCI titles get it only when the
// settings ask for it.
#include "app/MainTimers.h"
#include "controls/PositionRail.h"
#include "controls/RailControl.h"
#include "support/MainWindowFixture.h"
#include "video/SeekPreview.h"
#include "video/SeekPreviewWindow.h"

#include <QLabel>
#include <QPushButton>
#include <QtTest>

using namespace vistrel;

namespace {

constexpr int kWaitMs = 30000;
#define WAIT_VERIFY2(condition, message) QVERIFY2(QTest::qWaitFor([&] { return bool(condition); }, kWaitMs), message)

bool Near(QColor seen, QColor expected)
{
    return std::abs(seen.red() - expected.red()) <= 40 && std::abs(seen.green() - expected.green()) <= 40 &&
           std::abs(seen.blue() - expected.blue()) <= 40;
}

}  // namespace

class TestE2eSeekPreview : public QObject {
    Q_OBJECT

private:
    test::MainWindowFixture fixture_;
    test::MsgBoxRecorder boxes_;
    std::unique_ptr<MainWindow> window_;
    QPoint pointer_{-1, -1};

    video::SeekPreview& Preview() const { return window_->SeekPreview(); }
    RailPicture* Rail() const { return window_->Rail().Control().Rail(0); }
    bool Shown() const { return Preview().Visible(); }
    QString Time() const { return Preview().Window() ? Preview().Window()->TimeText() : QString(); }

    // The pointer to fraction `rel` of the rail, as the rail sees a move there.
    void HoverAt(double rel)
    {
        const int x = int(Rail()->width() * rel);
        pointer_ = Rail()->mapToGlobal(QPoint(x, Rail()->height() / 2));
        window_->Rail().RailMouseMove(Qt::NoButton, x);
    }
    QColor PictureCentre() const
    {
        video::SeekPreviewWindow* w = Preview().Window();
        return w->grab().toImage().pixelColor(w->PictureRect().center());
    }

    static void MakeColourClip(const std::string& path)
    {
        QProcess ffmpeg;
        ffmpeg.start("ffmpeg", {"-nostdin", "-v", "error", "-f", "lavfi", "-i", "color=c=red:s=64x36:r=10:d=2", "-f",
                                "lavfi", "-i", "color=c=green:s=64x36:r=10:d=2", "-f", "lavfi", "-i",
                                "color=c=blue:s=64x36:r=10:d=2", "-filter_complex", "[0][1][2]concat=n=3:v=1:a=0",
                                "-c:v", "mpeg4", "-q:v", "2", "-g", "10", "-y", QString::fromStdString(path)});
        QVERIFY2(ffmpeg.waitForFinished(kWaitMs) && ffmpeg.exitCode() == 0, ffmpeg.readAllStandardError().constData());
    }

    // A window on the folder with `keys`, the clip clicked and paused, the pointer ours.
    void PlayPaused(const std::string& keys)
    {
        window_ = fixture_.Show(keys, fixture_.Path());
        Preview().Hooks.PointerPos = [this] { return pointer_; };
        QListView* files = window_->Controls().fileList;
        const QModelIndex row = files->model()->match(files->model()->index(0, 0), Qt::DisplayRole, "rgb.avi").value(0);
        QVERIFY(row.isValid());
        QTest::mouseClick(files->viewport(), Qt::LeftButton, {}, files->visualRect(row).center());
        WAIT_VERIFY2(window_->Title().playState == MMSTATE_PLAY && window_->Title().videoWindow != 0,
                     boxes_.Messages().empty() ? "not playing" : boxes_.Messages().back().text.c_str());
        QTest::mouseClick(window_->Controls().playButtons[1], Qt::LeftButton);
        WAIT_VERIFY2(window_->Title().playState == MMSTATE_PAUSE, "not paused");
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(QGuiApplication::platformName() == "xcb", "e2e tests run under Xvfb: run through ./test.sh");
        MakeColourClip(fixture_.Path("rgb.avi"));
    }

    void cleanup()
    {
        window_.reset();
        QVERIFY2(boxes_.Messages().empty(), boxes_.Messages().empty() ? "" : boxes_.Messages().back().text.c_str());
    }

    // Hover, the delay, the picture and its time, one seek per position, leaving the rail
    // and Stop, on each back end with and without SeekPreviewWithMCI.
    void previewFollowsTheHover_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<bool>("shown");
        QTest::newRow("DirectShow") << "UseMCI=0\n" << true;
        QTest::newRow("MCI") << "UseMCI=1\n" << false;
        QTest::newRow("MCI, SeekPreviewWithMCI=1") << "UseMCI=1\nSeekPreviewWithMCI=1\n" << true;
    }
    void previewFollowsTheHover()
    {
        QFETCH(QString, keys);
        QFETCH(bool, shown);
        PlayPaused(keys.toStdString());
        if (QTest::currentTestFailed())
            return;
        QTimer* delay = window_->Timers().showSeekPreviewTimer;
        HoverAt(0.55);
        QVERIFY(!Shown());
        if (!shown) {
            QVERIFY(!delay->isActive());
            QTest::qWait(delay->interval() + 300);
            QVERIFY(!Shown() && !Preview().Window());
            return;
        }
        QVERIFY(delay->isActive());  // the hover delay runs
        WAIT_VERIFY2(Shown(), "no preview after the hover");
        QCOMPARE(Preview().Window()->PictureRect().size(), QSize(160, 90));
        QCOMPARE(Time(), QString(" 0:03 "));
        QVERIFY2(Near(PictureCentre(), QColor(0, 128, 0)), qPrintable(PictureCentre().name()));
        QCOMPARE(Preview().SeekCount(), 1);

        HoverAt(0.1);
        WAIT_VERIFY2(Time() == " 0:00 " && Preview().SeekCount() == 2, qPrintable(Time()));
        QVERIFY2(Near(PictureCentre(), QColor(255, 0, 0)), qPrintable(PictureCentre().name()));
        // Over another pixel and back before the frame follows: the same position, no seek.
        HoverAt(0.9);
        HoverAt(0.1);
        QTimer* follow = window_->Timers().updateSeekPreviewTimer;
        WAIT_VERIFY2(!follow->isActive(), "the follow-up did not run");
        QCOMPARE(Preview().SeekCount(), 2);

        pointer_ = Rail()->mapToGlobal(QPoint(Rail()->width() / 2, -40));
        WAIT_VERIFY2(!Shown(), "the preview stayed after the pointer left the rail");
        HoverAt(0.9);
        WAIT_VERIFY2(Shown() && Time() == " 0:05 ", "the preview did not come back");
        QVERIFY2(Near(PictureCentre(), QColor(0, 0, 255)), qPrintable(PictureCentre().name()));
        QTest::mouseClick(window_->Controls().playButtons[2], Qt::LeftButton);
        QVERIFY(!Preview().Window() && !Preview().HaveVid());
    }
};

QTEST_MAIN(TestE2eSeekPreview)
#include "tst_e2e_seek_preview.moc"
