// The MCI command parser (DESIGN.md section 3, MCI row): every string Part 3.1 and its test
// panel send, MCI's spelling rules, and the error code of each malformed command.
#include "platform/mci/MciCommand.h"

#include <QtTest>

using namespace vistrel;
using namespace vistrel::mci;

namespace {

MciCommand Parsed(const std::string& text)
{
    MciCommand command;
    const MciError error = ParseMciCommand(text, command);
    if (error != 0)
        qWarning("unexpected error %u for '%s'", error, text.c_str());
    return command;
}

MciError ErrorOf(const std::string& text)
{
    MciCommand command;
    return ParseMciCommand(text, command);
}

}  // namespace

class TestMciCommand : public QObject {
    Q_OBJECT

private slots:
    void openWithStyleParentAndType()
    {
        // Part 3.1 B.6: style clause + type clause, two blanks after the alias.
        const MciCommand c = Parsed("open \"/m/a b.avi\" alias voice1  style child parent 1234 type MPEGVideo2");
        QCOMPARE(c.verb, Verb::Open);
        QCOMPARE(c.element, std::string("/m/a b.avi"));
        QCOMPARE(c.device, std::string("voice1"));
        QVERIFY(c.styleChild);
        QCOMPARE(c.parent.value_or(0), WindowHandle{1234});
        QCOMPARE(c.type, std::string("MPEGVideo2"));
    }

    void openWithoutTypeHasTrailingBlank()
    {
        const MciCommand c = Parsed("open \"/m/x.mp3\" alias voice1  style child parent 99 ");
        QCOMPARE(c.element, std::string("/m/x.mp3"));
        QCOMPARE(c.parent.value_or(0), WindowHandle{99});
        QVERIFY(c.type.empty());
    }

    void openParentBeforeStyle()
    {
        // Part 3.1 B.9: the separate video window.
        const MciCommand c = Parsed("open \"f.mp4\" alias voice1  parent 1234  style child");
        QVERIFY(c.styleChild);
        QCOMPARE(c.parent.value_or(0), WindowHandle{1234});
    }

    void openWithEmptyClause()
    {
        const MciCommand c = Parsed("open \"f.mp4\" alias voice1 ");
        QCOMPARE(c.device, std::string("voice1"));
        QVERIFY(!c.parent);
        QVERIFY(!c.styleChild);
        QVERIFY(c.type.empty());
    }

    void openKeywordsAnyCaseAndBlanks()
    {
        const MciCommand c = Parsed("  \tOPEN   \"Grüße mit Leerzeichen.ogg\"\tALIAS Voice1   TYPE mpegvideo  ");
        QCOMPARE(c.element, std::string("Grüße mit Leerzeichen.ogg"));
        QCOMPARE(c.device, std::string("Voice1"));
        QCOMPARE(c.type, std::string("mpegvideo"));
    }

    void openWithoutAliasNamesTheDeviceByTheFile()
    {
        const MciCommand c = Parsed("open /m/plain.wav");
        QCOMPARE(c.element, std::string("/m/plain.wav"));
        QCOMPARE(c.device, std::string("/m/plain.wav"));
    }

    void openErrors()
    {
        QCOMPARE(ErrorOf("open \"/m/no end.mp3 alias voice1"), MCIERR_NO_CLOSING_QUOTE);
        QCOMPARE(ErrorOf("open"), MCIERR_MISSING_DEVICE_NAME);
        QCOMPARE(ErrorOf("open \"\" alias a"), MCIERR_MISSING_DEVICE_NAME);
        QCOMPARE(ErrorOf("open f alias"), MCIERR_MISSING_STRING_ARGUMENT);
        QCOMPARE(ErrorOf("open f alias a type"), MCIERR_MISSING_STRING_ARGUMENT);
        QCOMPARE(ErrorOf("open f alias a style"), MCIERR_MISSING_PARAMETER);
        QCOMPARE(ErrorOf("open f alias a style sideways"), MCIERR_BAD_CONSTANT);
        QCOMPARE(ErrorOf("open f alias a parent"), MCIERR_MISSING_PARAMETER);
        QCOMPARE(ErrorOf("open f alias a parent 12x"), MCIERR_BAD_INTEGER);
        QCOMPARE(ErrorOf("open f alias a alias b"), MCIERR_DUPLICATE_FLAGS);
        QCOMPARE(ErrorOf("open f alias a loudly"), MCIERR_UNRECOGNIZED_KEYWORD);
    }

    void openPopupStyleHasNoChild()
    {
        QVERIFY(!Parsed("open f alias a style popup").styleChild);
        QVERIFY(!Parsed("open f alias a style overlapped shareable").styleChild);
    }

    void close()
    {
        QCOMPARE(Parsed("close voice1").device, std::string("voice1"));
        QCOMPARE(Parsed("Close All").device, std::string("All"));
        QCOMPARE(ErrorOf("close"), MCIERR_MISSING_DEVICE_NAME);
        QCOMPARE(ErrorOf("close voice1 now"), MCIERR_UNRECOGNIZED_KEYWORD);
    }

    void play()
    {
        MciCommand c = Parsed("play voice1");
        QCOMPARE(c.verb, Verb::Play);
        QVERIFY(!c.from && !c.to);
        c = Parsed("play voice1 from 900 to 1000");
        QCOMPARE(c.from.value_or(0), 900u);
        QCOMPARE(c.to.value_or(0), 1000u);
        c = Parsed("PLAY voice1 TO 5 FROM 0");
        QCOMPARE(c.from.value_or(1), 0u);
        QCOMPARE(c.to.value_or(0), 5u);
    }

    void playErrors()
    {
        QCOMPARE(ErrorOf("play voice1 from"), MCIERR_MISSING_PARAMETER);
        QCOMPARE(ErrorOf("play voice1 from abc"), MCIERR_BAD_INTEGER);
        QCOMPARE(ErrorOf("play voice1 from -5"), MCIERR_BAD_INTEGER);
        QCOMPARE(ErrorOf("play voice1 from 4294967296"), MCIERR_BAD_INTEGER);
        QCOMPARE(ErrorOf("play voice1 from 1 from 2"), MCIERR_DUPLICATE_FLAGS);
        QCOMPARE(ErrorOf("play voice1 backwards"), MCIERR_UNRECOGNIZED_KEYWORD);
        QCOMPARE(ErrorOf("play all"), MCIERR_CANNOT_USE_ALL);
        QCOMPARE(ErrorOf("play"), MCIERR_MISSING_DEVICE_NAME);
    }

    void pauseResumeStop()
    {
        QCOMPARE(Parsed("pause voice1").verb, Verb::Pause);
        QCOMPARE(Parsed("resume voice1 ").verb, Verb::Resume);  // Part 3.1: one trailing blank
        QCOMPARE(Parsed("play voice1 ").verb, Verb::Play);
        QCOMPARE(Parsed("stop voice1").verb, Verb::Stop);
        QCOMPARE(ErrorOf("stop voice1 soon"), MCIERR_UNRECOGNIZED_KEYWORD);
    }

    void seek()
    {
        MciCommand c = Parsed("seek voice1 to 1234");
        QCOMPARE(c.seekTarget, SeekTarget::Position);
        QCOMPARE(c.seekPosition, 1234u);
        QCOMPARE(Parsed("seek voice1 to start").seekTarget, SeekTarget::Start);
        QCOMPARE(Parsed("seek voice1 to END").seekTarget, SeekTarget::End);
        QCOMPARE(ErrorOf("seek voice1"), MCIERR_MISSING_PARAMETER);
        QCOMPARE(ErrorOf("seek voice1 to"), MCIERR_MISSING_PARAMETER);
        QCOMPARE(ErrorOf("seek voice1 to x"), MCIERR_BAD_INTEGER);
        QCOMPARE(ErrorOf("seek voice1 to 5 6"), MCIERR_EXTRA_CHARACTERS);
        QCOMPARE(ErrorOf("seek voice1 towards 5"), MCIERR_UNRECOGNIZED_KEYWORD);
    }

    void set()
    {
        QVERIFY(Parsed("set voice1 time format milliseconds").setsTimeFormat);
        QVERIFY(Parsed("set voice1 time format MS").setsTimeFormat);
        QCOMPARE(Parsed("set voice1 speed 1500").speed.value_or(0), 1500u);
        const MciCommand both = Parsed("set voice1 speed 500 time format ms");
        QVERIFY(both.setsTimeFormat);
        QCOMPARE(both.speed.value_or(0), 500u);
        QCOMPARE(ErrorOf("set voice1 time format frames"), MCIERR_BAD_TIME_FORMAT);
        QCOMPARE(ErrorOf("set voice1 time format"), MCIERR_MISSING_PARAMETER);
        QCOMPARE(ErrorOf("set voice1 speed"), MCIERR_MISSING_PARAMETER);
        QCOMPARE(ErrorOf("set voice1 speed fast"), MCIERR_BAD_INTEGER);
        QCOMPARE(ErrorOf("set voice1 speed 1 speed 2"), MCIERR_DUPLICATE_FLAGS);
        QCOMPARE(ErrorOf("set voice1"), MCIERR_MISSING_PARAMETER);
        QCOMPARE(ErrorOf("set voice1 door open"), MCIERR_UNRECOGNIZED_KEYWORD);
    }

    void setAudio()
    {
        MciCommand c = Parsed("setaudio voice1 volume to 750");
        QCOMPARE(c.audio, AudioAction::Volume);
        QCOMPARE(c.audioValue, 750u);
        QCOMPARE(Parsed("setaudio voice1 off").audio, AudioAction::Off);
        QCOMPARE(Parsed("SetAudio voice1 ON").audio, AudioAction::On);
        c = Parsed("setaudio voice1 stream to 2");
        QCOMPARE(c.audio, AudioAction::Stream);
        QCOMPARE(c.audioValue, 2u);
        QCOMPARE(Parsed("setaudio voice1 stream to 0").audioValue, 0u);  // test panel "cannedButton(0)"
        QCOMPARE(ErrorOf("setaudio voice1 volume 5"), MCIERR_MISSING_PARAMETER);
        QCOMPARE(ErrorOf("setaudio voice1 volume to"), MCIERR_MISSING_PARAMETER);
        QCOMPARE(ErrorOf("setaudio voice1 volume to loud"), MCIERR_BAD_INTEGER);
        QCOMPARE(ErrorOf("setaudio voice1 loud"), MCIERR_UNRECOGNIZED_KEYWORD);
        QCOMPARE(ErrorOf("setaudio voice1"), MCIERR_MISSING_PARAMETER);
        QCOMPARE(ErrorOf("setaudio voice1 off now"), MCIERR_EXTRA_CHARACTERS);
    }

    void statusItems_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("item");
        QTest::newRow("mode") << "status voice1 mode" << int(StatusItem::Mode);
        QTest::newRow("length") << "status voice1 length" << int(StatusItem::Length);
        QTest::newRow("Position") << "status voice1 Position" << int(StatusItem::Position);
        QTest::newRow("window") << "status voice1 window handle" << int(StatusItem::WindowHandle);
        QTest::newRow("nominal") << "status voice1 nominal frame rate" << int(StatusItem::NominalFrameRate);
        QTest::newRow("rate") << "status voice1 frame rate" << int(StatusItem::FrameRate);
        QTest::newRow("tracks") << "status voice1 number of audio tracks" << int(StatusItem::NumberOfAudioTracks);
        QTest::newRow("stream") << "status voice1 audio stream" << int(StatusItem::AudioStream);
        QTest::newRow("speed") << "status voice1 speed" << int(StatusItem::Speed);
        QTest::newRow("skipped") << "status voice1 frames skipped" << int(StatusItem::FramesSkipped);
        QTest::newRow("format") << "status voice1 time format" << int(StatusItem::TimeFormat);
        QTest::newRow("volume") << "status voice1 volume" << int(StatusItem::Volume);
        QTest::newRow("ready") << "status voice1 ready" << int(StatusItem::Ready);
        QTest::newRow("blanks") << "  STATUS  voice1   Window   Handle  " << int(StatusItem::WindowHandle);
    }

    void statusItems()
    {
        QFETCH(QString, text);
        QFETCH(int, item);
        const MciCommand c = Parsed(text.toStdString());
        QCOMPARE(c.verb, Verb::Status);
        QCOMPARE(c.device, std::string("voice1"));
        QCOMPARE(int(c.item), item);
    }

    void statusErrors()
    {
        // The test panel's second box starts with this text.
        QCOMPARE(ErrorOf("status voice1 speed 50"), MCIERR_EXTRA_CHARACTERS);
        QCOMPARE(ErrorOf("status voice1 colour"), MCIERR_UNRECOGNIZED_KEYWORD);
        QCOMPARE(ErrorOf("status voice1 window"), MCIERR_UNRECOGNIZED_KEYWORD);
        QCOMPARE(ErrorOf("status voice1"), MCIERR_MISSING_PARAMETER);
        QCOMPARE(ErrorOf("status all mode"), MCIERR_CANNOT_USE_ALL);
    }

    void commandErrors()
    {
        QCOMPARE(ErrorOf(""), MCIERR_MISSING_COMMAND_STRING);
        QCOMPARE(ErrorOf("   \t "), MCIERR_MISSING_COMMAND_STRING);
        QCOMPARE(ErrorOf("jump voice1"), MCIERR_UNRECOGNIZED_COMMAND);
        QCOMPARE(ErrorOf("\"open\" f alias a"), MCIERR_UNRECOGNIZED_COMMAND);
        QCOMPARE(ErrorOf("status \"voice1"), MCIERR_NO_CLOSING_QUOTE);
    }

    void sameWordIgnoresAsciiCaseOnly()
    {
        QVERIFY(SameWord("Voice1", "vOICE1"));
        QVERIFY(!SameWord("voice1", "voice2"));
        QVERIFY(!SameWord("voice", "voice1"));
        QVERIFY(SameWord("ü", "ü"));
    }
};

QTEST_APPLESS_MAIN(TestMciCommand)
#include "tst_mci_command.moc"
