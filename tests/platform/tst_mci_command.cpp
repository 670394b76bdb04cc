// The MCI command parser: the forms the MCI voice and the MCI test panel send that the service
// tests do not already run, MCI's spelling rules, and the error code of each malformed command.
#include "platform/mci/MciCommand.h"

#include <QtTest>

using namespace vistrel;
using namespace vistrel::mci;

namespace {

// Every field the parse set, so that one row also catches a field set by mistake; "error N"
// for a command refused.
QString Parse(const std::string& text)
{
    MciCommand c;
    if (const MciError code = ParseMciCommand(text, c))
        return QString("error %1").arg(code);
    static const char* const kVerbs[] = {"open", "close", "play", "pause", "resume",
                                         "stop", "seek", "set", "setaudio", "status", "where"};
    static const char* const kAudio[] = {"volume", "off", "on", "stream"};
    static const char* const kItems[] = {"mode", "length", "position", "window handle", "nominal frame rate",
                                         "frame rate", "number of audio tracks", "audio stream", "speed",
                                         "frames skipped", "time format", "volume", "ready"};
    std::string s = std::string(kVerbs[int(c.verb)]) + " [" + c.device + "]";
    const auto add = [&](bool present, const std::string& text) { s += present ? " " + text : ""; };
    add(!c.element.empty(), "file=" + c.element);
    add(!c.type.empty(), "type=" + c.type);
    add(c.styleChild, "child");
    add(c.parent.has_value(), "parent=" + std::to_string(c.parent.value_or(0)));
    add(c.from.has_value(), "from=" + std::to_string(c.from.value_or(0)));
    add(c.to.has_value(), "to=" + std::to_string(c.to.value_or(0)));
    add(c.setsTimeFormat, "ms");
    add(c.speed.has_value(), "speed=" + std::to_string(c.speed.value_or(0)));
    add(c.verb == Verb::SetAudio, kAudio[int(c.audio)] + ("=" + std::to_string(c.audioValue)));
    add(c.verb == Verb::Status, kItems[int(c.item)]);
    add(c.verb == Verb::Where, c.rect == VideoRect::Source ? "source" : "destination");
    return QString::fromStdString(s);
}

}  // namespace

class TestMciCommand : public QObject {
    Q_OBJECT

private slots:
    void parses_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char* text, const QString& expected) { QTest::newRow(text) << text << expected; };
        const auto errors = [&row](MciError code, std::initializer_list<const char*> texts) {
            for (const char* text : texts)
                row(text, QString("error %1").arg(code));
        };
        // The voice's open forms: two blanks after the alias, clauses in either order.
        row("open \"/m/a b.avi\" alias voice1  style child parent 1234 type MPEGVideo2",
            "open [voice1] file=/m/a b.avi type=MPEGVideo2 child parent=1234");
        row("open \"f.mp4\" alias voice1  parent 1234  style child", "open [voice1] file=f.mp4 child parent=1234");
        row("  \tOPEN   \"Grüße mit Leerzeichen.ogg\"\tALIAS Voice1   TYPE mpegvideo  ",
            "open [Voice1] file=Grüße mit Leerzeichen.ogg type=mpegvideo");
        row("open /m/plain.wav", "open [/m/plain.wav] file=/m/plain.wav");  // the file names the device
        row("open f alias a style overlapped shareable", "open [a] file=f");
        row("Close All", "close [All]");
        row("PLAY voice1 TO 5 FROM 0", "play [voice1] from=0 to=5");
        row("play voice1 from 4294967295", "play [voice1] from=4294967295");
        row("set voice1 time format milliseconds", "set [voice1] ms");
        row("set voice1 speed 500 TIME FORMAT ms", "set [voice1] ms speed=500");
        row("SetAudio voice1 ON", "setaudio [voice1] on=0");
        row("  STATUS  voice1   Window   Handle  ", "status [voice1] window handle");
        row("Where voice1 DESTINATION", "where [voice1] destination");
        errors(MCIERR_MISSING_COMMAND_STRING, {"", "   \t "});
        errors(MCIERR_UNRECOGNIZED_COMMAND, {"jump voice1", "\"open\" f alias a"});
        errors(MCIERR_NO_CLOSING_QUOTE, {"open \"/m/no end.mp3 alias voice1", "status \"voice1"});
        errors(MCIERR_MISSING_DEVICE_NAME, {"open", "open \"\" alias a", "close"});
        errors(MCIERR_MISSING_STRING_ARGUMENT, {"open f alias", "open f alias a type"});
        errors(MCIERR_MISSING_PARAMETER, {"open f alias a style", "open f alias a parent", "play voice1 from",
                                          "seek voice1", "seek voice1 to", "set voice1", "set voice1 time format",
                                          "setaudio voice1", "setaudio voice1 volume 5", "status voice1",
                                          "where voice1"});
        errors(MCIERR_BAD_CONSTANT, {"open f alias a style sideways"});
        errors(MCIERR_BAD_INTEGER, {"open f alias a parent 12x", "play voice1 from -5", "play voice1 from 4294967296",
                                    "seek voice1 to x", "set voice1 speed fast", "setaudio voice1 volume to loud"});
        errors(MCIERR_DUPLICATE_FLAGS,
               {"open f alias a alias b", "play voice1 from 1 from 2", "set voice1 speed 1 speed 2"});
        errors(MCIERR_UNRECOGNIZED_KEYWORD, {"open f alias a loudly", "close voice1 now", "stop voice1 soon",
                                             "play voice1 backwards", "seek voice1 towards 5", "set voice1 door open",
                                             "setaudio voice1 loud", "status voice1 window", "where voice1 frame"});
        errors(MCIERR_CANNOT_USE_ALL, {"play all", "status all mode"});
        // "status voice1 speed 50": the test panel's second box starts with this text.
        errors(MCIERR_EXTRA_CHARACTERS,
               {"seek voice1 to 5 6", "setaudio voice1 off now", "status voice1 speed 50", "where voice1 source max"});
        errors(MCIERR_BAD_TIME_FORMAT, {"set voice1 time format frames"});
    }

    void parses()
    {
        QFETCH(QString, text);
        QTEST(Parse(text.toStdString()), "expected");
    }
};

QTEST_APPLESS_MAIN(TestMciCommand)
#include "tst_mci_command.moc"
