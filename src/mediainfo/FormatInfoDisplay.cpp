#include "mediainfo/FormatInfoDisplay.h"

#include <utility>
#include <vector>

namespace vistrel {

namespace {

using Replacement = std::pair<const char*, const char*>;

struct FittingPass {
    const char* OnlyWhenContains;  // nullptr: every line that does not fit
    std::vector<Replacement> Replacements;
};

const std::vector<FittingPass>& FittingPasses()
{
    static const std::vector<FittingPass> passes{
        {"VBR", {{"kbps", "kb"}}},
        {nullptr, {{"Stereo", "St."}, {"Dual Channel", "Dual Ch."}}},
        {nullptr, {{"Layer-", "L-"}, {"release", "rel"}}},
        {nullptr, {{"  ", " "}}},
    };
    return passes;
}

}  // namespace

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to)
{
    if (from.empty())
        return text;
    for (size_t pos = text.find(from); pos != std::string::npos; pos = text.find(from, pos + to.size()))
        text.replace(pos, from.size(), to);
    return text;
}

void FitInfoLines(InfoLines& lines, const TextWidthFn& textWidth, int labelWidth)
{
    for (const FittingPass& pass : FittingPasses()) {
        for (int i = kFirstFittedLabel; i <= kLastShownLabel; ++i) {
            std::string& line = lines[static_cast<size_t>(i)];
            if (textWidth(line) <= labelWidth)
                continue;
            if (pass.OnlyWhenContains && line.find(pass.OnlyWhenContains) == std::string::npos)
                continue;
            for (const auto& [from, to] : pass.Replacements)
                line = ReplaceAll(line, from, to);
        }
    }
}

}  // namespace vistrel
