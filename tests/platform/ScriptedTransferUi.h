#pragma once
// A TransferUi that answers from scripts and records what the user would have been asked.
#include "platform/shell/CopyEngine.h"

#include <string>
#include <vector>

namespace vistrel::test {

class ScriptedTransferUi : public shell::TransferUi {
public:
    // Letters: R Replace, A Replace All, S Skip, K Skip All, C Cancel (conflicts); R Retry,
    // S Skip, C Cancel (errors). Past the end of a script the answer is Skip.
    std::string conflictAnswers;
    std::string errorAnswers;
    int cancelAtProgress = 0;  // the n-th Progress call answers "cancelled"
    std::vector<std::string> asked;  // "conflict NAME in FOLDER", "error NAME: REASON"

    bool Progress(shell::FileOp, const std::string&, int, int, uint64_t, uint64_t) override
    {
        return ++progressCalls_ != cancelAtProgress;
    }
    shell::ConflictAnswer AskConflict(const std::string& name, const std::string&) override
    {
        asked.push_back("conflict " + name);
        using shell::ConflictAnswer;
        switch (Next(conflictAnswers, conflicts_)) {
        case 'R': return ConflictAnswer::Replace;
        case 'A': return ConflictAnswer::ReplaceAll;
        case 'K': return ConflictAnswer::SkipAll;
        case 'C': return ConflictAnswer::Cancel;
        default: return ConflictAnswer::Skip;
        }
    }
    shell::ErrorAnswer AskError(shell::FileOp, const std::string& name, const std::string& reason) override
    {
        asked.push_back("error " + name + ": " + reason);
        const char answer = Next(errorAnswers, errors_);
        return answer == 'R' ? shell::ErrorAnswer::Retry
                             : (answer == 'C' ? shell::ErrorAnswer::Cancel : shell::ErrorAnswer::Skip);
    }

private:
    static char Next(const std::string& script, size_t& used) { return used < script.size() ? script[used++] : 'S'; }
    int progressCalls_ = 0;
    size_t conflicts_ = 0;
    size_t errors_ = 0;
};

}  // namespace vistrel::test
