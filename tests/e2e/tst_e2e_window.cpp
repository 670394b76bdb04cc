// End to end under Xvfb, in-process: the main window opened on a folder is titled
// "Vistrel", lists the folder's media files in order, and is really drawn on the X
// screen (a grab of its window shows the list's text, not a blank area).
#include "app/ProgramValues.h"
#include "app/MainWindow.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QDir>
#include <QListWidget>
#include <QScreen>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>

using namespace vistrel;

namespace {

int DarkPixels(const QImage& image)
{
    int dark = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 96)
                ++dark;
    return dark;
}

int DistinctColours(const QImage& image)
{
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); y += 2)
        for (int x = 0; x < image.width(); x += 2)
            colours.insert(image.pixel(x, y));
    return colours.size();
}

}  // namespace

class TestE2eWindow : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;

private slots:
    void initTestCase()
    {
        QVERIFY2(QGuiApplication::platformName() == "xcb", "e2e tests run under Xvfb: use ./test.sh");
    }

    void windowListsTheFolderAndIsDrawn()
    {
        program::IniFile = dir_.filePath("Vistrel.ini").toStdString();
        program::IniBackupFile = dir_.filePath("Vistrel.bak").toStdString();
        program::CommandLineArg = VISTREL_SOURCE_DIR "/demo";
        MainWindow window(dir_.filePath("vistrel").toStdString());
        program::CommandLineArg.clear();
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.windowTitle(), QString("Vistrel"));

        const auto* files = window.findChild<QListWidget*>("fileList");
        QStringList listed;
        for (int i = 0; i < files->count(); ++i)
            listed << files->item(i)->text();
        QCOMPARE(listed, QStringList({"a_major_chord.mp3", "chime.wav", "mandelbrot.mkv", "twinkle.mid",
                                      "vistrel_testcard.mp4"}));

        QTest::qWait(300);  // let the first paint reach the server
        const QImage shot = window.screen()->grabWindow(window.winId()).toImage();
        QVERIFY(!shot.isNull());
        QCOMPARE(shot.size(), window.size() * window.devicePixelRatio());
        QVERIFY2(DistinctColours(shot) > 20, "the grab is a blank window");
        // The list's rows carry dark text where its five names are drawn.
        const QRect listArea(files->viewport()->mapTo(&window, QPoint(0, 0)), files->viewport()->size());
        const QImage list = shot.copy(listArea);
        QVERIFY2(DarkPixels(list.copy(0, 0, list.width(), list.height() / 4)) > 100, "no text in the file list");
        QCOMPARE(DarkPixels(list.copy(0, list.height() / 2, list.width(), list.height() / 2)), 0);
        window.close();
    }
};

QTEST_MAIN(TestE2eWindow)
#include "tst_e2e_window.moc"
