#pragma once
// `ChannelsText`, the channel names shared by the format readers. The texts are those of
// `GetChannelsText` (RiffText.h); this one takes any count, not only a 16-bit one.
#include <cstdint>
#include <string>

namespace vistrel {

// 0 (and negative counts): empty; 1 "Mono"; 2 "Stereo"; 3 "Joint Stereo"; 4 "Quad";
// above 4 the count and "ch." (6 gives "6ch.").
std::string ChannelsText(int64_t count);

}  // namespace vistrel
