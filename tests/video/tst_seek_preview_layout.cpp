// The seek preview's shape, place and time text: the picture over each rail, the window
// kept on the rail's screen, and the tab's " m:ss ".
#include "video/SeekPreview.h"

#include <QtTest>

using namespace vistrel::video;

class TestSeekPreviewLayout : public QObject {
    Q_OBJECT

private slots:
    void pictureSize_data()
    {
        QTest::addColumn<bool>("fullscreen");
        QTest::addColumn<int>("videoWidth");
        QTest::addColumn<double>("aspect");
        QTest::addColumn<QSize>("picture");
        QTest::newRow("16:9 over the main rail") << false << 1920 << 16.0 / 9 << QSize(160, 90);
        QTest::newRow("4:3 over the main rail") << false << 640 << 4.0 / 3 << QSize(160, 120);
        QTest::newRow("fullscreen 1920 / 6") << true << 1920 << 16.0 / 9 << QSize(320, 180);
        QTest::newRow("fullscreen 640: not below the main width") << true << 640 << 16.0 / 9 << QSize(160, 90);
        QTest::newRow("shape unknown: 16:9") << false << 0 << 0.0 << QSize(160, 90);
    }
    void pictureSize()
    {
        QFETCH(bool, fullscreen); QFETCH(int, videoWidth); QFETCH(double, aspect); QFETCH(QSize, picture);
        QCOMPARE(PreviewPictureSize(fullscreen, 160, videoWidth, 6, aspect), picture);
    }

    void windowPos_data()
    {
        QTest::addColumn<int>("centreX");
        QTest::addColumn<QPoint>("topLeft");
        QTest::newRow("centred on the pointer") << 500 << QPoint(420, 650);
        QTest::newRow("kept off the left edge") << 10 << QPoint(0, 650);
        QTest::newRow("kept off the right edge") << 1275 << QPoint(1120, 650);
    }
    void windowPos()
    {
        QFETCH(int, centreX); QFETCH(QPoint, topLeft);
        QCOMPARE(PreviewWindowPos(QSize(160, 110), centreX, 760, QRect(0, 0, 1280, 800)), topLeft);
    }

    void timeText_data()
    {
        QTest::addColumn<qint64>("ms");
        QTest::addColumn<QString>("text");
        QTest::newRow("45 s") << qint64(45'999) << " 0:45 ";
        QTest::newRow("an hour and more") << qint64(3'661'000) << " 61:01 ";
        QTest::newRow("below 0") << qint64(-1) << " 0:00 ";
    }
    void timeText()
    {
        QFETCH(qint64, ms); QFETCH(QString, text);
        QCOMPARE(QString::fromStdString(PreviewTimeText(ms)), text);
    }
};

QTEST_APPLESS_MAIN(TestSeekPreviewLayout)
#include "tst_seek_preview_layout.moc"
