#pragma once
// The playing title's state as other subsystems read it (player front, position rail,
// video layout, keyboard handling).
// The title play control owns and writes it; the others hold a const reference.
#include "support/WindowHandle.h"

#include <cstdint>
#include <string>

namespace vistrel {

inline constexpr int32_t MMSTATE_NONE = 0;
inline constexpr int32_t MMSTATE_PAUSE = 1;
inline constexpr int32_t MMSTATE_PLAY = 2;
inline constexpr int32_t MMSTATE_CLOSED = 10;

struct TitleState {
    int32_t playState = MMSTATE_NONE;
    std::string CurrentTitle;
    int32_t CurrentIndex = -1;
    int32_t CurrentTitleLengthMS = 0;
    WindowHandle videoWindow = 0;
    WindowHandle innerVideoWindow = 0;
};

}  // namespace vistrel
