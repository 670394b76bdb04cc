#include "mediainfo/ChannelsText.h"

#include "mediainfo/InfoLines.h"
#include "mediainfo/RiffText.h"

namespace vistrel {

std::string ChannelsText(int64_t count)
{
    if (count <= 0)
        return {};
    if (count > 4)
        return FormatWhole(count) + "ch.";
    return GetChannelsText(static_cast<int16_t>(count));  // the named counts 1 to 4
}

}  // namespace vistrel
