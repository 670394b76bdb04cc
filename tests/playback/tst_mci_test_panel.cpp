// The MCI test panel: each button sends its exact command and shows the reply, the error
// text or nothing; the typed command gives the focus back to its box.
#include "playback/MciTestPanel.h"
#include "support/MciRecorder.h"

#include <QtTest>

using namespace vistrel;

class TestMciTestPanel : public QObject {
    Q_OBJECT

private slots:
    void buttons()
    {
        test::MciRecorder rec;
        MciTestPanel panel;
        QCOMPARE(panel.DeviceTypeText(), std::string());  // no device type forced on the next open
        panel.show();
        QVERIFY(QTest::qWaitForWindowActive(&panel));
        QWidget* typed = panel.findChild<QWidget*>("commandEdit");
        typed->setProperty("text", " status voice1 mode ");
        const std::vector<std::tuple<const char*, MciError, std::string, QString>> rows{  // the device answers "junk"
            {"sendButton", 263, " status voice1 mode ", ">junk<  MCI error 263"},
            {"tracksButton", 0, "status voice1 number of audio tracks", "junk"},
            {"audioStreamButton", 263, "status voice1 audio stream", "MCI error 263"},
            {"setAudioStreamButtons_1", 274, "setaudio voice1 stream to 2", "MCI error 274"},
            {"cannedButtons_2", 263, "setaudio voice1 stream to 2", ""},
            {"secondSendButton", 263, "status voice1 speed 50", ""}};
        for (const auto& [name, code, command, label] : rows) {
            QWidget* button = panel.findChild<QWidget*>(name);
            rec.transcript.clear();
            rec.Answer({{command, code, "junk"}});
            panel.findChild<QWidget*>("replyLabel")->setProperty("text", "");
            button->setFocus();
            QTest::mouseClick(button, Qt::LeftButton);
            QCOMPARE(rec.transcript, std::vector<std::string>{command});
            QCOMPARE(panel.findChild<QWidget*>("replyLabel")->property("text").toString(), label);
            QTRY_COMPARE(typed->hasFocus(), button->objectName() == "sendButton");
        }
    }
};

QTEST_MAIN(TestMciTestPanel)
#include "tst_mci_test_panel.moc"
