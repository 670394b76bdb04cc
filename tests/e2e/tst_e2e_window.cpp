// The main window in-process under Xvfb: opened on a folder it is titled "Vistrel", lists
// the folder's media files in order, and is really drawn on the X screen (a grab of its
// window shows the list's text, not a blank area).
#include "support/MainWindowFixture.h"

#include <QScreen>
#include <QSet>
#include <QtTest>

using namespace vistrel;

static int DarkPixels(const QImage& image)
{
    int dark = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            dark += qGray(image.pixel(x, y)) < 96;
    return dark;
}

class TestE2eWindow : public QObject {
    Q_OBJECT

private slots:
    void windowListsTheFolderAndIsDrawn()
    {
        QVERIFY2(QGuiApplication::platformName() == "xcb", "e2e tests run under Xvfb: use ./test.sh");
        test::MainWindowFixture fixture;
        const auto window = fixture.Show({}, VISTREL_SOURCE_DIR "/demo");
        QCOMPARE(window->windowTitle(), QString("Vistrel"));
        const QListView* files = window->Controls().fileList;
        QStringList listed;
        for (int i = 0; i < files->model()->rowCount(); ++i)
            listed << files->model()->index(i, 0).data().toString();
        QCOMPARE(listed, QStringList({"a_major_chord.mp3", "chime.wav", "mandelbrot.mkv", "twinkle.mid",
                                      "vistrel_testcard.mp4"}));

        // The list's five rows carry dark text once the first paint has reached the server;
        // its lower half is empty.
        const QRect listArea(files->viewport()->mapTo(window.get(), QPoint(0, 0)), files->viewport()->size());
        QImage shot, list;
        QVERIFY2(QTest::qWaitFor([&] {
            shot = window->screen()->grabWindow(window->winId()).toImage();
            list = shot.copy(listArea);
            return DarkPixels(list.copy(0, 0, list.width(), list.height() / 4)) > 100;
        }, 30000), "no text in the file list");
        QCOMPARE(shot.size(), window->size() * window->devicePixelRatio());
        QSet<QRgb> colours;
        for (int y = 0; y < shot.height(); y += 2)
            for (int x = 0; x < shot.width(); x += 2)
                colours.insert(shot.pixel(x, y));
        QVERIFY2(colours.size() > 20, "the grab is a blank window");
        QCOMPARE(DarkPixels(list.copy(0, list.height() / 2, list.width(), list.height() / 2)), 0);
    }
};

QTEST_MAIN(TestE2eWindow)
#include "tst_e2e_window.moc"
