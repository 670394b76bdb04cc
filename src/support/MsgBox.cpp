#include "support/MsgBox.h"

#include <cstdio>

namespace vistrel {

namespace {

MsgBoxHandler& Handler()
{
    static MsgBoxHandler handler;
    return handler;
}

int FirstButton(int flags)
{
    switch (flags & kMsgButtonsMask) {
    case kMsgYesNoCancel:
    case kMsgYesNo: return kAnswerYes;
    default: return kAnswerOk;
    }
}

}  // namespace

int MsgBox(const std::string& text, int flags, const std::string& title)
{
    if (Handler())
        return Handler()(text, flags, title);
    std::fprintf(stderr, "%s: %s\n", title.c_str(), text.c_str());
    return FirstButton(flags);
}

MsgBoxHandler SetMsgBoxHandler(MsgBoxHandler handler)
{
    MsgBoxHandler previous = std::move(Handler());
    Handler() = std::move(handler);
    return previous;
}

}  // namespace vistrel
