#include "platform/mci/MciCommand.h"

#include <array>
#include <charconv>
#include <limits>
#include <vector>

namespace vistrel::mci {

namespace {

struct Token {
    std::string text;
    bool quoted = false;
};

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

char Lower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

MciError Tokenize(std::string_view text, std::vector<Token>& tokens)
{
    size_t i = 0;
    while (i < text.size()) {
        if (IsBlank(text[i])) {
            ++i;
        } else if (text[i] == '"') {
            const size_t close = text.find('"', i + 1);
            if (close == std::string_view::npos)
                return MCIERR_NO_CLOSING_QUOTE;
            tokens.push_back({std::string(text.substr(i + 1, close - i - 1)), true});
            i = close + 1;
        } else {
            size_t end = i;
            while (end < text.size() && !IsBlank(text[end]))
                ++end;
            tokens.push_back({std::string(text.substr(i, end - i)), false});
            i = end;
        }
    }
    return 0;
}

// The words of one command, consumed from the front.
class Words {
public:
    explicit Words(std::vector<Token> tokens) : tokens_(std::move(tokens)) {}

    bool atEnd() const { return next_ >= tokens_.size(); }

    // Takes the next word when it is `keyword` (unquoted, any case).
    bool take(std::string_view keyword)
    {
        if (atEnd() || tokens_[next_].quoted || !SameWord(tokens_[next_].text, keyword))
            return false;
        ++next_;
        return true;
    }

    // Takes the phrase `keywords` when all its words follow, otherwise nothing.
    template <size_t N>
    bool takePhrase(const std::array<std::string_view, N>& keywords)
    {
        const size_t start = next_;
        for (std::string_view keyword : keywords) {
            if (!take(keyword)) {
                next_ = start;
                return false;
            }
        }
        return true;
    }

    std::optional<Token> takeAny()
    {
        if (atEnd())
            return std::nullopt;
        return tokens_[next_++];
    }

private:
    std::vector<Token> tokens_;
    size_t next_ = 0;
};

template <typename Number>
MciError TakeNumber(Words& words, Number& value)
{
    const std::optional<Token> token = words.takeAny();
    if (!token)
        return MCIERR_MISSING_PARAMETER;
    const std::string& text = token->text;
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos)
        return MCIERR_BAD_INTEGER;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return MCIERR_BAD_INTEGER;
    return 0;
}

MciError TakeString(Words& words, std::string& value)
{
    const std::optional<Token> token = words.takeAny();
    if (!token || token->text.empty())
        return MCIERR_MISSING_STRING_ARGUMENT;
    value = token->text;
    return 0;
}

// A clause keyword may stand once per command.
class SeenClauses {
public:
    bool firstTime(int clause)
    {
        const unsigned bit = 1u << clause;
        const bool first = (seen_ & bit) == 0;
        seen_ |= bit;
        return first;
    }

private:
    unsigned seen_ = 0;
};

MciError ParseStyle(Words& words, MciCommand& out)
{
    if (words.take("child")) {
        out.styleChild = true;
        return 0;
    }
    if (words.take("popup") || words.take("overlapped"))
        return 0;
    return words.atEnd() ? MCIERR_MISSING_PARAMETER : MCIERR_BAD_CONSTANT;
}

MciError ParseOpenClauses(Words& words, MciCommand& out)
{
    enum { Alias, Type, Style, Parent, Shareable };
    SeenClauses seen;
    while (!words.atEnd()) {
        int clause = 0;
        MciError error = 0;
        if (words.take("alias")) {
            clause = Alias;
            error = TakeString(words, out.device);
        } else if (words.take("type")) {
            clause = Type;
            error = TakeString(words, out.type);
        } else if (words.take("style")) {
            clause = Style;
            error = ParseStyle(words, out);
        } else if (words.take("parent")) {
            clause = Parent;
            WindowHandle parent = 0;
            error = TakeNumber(words, parent);
            out.parent = parent;
        } else if (words.take("shareable")) {
            clause = Shareable;
        } else {
            return MCIERR_UNRECOGNIZED_KEYWORD;
        }
        if (error)
            return error;
        if (!seen.firstTime(clause))
            return MCIERR_DUPLICATE_FLAGS;
    }
    return 0;
}

MciError ParseOpen(Words& words, MciCommand& out)
{
    const std::optional<Token> element = words.takeAny();
    if (!element || element->text.empty())
        return MCIERR_MISSING_DEVICE_NAME;
    out.element = element->text;
    if (const MciError error = ParseOpenClauses(words, out))
        return error;
    if (out.device.empty())
        out.device = out.element;  // MCI: without an alias the element names the device
    return 0;
}

MciError ParsePlay(Words& words, MciCommand& out)
{
    while (!words.atEnd()) {
        std::optional<uint32_t>* target = nullptr;
        if (words.take("from"))
            target = &out.from;
        else if (words.take("to"))
            target = &out.to;
        else
            return MCIERR_UNRECOGNIZED_KEYWORD;
        if (target->has_value())
            return MCIERR_DUPLICATE_FLAGS;
        uint32_t value = 0;
        if (const MciError error = TakeNumber(words, value))
            return error;
        *target = value;
    }
    return 0;
}

MciError ParseSeek(Words& words, MciCommand& out)
{
    if (!words.take("to"))
        return words.atEnd() ? MCIERR_MISSING_PARAMETER : MCIERR_UNRECOGNIZED_KEYWORD;
    if (words.take("start"))
        out.seekTarget = SeekTarget::Start;
    else if (words.take("end"))
        out.seekTarget = SeekTarget::End;
    else if (const MciError error = TakeNumber(words, out.seekPosition))
        return error;
    return words.atEnd() ? 0 : MCIERR_EXTRA_CHARACTERS;
}

MciError ParseTimeFormat(Words& words, MciCommand& out)
{
    if (words.atEnd())
        return MCIERR_MISSING_PARAMETER;
    if (!words.take("milliseconds") && !words.take("ms"))
        return MCIERR_BAD_TIME_FORMAT;
    out.setsTimeFormat = true;
    return 0;
}

MciError ParseSet(Words& words, MciCommand& out)
{
    if (words.atEnd())
        return MCIERR_MISSING_PARAMETER;
    while (!words.atEnd()) {
        MciError error = 0;
        if (words.takePhrase(std::array<std::string_view, 2>{"time", "format"})) {
            if (out.setsTimeFormat)
                return MCIERR_DUPLICATE_FLAGS;
            error = ParseTimeFormat(words, out);
        } else if (words.take("speed")) {
            if (out.speed)
                return MCIERR_DUPLICATE_FLAGS;
            uint32_t speed = 0;
            error = TakeNumber(words, speed);
            out.speed = speed;
        } else {
            return MCIERR_UNRECOGNIZED_KEYWORD;
        }
        if (error)
            return error;
    }
    return 0;
}

MciError ParseSetAudio(Words& words, MciCommand& out)
{
    MciError error = 0;
    if (words.take("volume")) {
        out.audio = AudioAction::Volume;
        error = words.take("to") ? TakeNumber(words, out.audioValue) : MCIERR_MISSING_PARAMETER;
    } else if (words.take("stream")) {
        out.audio = AudioAction::Stream;
        error = words.take("to") ? TakeNumber(words, out.audioValue) : MCIERR_MISSING_PARAMETER;
    } else if (words.take("off")) {
        out.audio = AudioAction::Off;
    } else if (words.take("on")) {
        out.audio = AudioAction::On;
    } else {
        return words.atEnd() ? MCIERR_MISSING_PARAMETER : MCIERR_UNRECOGNIZED_KEYWORD;
    }
    if (error)
        return error;
    return words.atEnd() ? 0 : MCIERR_EXTRA_CHARACTERS;
}

MciError ParseStatusItem(Words& words, StatusItem& item)
{
    using Two = std::array<std::string_view, 2>;
    using Three = std::array<std::string_view, 3>;
    using Four = std::array<std::string_view, 4>;
    if (words.take("mode")) item = StatusItem::Mode;
    else if (words.take("length")) item = StatusItem::Length;
    else if (words.take("position")) item = StatusItem::Position;
    else if (words.takePhrase(Two{"window", "handle"})) item = StatusItem::WindowHandle;
    else if (words.takePhrase(Three{"nominal", "frame", "rate"})) item = StatusItem::NominalFrameRate;
    else if (words.takePhrase(Two{"frame", "rate"})) item = StatusItem::FrameRate;
    else if (words.takePhrase(Four{"number", "of", "audio", "tracks"})) item = StatusItem::NumberOfAudioTracks;
    else if (words.takePhrase(Two{"audio", "stream"})) item = StatusItem::AudioStream;
    else if (words.take("speed")) item = StatusItem::Speed;
    else if (words.takePhrase(Two{"frames", "skipped"})) item = StatusItem::FramesSkipped;
    else if (words.takePhrase(Two{"time", "format"})) item = StatusItem::TimeFormat;
    else if (words.take("volume")) item = StatusItem::Volume;
    else if (words.take("ready")) item = StatusItem::Ready;
    else return words.atEnd() ? MCIERR_MISSING_PARAMETER : MCIERR_UNRECOGNIZED_KEYWORD;
    return 0;
}

MciError ParseStatus(Words& words, MciCommand& out)
{
    if (const MciError error = ParseStatusItem(words, out.item))
        return error;
    return words.atEnd() ? 0 : MCIERR_EXTRA_CHARACTERS;
}

MciError ParseWhere(Words& words, MciCommand& out)
{
    if (words.take("source"))
        out.rect = VideoRect::Source;
    else if (words.take("destination"))
        out.rect = VideoRect::Destination;
    else
        return words.atEnd() ? MCIERR_MISSING_PARAMETER : MCIERR_UNRECOGNIZED_KEYWORD;
    return words.atEnd() ? 0 : MCIERR_EXTRA_CHARACTERS;
}

MciError ExpectEnd(Words& words)
{
    return words.atEnd() ? 0 : MCIERR_UNRECOGNIZED_KEYWORD;
}

std::optional<Verb> VerbOf(const Token& word)
{
    struct Entry {
        std::string_view name;
        Verb verb;
    };
    static constexpr Entry kVerbs[] = {
        {"open", Verb::Open},     {"close", Verb::Close},   {"play", Verb::Play},
        {"pause", Verb::Pause},   {"resume", Verb::Resume}, {"stop", Verb::Stop},
        {"seek", Verb::Seek},     {"set", Verb::Set},       {"setaudio", Verb::SetAudio},
        {"status", Verb::Status}, {"where", Verb::Where},
    };
    if (word.quoted)
        return std::nullopt;
    for (const Entry& entry : kVerbs) {
        if (SameWord(word.text, entry.name))
            return entry.verb;
    }
    return std::nullopt;
}

MciError ParseAfterDevice(Words& words, MciCommand& out)
{
    switch (out.verb) {
    case Verb::Play: return ParsePlay(words, out);
    case Verb::Seek: return ParseSeek(words, out);
    case Verb::Set: return ParseSet(words, out);
    case Verb::SetAudio: return ParseSetAudio(words, out);
    case Verb::Status: return ParseStatus(words, out);
    case Verb::Where: return ParseWhere(words, out);
    case Verb::Close:
    case Verb::Pause:
    case Verb::Resume:
    case Verb::Stop:
    case Verb::Open: break;
    }
    return ExpectEnd(words);
}

MciError ParseDeviceCommand(Words& words, MciCommand& out)
{
    const std::optional<Token> device = words.takeAny();
    if (!device || device->text.empty())
        return MCIERR_MISSING_DEVICE_NAME;
    out.device = device->text;
    if (SameWord(out.device, "all") && out.verb != Verb::Close)
        return MCIERR_CANNOT_USE_ALL;
    return ParseAfterDevice(words, out);
}

}  // namespace

bool SameWord(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (Lower(a[i]) != Lower(b[i]))
            return false;
    }
    return true;
}

MciError ParseMciCommand(std::string_view text, MciCommand& out)
{
    out = MciCommand{};
    std::vector<Token> tokens;
    if (const MciError error = Tokenize(text, tokens))
        return error;
    if (tokens.empty())
        return MCIERR_MISSING_COMMAND_STRING;
    const std::optional<Verb> verb = VerbOf(tokens.front());
    if (!verb)
        return MCIERR_UNRECOGNIZED_COMMAND;
    out.verb = *verb;
    tokens.erase(tokens.begin());
    Words words(std::move(tokens));
    return out.verb == Verb::Open ? ParseOpen(words, out) : ParseDeviceCommand(words, out);
}

}  // namespace vistrel::mci
