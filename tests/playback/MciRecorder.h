#pragma once
// A scripted stand-in for the MCI command service: records every command string exactly
// and every wait of Part 3.1, and answers with scripted codes and replies.
#include "playback/MciVoice.h"

#include <deque>
#include <map>
#include <string>
#include <vector>

namespace vistrel::test {

struct MciAnswer {
    MciError code = 0;
    std::string reply;
};

class MciRecorder {
public:
    std::vector<std::string> commands;
    std::vector<int32_t> sleeps;
    MciAnswer defaultAnswer;  // for commands without a script

    MciRecorder()
    {
        MciVoice::Hooks = {};
        MciVoice::Hooks.Sleep = [this](int32_t ms) { sleeps.push_back(ms); };
        MciVoice::MCILastError = 0;
        MciVoice::SetCommandSender({[this](const std::string& c, std::string& r) { return Send(c, r); },
                                        [](MciError code) { return ErrorText(code); }});
    }
    ~MciRecorder()
    {
        MciVoice::SetCommandSender({});
        MciVoice::Hooks = {};
        MciVoice::MCILastError = 0;
    }
    MciRecorder(const MciRecorder&) = delete;
    MciRecorder& operator=(const MciRecorder&) = delete;

    // Every later `command` answers this.
    void Answer(const std::string& command, MciError code, const std::string& reply = {})
    {
        fixed_[command] = {code, reply};
    }
    // The next sends of `command` answer these in turn, then the fixed answer.
    void Queue(const std::string& command, std::vector<MciAnswer> answers)
    {
        auto& queue = queued_[command];
        queue.insert(queue.end(), answers.begin(), answers.end());
    }
    // Commands other than `command` (status queries and so on) are dropped.
    std::vector<std::string> Without(const std::string& command) const
    {
        std::vector<std::string> rest;
        for (const std::string& c : commands)
            if (c != command)
                rest.push_back(c);
        return rest;
    }
    int Count(const std::string& command) const
    {
        int n = 0;
        for (const std::string& c : commands)
            n += c == command;
        return n;
    }
    static std::string ErrorText(MciError code) { return code == 0 ? std::string{} : "MCI error " + std::to_string(code); }

private:
    MciError Send(const std::string& command, std::string& reply)
    {
        commands.push_back(command);
        MciAnswer answer = defaultAnswer;
        if (auto q = queued_.find(command); q != queued_.end() && !q->second.empty()) {
            answer = q->second.front();
            q->second.pop_front();
        } else if (auto f = fixed_.find(command); f != fixed_.end()) {
            answer = f->second;
        }
        reply = answer.reply;
        return answer.code;
    }

    std::map<std::string, MciAnswer> fixed_;
    std::map<std::string, std::deque<MciAnswer>> queued_;
};

}  // namespace vistrel::test
