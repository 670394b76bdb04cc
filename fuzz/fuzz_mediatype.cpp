// Fuzz target: the media type signature tests over any header window.
#include "mediainfo/MediaType.h"

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const size_t n = size < vistrel::kHeaderWindowBytes ? size : vistrel::kHeaderWindowBytes;
    const vistrel::MediaType type = vistrel::GetMediaTypeFromWindow(std::vector<uint8_t>(data, data + n));
    if (type < 0 || type > 200 || vistrel::GetMediaTypeName(type).size() > 16)
        __builtin_trap();
    return 0;
}
