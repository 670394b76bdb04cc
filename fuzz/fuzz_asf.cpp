// Fuzz target: GetAsfInfo and its info lines.
#include "ReaderFuzz.h"
#include "mediainfo/AsfInfo.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const vistrel::MediaType detected = size > 0 ? 7 + data[0] % 3 : 9;  // WMA, WMV or ASF
    return vistrel::fuzz::FuzzReader<vistrel::AsfInfo>(
        data, size, "wmv", vistrel::GetAsfInfo,
        [detected](const vistrel::AsfInfo& info, bool ok, vistrel::InfoLines& lines, vistrel::StreamFlags& flags) {
            vistrel::PutAsfInfoLines(info, ok, detected, lines, flags);
        });
}
