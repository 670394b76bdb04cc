#pragma once
// The media file test that every title passes before it plays. The core decides; the
// main window shows the outcome (refusal box, label colour, labels).
#include "mediainfo/InfoLines.h"
#include "mediainfo/MediaType.h"
#include "support/FilePaths.h"

#include <cstdint>
#include <string>

namespace vistrel {

struct MediaFileTestResult {
    bool Play = false;            // PutFileInfosToLabels's result
    MediaType Detected = 0;       // GetMediaType's code, whatever the outcome
    InfoLines Lines;              // unshortened; the window fits them (FitInfoLines)
    StreamFlags Flags;
    bool Label0Mismatch = false;  // label 0 in dark red: the extension promises another type
    std::string Refusal;          // refused files (100-110): bare name, CR LF, the table's text
};

// `extensionUpper`: the text after the last "." of the name, in capitals, without the dot.
MediaFileTestResult TestMediaFile(const std::string& fullName, const std::string& extensionUpper);

// The type that an extension promises (first matching row of the extension table), else 0.
MediaType ExpectedTypeForExtension(const std::string& extensionUpper);
// The second line of the refusal box for codes 100 to 110; empty for other codes.
std::string RefusalMessage(MediaType code);

// 0 when the file opens and its first 4096 bytes can be read, else the error code of the
// call that failed.
int32_t TestReadFromFile(const std::string& fullName);
// The name the readers open: on Linux every name opens as it is, so the name itself, or
// empty when the file does not exist.
std::string GetAnsiSafeFileName(const std::string& fullName);

}  // namespace vistrel
