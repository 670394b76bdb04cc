// The MCI test panel: each button sends its exact command and shows the reply, the error
// text or nothing; the typed command gives the focus back to its box; the device type box
// names the type for the next open.
#include "playback/MciTestPanel.h"
#include "support/MciRecorder.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace vistrel;

class TestMciTestPanel : public QObject {
    Q_OBJECT

private slots:
    void buttons_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("label");
        QTest::newRow("typed") << "sendButton" << 0 << " status voice1 mode " << ">playing<  ";
        QTest::newRow("typed, failed") << "sendButton" << 263 << " status voice1 mode " << ">junk<  MCI error 263";
        QTest::newRow("tracks") << "tracksButton" << 0 << "status voice1 number of audio tracks" << "playing";
        QTest::newRow("audio stream, failed") << "audioStreamButton" << 263 << "status voice1 audio stream"
                                              << "MCI error 263";
        QTest::newRow("stream 2, failed") << "setAudioStreamButtons_1" << 274 << "setaudio voice1 stream to 2"
                                          << "MCI error 274";
        QTest::newRow("canned 2: silent") << "cannedButtons_2" << 263 << "setaudio voice1 stream to 2" << "";
        QTest::newRow("second box: silent") << "secondSendButton" << 263 << "status voice1 speed 50" << "";
    }

    void buttons()
    {
        QFETCH(QString, button);
        QFETCH(int, code);
        QFETCH(QString, command);
        test::MciRecorder rec({{command.toStdString(), MciError(code), code == 0 ? "playing" : "junk"}});
        MciTestPanel panel;
        panel.show();
        QVERIFY(QTest::qWaitForWindowActive(&panel));
        auto* typed = panel.findChild<QLineEdit*>("commandEdit");
        auto* clicked = panel.findChild<QPushButton*>(button);
        auto* label = panel.findChild<QLabel*>("replyLabel");
        QVERIFY(typed && clicked && label);
        typed->setText(" status voice1 mode ");
        clicked->setFocus();
        QTest::mouseClick(clicked, Qt::LeftButton);
        QCOMPARE(rec.transcript, std::vector<std::string>{command.toStdString()});
        QTEST(label->text(), "label");
        QTRY_COMPARE(typed->hasFocus(), button == "sendButton");
        QCOMPARE(MciVoice::MCILastError, MciError(0));
    }

    void deviceTypeBoxNamesTheTypeOfTheNextOpen()
    {
        MciTestPanel panel;
        auto* box = panel.findChild<QComboBox*>("deviceTypeBox");
        QVERIFY(box);
        QCOMPARE(panel.DeviceTypeText(), std::string());
        box->setCurrentIndex(2);
        QCOMPARE(panel.DeviceTypeText(), std::string("DigitalVideo"));
        box->setCurrentIndex(6);  // the blank entry
        QCOMPARE(panel.DeviceTypeText(), std::string());
    }
};

QTEST_MAIN(TestMciTestPanel)
#include "tst_mci_test_panel.moc"
