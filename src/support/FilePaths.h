#pragma once
// Small routines over POSIX paths and file names, used by every layer. Folders are often
// held with a trailing "/", so that a name can be appended directly.
#include <string>

namespace vistrel {

bool FileExists(const std::string& path, const std::string& base = {});
bool IsFolder(const std::string& path);
std::string AddTrailingSlash(const std::string& text);  // appends "/" unless empty or already there
std::string RemoveTrailingSlashes(std::string path);  // "/" stays
std::string TrimBlanks(const std::string& text);
// The value of one hexadecimal digit (either case); -1 for any other character.
int HexDigitValue(char c);
std::string TrimAtNull(const std::string& text);
std::string GetContainingFolder(const std::string& path);
std::string GetNearestExistingFolder(const std::string& path);
std::string GetFileNamePart(const std::string& path);
std::string GetExtension(const std::string& name);
std::string MakeAbsolute(const std::string& path, const std::string& base);
// The text after the last "." of the file's name, ASCII letters upper-cased ("MP4").
std::string UpperExtension(const std::string& fileName);

}  // namespace vistrel
