// Fuzz target: the whole media file test (detection, the reader of the detected type,
// the lines). The extension comes from the first byte, so mismatches are exercised too.
#include "FuzzInput.h"
#include "mediainfo/MediaFileTest.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const char* const extensions[] = {"mp3", "mpg", "vob", "ts", "avi", "wav", "mov", "mp4", "wmv",
                                             "flv", "rm", "mid", "flac", "au", "aif", "webp", "ac3", "ogg"};
    const std::string extension = size > 0 ? extensions[data[0] % 18] : "bin";
    const std::string& file = vistrel::fuzz::Input().Write(data, size, extension);
    const vistrel::MediaFileTestResult r = vistrel::TestMediaFile(file, vistrel::UpperExtension(file));
    if (r.Detected < 0 || r.Detected > 200)
        __builtin_trap();
    return 0;
}
