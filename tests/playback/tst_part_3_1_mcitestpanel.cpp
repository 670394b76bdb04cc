// Part 3.1 H: the MCI test panel (offscreen): its controls, the typed command sent exactly,
// the label texts, the focus back to the text box, the canned commands, and deviceTypeBox as
// the device-type override of OpenVoice1.
#include "playback/MciTestPanel.h"
#include "playback/MciVoice.h"
#include "support/TestSupport.h"
#include "playback/MciRecorder.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace vistrel;
using test::MciRecorder;
using Commands = std::vector<std::string>;

class TestMciTestPanel : public QObject {
    Q_OBJECT

private:
    template <typename T>
    static T* Child(const MciTestPanel& panel, const char* name)
    {
        T* child = panel.findChild<T*>(name);
        if (!child)
            qFatal("missing child %s", name);
        return child;
    }
    static QString Label(const MciTestPanel& panel) { return Child<QLabel>(panel, "replyLabel")->text(); }
    static void Click(const MciTestPanel& panel, const char* name)
    {
        QTest::mouseClick(Child<QPushButton>(panel, name), Qt::LeftButton);
    }

private slots:
    void controlsAndInitialTexts()
    {
        MciTestPanel panel;
        QCOMPARE(Child<QLineEdit>(panel, "commandEdit")->text(), QString("status voice1 frames skipped"));
        QCOMPARE(Child<QPushButton>(panel, "sendButton")->text(), QString("Send"));
        QCOMPARE(Label(panel), QString());
        QCOMPARE(Child<QPushButton>(panel, "tracksButton")->text(), QString("Number Of Treks"));
        QCOMPARE(Child<QPushButton>(panel, "audioStreamButton")->text(), QString("Audio Stream"));
        QCOMPARE(Child<QPushButton>(panel, "setAudioStreamButtons_0")->text(), QString("1"));
        QCOMPARE(Child<QPushButton>(panel, "setAudioStreamButtons_1")->text(), QString("2"));
        for (int i = 0; i < 3; ++i)
            QCOMPARE(Child<QPushButton>(panel, qPrintable(QString("cannedButtons_%1").arg(i)))->text(), QString::number(i));
        QCOMPARE(Child<QLineEdit>(panel, "secondCommandEdit")->text(), QString("status voice1 speed 50"));
        QCOMPARE(Child<QPushButton>(panel, "secondSendButton")->text(), QString("send"));
        auto* combo = Child<QComboBox>(panel, "deviceTypeBox");
        QVERIFY(!combo->isEditable());
        QCOMPARE(combo->currentIndex(), -1);
        QCOMPARE(combo->currentText(), QString());
        QStringList items;
        for (int i = 0; i < combo->count(); ++i)
            items << combo->itemText(i);
        QCOMPARE(items, (QStringList{"MPegVideo", "MPegVideo2", "DigitalVideo", "AVIVideo", "WAVEAudio", "ActiveMovie", ""}));
        QCOMPARE(panel.DeviceTypeText(), std::string());
        panel.resize(900, panel.sizeHint().height());
        QVERIFY2(panel.sizeHint().height() <= 80, qPrintable(QString::number(panel.sizeHint().height())));
    }

    void sendShowsReplyAndErrorTextAndGivesTheFocusBack()
    {
        MciRecorder rec;
        MciTestPanel panel;
        panel.show();
        QApplication::setActiveWindow(&panel);
        QVERIFY(QTest::qWaitForWindowActive(&panel));
        auto* box = Child<QLineEdit>(panel, "commandEdit");
        box->clear();
        box->setFocus();
        QTest::keyClicks(box, " status voice1 mode ");
        rec.Answer(" status voice1 mode ", 0, "playing");
        auto* send = Child<QPushButton>(panel, "sendButton");
        send->setFocus();
        QVERIFY(!box->hasFocus());
        Click(panel, "sendButton");
        QCOMPARE(rec.commands, Commands{" status voice1 mode "});
        QCOMPARE(Label(panel), QString(">playing<  "));
        QTRY_VERIFY(box->hasFocus());
        rec.Answer(" status voice1 mode ", 263);
        Click(panel, "sendButton");
        QCOMPARE(Label(panel), QString("><  MCI error 263"));
    }

    void cannedStatusButtonsShowReplyOrErrorText()
    {
        MciRecorder rec;
        MciTestPanel panel;
        rec.Answer("status voice1 number of audio tracks", 0, "2");
        Click(panel, "tracksButton");
        QCOMPARE(Label(panel), QString("2"));
        rec.Answer("status voice1 audio stream", 263, "junk");
        Click(panel, "audioStreamButton");
        QCOMPARE(Label(panel), QString("MCI error 263"));
        Click(panel, "setAudioStreamButtons_0");
        QCOMPARE(Label(panel), QString());
        rec.Answer("setaudio voice1 stream to 2", 274);
        Click(panel, "setAudioStreamButtons_1");
        QCOMPARE(Label(panel), QString("MCI error 274"));
        QCOMPARE(rec.commands, (Commands{"status voice1 number of audio tracks", "status voice1 audio stream",
                                         "setaudio voice1 stream to 1", "setaudio voice1 stream to 2"}));
        QCOMPARE(MciVoice::MCILastError, MciError(0));
    }

    void silentButtonsSendWithoutShowing()
    {
        MciRecorder rec;
        rec.defaultAnswer = {263, "x"};
        MciTestPanel panel;
        Click(panel, "cannedButtons_0");
        Click(panel, "cannedButtons_1");
        Click(panel, "cannedButtons_2");
        Child<QLineEdit>(panel, "secondCommandEdit")->setText("set voice1 speed 500 ");
        Click(panel, "secondSendButton");
        QCOMPARE(rec.commands, (Commands{"setaudio voice1 stream to 0", "setaudio voice1 stream to 1",
                                         "setaudio voice1 stream to 2", "set voice1 speed 500 "}));
        QCOMPARE(Label(panel), QString());
        QCOMPARE(MciVoice::MCILastError, MciError(0));
    }

    void cboMTypeOverridesTheDeviceType()
    {
        MciRecorder rec;
        MciTestPanel panel;
        MciVoice::Hooks.DeviceTypeOverride = [&panel] { return panel.DeviceTypeText(); };
        Child<QComboBox>(panel, "deviceTypeBox")->setCurrentIndex(2);
        QVERIFY(MciVoice::OpenVoice1("/m/a.mp3", 1234, 1000));
        QCOMPARE(rec.commands.at(1), std::string("open \"/m/a.mp3\" alias voice1  style child parent 1234 type DigitalVideo"));
        Child<QComboBox>(panel, "deviceTypeBox")->setCurrentIndex(6);  // the blank entry: no override
        QVERIFY(MciVoice::OpenVoice1("/m/a.mp3", 1234, 1000));
        QCOMPARE(rec.Count("open \"/m/a.mp3\" alias voice1  style child parent 1234 "), 1);
    }
};

QTEST_MAIN(TestMciTestPanel)
#include "tst_part_3_1_mcitestpanel.moc"
