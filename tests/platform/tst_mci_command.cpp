// The MCI command parser: every form the MCI voice and the MCI test panel send, MCI's
// spelling rules, and the error code of each malformed command.
#include "platform/mci/MciCommand.h"

#include <QtTest>

using namespace vistrel;
using namespace vistrel::mci;

namespace {

// In the order of StatusItem.
const char* const kStatusItems[] = {"mode", "length", "position", "window handle", "nominal frame rate",
                                    "frame rate", "number of audio tracks", "audio stream", "speed",
                                    "frames skipped", "time format", "volume", "ready"};

// Every field the parse set, so that one row also catches a field set by mistake.
std::string Describe(const MciCommand& c)
{
    static const char* const kVerbs[] = {"open", "close", "play", "pause", "resume",
                                         "stop", "seek", "set", "setaudio", "status"};
    static const char* const kAudio[] = {"volume", "off", "on", "stream"};
    std::string s = std::string(kVerbs[int(c.verb)]) + " [" + c.device + "]";
    const auto add = [&](bool present, const std::string& text) { s += present ? " " + text : ""; };
    add(!c.element.empty(), "file=" + c.element);
    add(!c.type.empty(), "type=" + c.type);
    add(c.styleChild, "child");
    add(c.parent.has_value(), "parent=" + std::to_string(c.parent.value_or(0)));
    add(c.from.has_value(), "from=" + std::to_string(c.from.value_or(0)));
    add(c.to.has_value(), "to=" + std::to_string(c.to.value_or(0)));
    add(c.verb == Verb::Seek, c.seekTarget == SeekTarget::Start ? "start"
                              : c.seekTarget == SeekTarget::End ? "end"
                                                                : std::to_string(c.seekPosition));
    add(c.setsTimeFormat, "ms");
    add(c.speed.has_value(), "speed=" + std::to_string(c.speed.value_or(0)));
    add(c.verb == Verb::SetAudio, kAudio[int(c.audio)] + ("=" + std::to_string(c.audioValue)));
    add(c.verb == Verb::Status, kStatusItems[int(c.item)]);
    return s;
}

}  // namespace

class TestMciCommand : public QObject {
    Q_OBJECT

private slots:
    void parses_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char* text, const char* expected) { QTest::newRow(text) << text << expected; };
        // The voice's open forms: two blanks after the alias, clauses in either order.
        row("open \"/m/a b.avi\" alias voice1  style child parent 1234 type MPEGVideo2",
            "open [voice1] file=/m/a b.avi type=MPEGVideo2 child parent=1234");
        row("open \"f.mp4\" alias voice1  parent 1234  style child", "open [voice1] file=f.mp4 child parent=1234");
        row("open \"f.mp4\" alias voice1 ", "open [voice1] file=f.mp4");
        row("  \tOPEN   \"Grüße mit Leerzeichen.ogg\"\tALIAS Voice1   TYPE mpegvideo  ",
            "open [Voice1] file=Grüße mit Leerzeichen.ogg type=mpegvideo");
        row("open /m/plain.wav", "open [/m/plain.wav] file=/m/plain.wav");  // the file names the device
        row("open f alias a style overlapped shareable", "open [a] file=f");
        row("Close All", "close [All]");
        row("PLAY voice1 TO 5 FROM 0", "play [voice1] from=0 to=5");
        row("play voice1 from 4294967295", "play [voice1] from=4294967295");
        row("pause voice1", "pause [voice1]");
        row("resume voice1 ", "resume [voice1]");
        row("stop voice1", "stop [voice1]");
        row("seek voice1 to 1234", "seek [voice1] 1234");
        row("seek voice1 to start", "seek [voice1] start");
        row("seek voice1 to END", "seek [voice1] end");
        row("set voice1 time format milliseconds", "set [voice1] ms");
        row("set voice1 speed 500 TIME FORMAT ms", "set [voice1] ms speed=500");
        row("setaudio voice1 volume to 750", "setaudio [voice1] volume=750");
        row("setaudio voice1 off", "setaudio [voice1] off=0");
        row("SetAudio voice1 ON", "setaudio [voice1] on=0");
        row("setaudio voice1 stream to 2", "setaudio [voice1] stream=2");
        row("  STATUS  voice1   Window   Handle  ", "status [voice1] window handle");
        for (const char* item : kStatusItems)
            QTest::newRow(item) << "status voice1 " + QString(item) << "status [voice1] " + QString(item);
    }

    void parses()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        MciCommand command;
        QCOMPARE(ParseMciCommand(text.toStdString(), command), MciError{0});
        QCOMPARE(QString::fromStdString(Describe(command)), expected);
    }

    void errors_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<MciError>("code");
        const auto rows = [](MciError code, std::initializer_list<const char*> texts) {
            for (const char* text : texts)
                QTest::newRow(text) << text << code;
        };
        rows(MCIERR_MISSING_COMMAND_STRING, {"", "   \t "});
        rows(MCIERR_UNRECOGNIZED_COMMAND, {"jump voice1", "\"open\" f alias a"});
        rows(MCIERR_NO_CLOSING_QUOTE, {"open \"/m/no end.mp3 alias voice1", "status \"voice1"});
        rows(MCIERR_MISSING_DEVICE_NAME, {"open", "open \"\" alias a", "close"});
        rows(MCIERR_MISSING_STRING_ARGUMENT, {"open f alias", "open f alias a type"});
        rows(MCIERR_MISSING_PARAMETER, {"open f alias a style", "open f alias a parent", "play voice1 from",
                                        "seek voice1", "seek voice1 to", "set voice1", "set voice1 time format",
                                        "setaudio voice1", "setaudio voice1 volume 5", "status voice1"});
        rows(MCIERR_BAD_CONSTANT, {"open f alias a style sideways"});
        rows(MCIERR_BAD_INTEGER, {"open f alias a parent 12x", "play voice1 from -5", "play voice1 from 4294967296",
                                  "seek voice1 to x", "set voice1 speed fast", "setaudio voice1 volume to loud"});
        rows(MCIERR_DUPLICATE_FLAGS, {"open f alias a alias b", "play voice1 from 1 from 2", "set voice1 speed 1 speed 2"});
        rows(MCIERR_UNRECOGNIZED_KEYWORD, {"open f alias a loudly", "close voice1 now", "stop voice1 soon",
                                           "play voice1 backwards", "seek voice1 towards 5", "set voice1 door open",
                                           "setaudio voice1 loud", "status voice1 window"});
        rows(MCIERR_CANNOT_USE_ALL, {"play all", "status all mode"});
        // "status voice1 speed 50": the test panel's second box starts with this text.
        rows(MCIERR_EXTRA_CHARACTERS, {"seek voice1 to 5 6", "setaudio voice1 off now", "status voice1 speed 50"});
        rows(MCIERR_BAD_TIME_FORMAT, {"set voice1 time format frames"});
    }

    void errors()
    {
        QFETCH(QString, text);
        QFETCH(MciError, code);
        MciCommand command;
        QCOMPARE(ParseMciCommand(text.toStdString(), command), code);
    }
};

QTEST_APPLESS_MAIN(TestMciCommand)
#include "tst_mci_command.moc"
