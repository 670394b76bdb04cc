#pragma once
// A scripted stand-in for the MCI command service, installed while it lives. Its transcript
// holds every command exactly as sent, "wait N" for every wait of the voice layer and
// "box: TEXT" for every message box (an exclamation under the program's title).
#include "playback/MciVoice.h"
#include "support/AppTitle.h"
#include "support/MsgBox.h"

#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace vistrel::test {

struct MciAnswer {
    MciAnswer(std::string command, MciError code = 0, std::string reply = {})
        : command(std::move(command)), code(code), reply(std::move(reply))
    {
    }
    std::string command;  // "open *": any command whose first word is "open"; "*": any command
    MciError code;
    std::string reply;
};

class MciRecorder {
public:
    std::vector<std::string> transcript;

    explicit MciRecorder(const std::vector<MciAnswer>& script = {})
    {
        MciVoice::Hooks = {};
        MciVoice::Hooks.Sleep = [this](int32_t ms) { transcript.push_back("wait " + std::to_string(ms)); };
        MciVoice::MCILastError = 0;
        MciVoice::SetCommandSender({[this](const std::string& c, std::string& r) { return Send(c, r); },
                                    [](MciError code) { return code ? "MCI error " + std::to_string(code) : ""; }});
        previousBoxes_ = SetMsgBoxHandler([this](const std::string& text, int flags, const std::string& title) {
            transcript.push_back((flags == kMsgExclamation && title == kAppTitle ? "box: " : "odd box: ") + text);
            return int(kAnswerOk);
        });
        Answer(script);
    }
    ~MciRecorder()
    {
        SetMsgBoxHandler(std::move(previousBoxes_));
        MciVoice::SetCommandSender({});
        MciVoice::Hooks = {};
        MciVoice::MCILastError = 0;
    }
    MciRecorder(const MciRecorder&) = delete;
    MciRecorder& operator=(const MciRecorder&) = delete;

    // From now on each command named answers its entries in turn, and the last one repeats.
    // Commands without answers succeed with an empty reply.
    void Answer(const std::vector<MciAnswer>& script)
    {
        for (const MciAnswer& a : script)
            answers_.erase(a.command);
        for (const MciAnswer& a : script)
            answers_[a.command].push_back(a);
    }
    int Count(const std::string& line) const { return int(std::count(transcript.begin(), transcript.end(), line)); }

private:
    MciError Send(const std::string& command, std::string& reply)
    {
        transcript.push_back(command);
        auto it = answers_.find(command);
        if (it == answers_.end())
            it = answers_.find(command.substr(0, command.find(' ')) + " *");
        if (it == answers_.end())
            it = answers_.find("*");
        if (it == answers_.end())
            return reply.clear(), 0;
        const MciAnswer answer = it->second.front();
        if (it->second.size() > 1)
            it->second.erase(it->second.begin());
        reply = answer.reply;
        return answer.code;
    }

    std::map<std::string, std::vector<MciAnswer>> answers_;
    MsgBoxHandler previousBoxes_;
};

}  // namespace vistrel::test
