#pragma once
// File names as URI lists, the way desktop programs exchange files by drag and drop and
// on the clipboard: text/uri-list (one "file://" URI per line, CR LF) and
// x-special/gnome-copied-files ("copy" or "cut", then the URIs, lines ended by LF).
// Every byte of a name other than letters, digits, "-", ".", "_", "~" and "/" is
// percent-encoded, so names that are not valid UTF-8 or hold "%", "#", "?" or line breaks
// come back exactly as they were.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vistrel::shell {

// "file://" + the encoded full name.
std::string FileUri(const std::string& fullName);
// The full name of a local file URI ("file:///p" or "file://localhost/p"); nothing for
// another scheme or host, a query or fragment, a bad escape or an encoded NUL.
std::optional<std::string> FileUriToName(std::string_view uri);

std::string EncodeUriList(const std::vector<std::string>& fullNames);
// The local files of a URI list; comment lines ("#") and other URIs are left out.
std::vector<std::string> DecodeUriList(std::string_view list);

struct CopiedFiles {
    bool cut = false;
    std::vector<std::string> files;
};
std::string EncodeCopiedFiles(const CopiedFiles& copied);
// Nothing when the first line is neither "copy" nor "cut".
std::optional<CopiedFiles> DecodeCopiedFiles(std::string_view text);

}  // namespace vistrel::shell
