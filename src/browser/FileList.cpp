// The window-free core of the file list (see FileList.h).
//
// Wildcard matching. Patterns are not globs; they follow the older wildcard rules that
// pattern lists such as the 63 defaults are written for:
//   - "*" and "*.*" match every name;
//   - every "?" becomes DOS_QM: one character other than ".", or nothing when the name
//     ends or reaches a "." there ("*.ad??" lists "x.ad", "x.ad1" and "x.adts");
//   - a "." followed by "?" or "*", or ending the pattern, becomes DOS_DOT: a "." or the
//     end of the name ("movie.*" lists "movie"; "*." lists the names without a dot);
//   - a "*" followed by "." becomes DOS_STAR: any characters but the name's last ".";
//   - every other character, "." included, stands for itself, case-insensitively.
// WildcardPattern implements exactly these rules. A "." followed by a letter stays a
// plain "."; so "*.rm*" needs a "." followed by "rm" somewhere in the name: "a.rm",
// "a.RMVB" and "a.rm.txt" match, a name without extension ("rmvb", "farm") never does.
#include "browser/FileList.h"

#include <QChar>
#include <QString>

#include <algorithm>
#include <array>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>

namespace vistrel {

namespace {

constexpr std::array<const char*, 63> kDefaultFilePatterns{
    "*.mp3",  "*.mp4",  "*.mp5",  "*.001",  "*.ts",   "*.vob",  "*.mkv",      "*.mka",  "*.mov",  "*.webp",
    "*.mid",  "*.avi",  "*.flac", "*.aif",  "*.au",   "*.ivf",  "*.snd",      "*.wav",  "*.wmv",  "*.wma",
    "*.wvx",  "*.asf",  "*.ogg",  "*.ogv",  "*.oga",  "*.ac3",  "*.aac",      "*.ad??", "*.dts",  "avseq*.dat",
    "*.3g*",  "*.263",  "*.264",  "*.265",  "*.part", "*.ra",   "*.rp*",      "*.rm*",  "*.rt",   "*.divx",
    "*.flv",  "*.mod",  "*.webm", "*.m1s",  "*.mpg",  "*.mpeg", "*.mpga",     "*.mpa",  "*.mpgv", "*.mpv",
    "*.mpgx", "*.mpm",  "*.m1v",  "*.m2v",  "*.m1a",  "*.m2a",  "*.m4v",      "*.m4a",  "*.m4s",  "*.m75",
    "*.m15",  "*.m2s",  "*.mts",
};

// ---- UTF-8 to upper-cased UTF-16 ----

struct CodePoint {
    char32_t value = 0;
    size_t length = 0;  // 0: not valid UTF-8
};

CodePoint DecodeUtf8(std::string_view text, size_t pos)
{
    const auto lead = static_cast<unsigned char>(text[pos]);
    size_t length = 0;
    char32_t value = 0, smallest = 0;
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2, value = lead & 0x1F, smallest = 0x80;
    else if ((lead & 0xF0) == 0xE0)
        length = 3, value = lead & 0x0F, smallest = 0x800;
    else if (lead >= 0xF0 && lead <= 0xF4)
        length = 4, value = lead & 0x07, smallest = 0x10000;
    if (length == 0 || pos + length > text.size())
        return {};
    for (size_t k = 1; k < length; ++k) {
        const auto c = static_cast<unsigned char>(text[pos + k]);
        if ((c & 0xC0) != 0x80)
            return {};
        value = (value << 6) | (c & 0x3F);
    }
    if (value < smallest || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return {};
    return {value, length};
}

void AppendUtf16(std::u16string& out, char32_t value)
{
    if (value < 0x10000) {
        out += static_cast<char16_t>(value);
        return;
    }
    value -= 0x10000;
    out += static_cast<char16_t>(0xD800 + (value >> 10));
    out += static_cast<char16_t>(0xDC00 + (value & 0x3FF));
}

// ---- Filling ----

// A listed name with its sort key.
struct KeyedName {
    std::string name;
    std::u16string upper;
};

// Sorted by the upper-cased names, ties by the bytes; indexes are sorted, not the entries.
std::vector<std::string> SortedNames(std::vector<KeyedName>& entries)
{
    std::vector<uint32_t> order(entries.size());
    for (uint32_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::sort(order.begin(), order.end(), [&](uint32_t x, uint32_t y) {
        const KeyedName& a = entries[x];
        const KeyedName& b = entries[y];
        const int byUpper = a.upper.compare(b.upper);
        return byUpper != 0 ? byUpper < 0 : a.name < b.name;
    });
    std::vector<std::string> names;
    names.reserve(entries.size());
    for (const uint32_t i : order)
        names.push_back(std::move(entries[i].name));
    return names;
}

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};
using DirHandle = std::unique_ptr<DIR, DirCloser>;

// Directories are skipped, also through a symbolic link; a dangling link is listed like a
// file. The file type is only asked for when readdir does not tell.
bool IsDirectoryEntry(DIR* dir, const dirent& entry)
{
    if (entry.d_type == DT_DIR)
        return true;
    if (entry.d_type != DT_LNK && entry.d_type != DT_UNKNOWN)
        return false;
    struct stat st {};
    return ::fstatat(::dirfd(dir), entry.d_name, &st, 0) == 0 && S_ISDIR(st.st_mode);
}

std::unordered_set<std::string> NonEmptyEntries(const std::vector<std::string>& list)
{
    std::unordered_set<std::string> set;
    for (const std::string& entry : list)
        if (!entry.empty())
            set.insert(entry);
    return set;
}

// ---- File sizes ----

// size / 1000, exact and without trailing zeros ("1.5", "1.234", "2").
std::string Thousandths(int64_t size)
{
    std::string decimals = std::to_string(1000 + size % 1000).substr(1);
    decimals.erase(decimals.find_last_not_of('0') + 1);
    return std::to_string(size / 1000) + (decimals.empty() ? "" : "." + decimals);
}

// size / unit with the format "0.0": one decimal, rounded half away from zero.
std::string OneDecimal(int64_t size, int64_t unit)
{
    const int64_t step = unit / 10;
    int64_t tenths = size / step;
    if ((size % step) * 2 >= step)
        ++tenths;
    return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
}

bool IsValidIndex(const std::vector<bool>& selected, int index)
{
    return index >= 0 && static_cast<size_t>(index) < selected.size();
}

}  // namespace

// ---- Pattern list ----

std::vector<std::string> DefaultFilePatterns()
{
    return {kDefaultFilePatterns.begin(), kDefaultFilePatterns.end()};
}

void AddFilePattern(std::vector<std::string>& patterns, const std::string& pattern)
{
    if (pattern.empty())
        return;
    const std::string lower = QString::fromStdString(pattern).toLower().toStdString();
    if (std::find(patterns.begin(), patterns.end(), lower) == patterns.end())
        patterns.push_back(lower);
}

std::string GetFilePats(const std::vector<std::string>& patterns)
{
    std::string text;
    for (const std::string& pattern : patterns)
        text += pattern + ", ";
    return text;
}

// ---- Matching ----

namespace {

// UpperCaseUtf16 into `out`, whose storage is reused.
void AssignUpperCaseUtf16(std::u16string& out, std::string_view utf8)
{
    out.clear();
    out.reserve(utf8.size());
    for (size_t pos = 0; pos < utf8.size();) {
        const auto byte = static_cast<unsigned char>(utf8[pos]);
        if (byte < 0x80) {
            out += static_cast<char16_t>(byte >= 'a' && byte <= 'z' ? byte - ('a' - 'A') : byte);
            ++pos;
            continue;
        }
        const CodePoint cp = DecodeUtf8(utf8, pos);
        if (cp.length == 0) {
            out += static_cast<char16_t>(0xDC00 + byte);
            ++pos;
            continue;
        }
        AppendUtf16(out, QChar::toUpper(cp.value));
        pos += cp.length;
    }
}

}  // namespace

std::u16string UpperCaseUtf16(std::string_view utf8)
{
    std::u16string out;
    AssignUpperCaseUtf16(out, utf8);
    return out;
}

WildcardPattern::Token WildcardPattern::Translate(char16_t c, char16_t next, bool last)
{
    switch (c) {
    case u'?':
        return {Kind::DosQm, c};
    case u'*':
        return {next == u'.' ? Kind::DosStar : Kind::Star, c};
    case u'.':
        return {last || next == u'?' || next == u'*' ? Kind::DosDot : Kind::Literal, c};
    default:
        return {Kind::Literal, c};
    }
}

WildcardPattern::WildcardPattern(std::string_view pattern)
{
    const std::u16string upper = UpperCaseUtf16(pattern);
    if (upper == u"*" || upper == u"*.*") {
        matchesAll_ = true;
        return;
    }
    for (size_t i = 0; i < upper.size(); ++i) {
        const bool last = i + 1 == upper.size();
        tokens_.push_back(Translate(upper[i], last ? u'\0' : upper[i + 1], last));
    }
    const auto isLiteral = [](const Token& t) { return t.kind == Kind::Literal; };
    const bool leadingStar =
        tokens_.size() > 1 && (tokens_[0].kind == Kind::Star || tokens_[0].kind == Kind::DosStar);
    if (leadingStar && std::all_of(tokens_.begin() + 1, tokens_.end(), isLiteral))
        suffix_ = upper.substr(1);
    longestLiteralRun_ = LongestLiteralRun();
}

// Literal tokens take one character each, so a run of them matches a run of the name.
std::u16string WildcardPattern::LongestLiteralRun() const
{
    std::u16string longest, run;
    for (const Token& token : tokens_) {
        if (token.kind == Kind::Literal)
            run += token.ch;
        else
            run.clear();
        if (run.size() > longest.size())
            longest = run;
    }
    return longest;
}

bool WildcardPattern::Matches(const std::u16string& upperName) const
{
    if (upperName.empty())
        return false;
    return matchesAll_ || (upperName.find(longestLiteralRun_) != std::u16string::npos && RunStates(upperName));
}

// The pattern as a state machine: state p means "tokens before p are matched". Empty
// moves go only forward, so one ascending pass adds them; they depend on the character
// that comes next (DOS_QM and DOS_DOT may match nothing only at a "." or at the end).
bool WildcardPattern::RunStates(const std::u16string& name) const
{
    const size_t states = tokens_.size() + 1;
    std::array<uint8_t, 128> local;
    std::vector<uint8_t> heap(2 * states > local.size() ? 2 * states : 0);
    uint8_t* current = heap.empty() ? local.data() : heap.data();
    uint8_t* next = current + states;
    std::fill(current, current + 2 * states, 0);
    current[0] = 1;
    const size_t lastDot = name.rfind(u'.');
    for (size_t i = 0;; ++i) {
        const bool atEnd = i == name.size();
        const char16_t c = atEnd ? u'\0' : name[i];
        AddEmptyMoves(current, atEnd, c);
        if (atEnd)
            return current[tokens_.size()] != 0;
        if (!Consume(current, next, c, i == lastDot))
            return false;
        std::swap(current, next);
    }
}

void WildcardPattern::AddEmptyMoves(uint8_t* states, bool atEnd, char16_t c) const
{
    for (size_t p = 0; p < tokens_.size(); ++p) {
        if (!states[p])
            continue;
        const Kind kind = tokens_[p].kind;
        if (kind == Kind::Star || kind == Kind::DosStar || (kind == Kind::DosQm && (atEnd || c == u'.')) ||
            (kind == Kind::DosDot && atEnd))
            states[p + 1] = 1;
    }
}

bool WildcardPattern::Consume(const uint8_t* current, uint8_t* next, char16_t c, bool isLastDot) const
{
    std::fill(next, next + tokens_.size() + 1, 0);
    bool alive = false;
    for (size_t p = 0; p < tokens_.size(); ++p) {
        if (!current[p])
            continue;
        const Token& token = tokens_[p];
        size_t target = p + 1;
        switch (token.kind) {
        case Kind::Star:
            target = p;
            break;
        case Kind::DosStar:
            target = c == u'.' && isLastDot ? SIZE_MAX : p;
            break;
        case Kind::DosQm:
            target = c != u'.' ? p + 1 : SIZE_MAX;
            break;
        case Kind::DosDot:
        case Kind::Literal:
            target = c == token.ch ? p + 1 : SIZE_MAX;
            break;
        }
        if (target != SIZE_MAX)
            next[target] = 1, alive = true;
    }
    return alive;
}

FileNameFilter::FileNameFilter(const std::vector<std::string>& patterns)
{
    for (const std::string& text : patterns) {
        WildcardPattern pattern(text);
        const std::u16string& suffix = pattern.Suffix();
        if (pattern.MatchesAll())
            matchesAll_ = true;
        else if (suffix.size() > 1 && suffix[0] == u'.' && suffix.find(u'.', 1) == std::u16string::npos)
            extensions_.insert(suffix.substr(1));
        else if (!suffix.empty())
            suffixes_.push_back(suffix);
        else
            others_.push_back(std::move(pattern));
    }
}

bool FileNameFilter::Matches(const std::u16string& upperName) const
{
    if (upperName.empty())
        return false;
    if (matchesAll_)
        return true;
    const size_t dot = upperName.rfind(u'.');
    if (dot != std::u16string::npos && extensions_.count(upperName.substr(dot + 1)))
        return true;
    return std::any_of(suffixes_.begin(), suffixes_.end(),
                       [&](const std::u16string& suffix) { return upperName.ends_with(suffix); }) ||
           std::any_of(others_.begin(), others_.end(),
                       [&](const WildcardPattern& pattern) { return pattern.Matches(upperName); });
}

// ---- Filling the list ----

void SortFileNames(std::vector<std::string>& names)
{
    std::vector<KeyedName> entries;
    entries.reserve(names.size());
    for (std::string& name : names) {
        std::u16string upper = UpperCaseUtf16(name);
        entries.push_back({std::move(name), std::move(upper)});
    }
    names = SortedNames(entries);
}

// One directory read yields every name once, and each name is listed when its first
// matching pattern is found, so no duplicate can arise. The deferred-deletion list is a
// hash set.
FolderListing ReadFolder(const std::string& folder, const std::vector<std::string>& patterns,
                         const std::vector<std::string>& deferredDeletionList)
{
    const DirHandle dir(::opendir(folder.c_str()));
    if (!dir)
        return {};
    const FileNameFilter filter(patterns);
    const std::unordered_set<std::string> toDelete = NonEmptyEntries(deferredDeletionList);
    std::vector<KeyedName> listed, subfolders;
    std::u16string upper;  // reused: a name left out costs no allocation
    while (const dirent* entry = ::readdir(dir.get())) {
        if (entry->d_name[0] == '.')
            continue;
        AssignUpperCaseUtf16(upper, entry->d_name);
        if (IsDirectoryEntry(dir.get(), *entry))
            subfolders.push_back({entry->d_name, upper});
        else if (filter.Matches(upper) &&
                 (toDelete.empty() || !toDelete.count(GetFullFilenameByFilename(folder, entry->d_name))))
            listed.push_back({entry->d_name, upper});
    }
    return {SortedNames(listed), SortedNames(subfolders)};
}

std::vector<std::string> FillFileList(const std::string& folder, const std::vector<std::string>& patterns,
                                      const std::vector<std::string>& deferredDeletionList)
{
    return ReadFolder(folder, patterns, deferredDeletionList).files;
}

// ---- Full file names ----

std::string GetFullFilenameByFilename(const std::string& folder, const std::string& name)
{
    const size_t end = folder.find_last_not_of('/');
    return (end == std::string::npos ? std::string() : folder.substr(0, end + 1)) + "/" + name;
}

// ---- Selection ----

int FindFileToDeselect(const std::vector<std::string>& itemTexts, const std::vector<bool>& selected,
                       const std::string& fullname)
{
    const std::string name = fullname.substr(fullname.rfind('/') + 1);
    for (size_t i = 0; i < itemTexts.size() && i < selected.size(); ++i)
        if (selected[i] && itemTexts[i] == name)
            return static_cast<int>(i);
    return -1;
}

void RightClickSelect(ListSelection& list, int clicked, ClickModifier modifier)
{
    if (!IsValidIndex(list.selected, clicked))
        return;
    const auto item = static_cast<size_t>(clicked);
    if (modifier == ClickModifier::Shift) {
        const int from = IsValidIndex(list.selected, list.caret) ? std::min(list.caret, clicked) : clicked;
        const int to = std::max(list.caret, clicked);
        std::fill(list.selected.begin() + from, list.selected.begin() + to + 1, true);
    } else if (modifier == ClickModifier::Ctrl) {
        list.selected[item] = !list.selected[item];
        list.caret = clicked;
    } else if (!list.selected[item]) {
        std::fill(list.selected.begin(), list.selected.end(), false);
        list.selected[item] = true;
        list.caret = clicked;
    }
}

void ToggleSelectAll(ListSelection& list)
{
    const bool allSelected = SelectedCount(list.selected) == static_cast<int>(list.selected.size());
    std::fill(list.selected.begin(), list.selected.end(), !allSelected);
    if (allSelected && IsValidIndex(list.selected, list.caret))
        list.selected[static_cast<size_t>(list.caret)] = true;
}

std::vector<std::string> SelectedNames(const std::vector<std::string>& itemTexts, const std::vector<bool>& selected)
{
    std::vector<std::string> names;
    for (size_t i = 0; i < itemTexts.size() && i < selected.size(); ++i)
        if (selected[i])
            names.push_back(itemTexts[i]);
    return names;
}

// Every saved name still present is selected again, even after a saved name that has
// vanished: a file deleted from outside does not cost the user the rest of the selection.
std::vector<bool> RestoreSelection(const std::vector<std::string>& itemTexts, const std::vector<std::string>& savedNames)
{
    const std::unordered_set<std::string> saved(savedNames.begin(), savedNames.end());
    std::vector<bool> selected(itemTexts.size(), false);
    for (size_t i = 0; i < itemTexts.size(); ++i)
        selected[i] = saved.count(itemTexts[i]) > 0;
    return selected;
}

// ---- Shown names ----

std::string ShownFileName(const std::string& name)
{
    QString shown = QString::fromStdString(name);
    for (QChar& c : shown) {
        const char16_t u = c.unicode();
        if (u < 0x20)
            c = QChar(0x2400 + u);
        else if (u == 0x7F)
            c = QChar(0x2421);
        else if ((u >= 0x80 && u <= 0x9F) || u == 0x2028 || u == 0x2029)
            c = QChar(0xFFFD);
    }
    return shown.toStdString();
}

// ---- File-size tool tip ----

std::string FileSizeText(int64_t size)
{
    if (size < 1000)
        return std::to_string(size) + " Bytes";
    if (size < 1'000'000)
        return Thousandths(size) + " KB";
    if (size < 1'000'000'000)
        return OneDecimal(size, 1'000'000) + " MB";
    if (size < 1'000'000'000'000)
        return OneDecimal(size, 1'000'000'000) + " GB";
    return OneDecimal(size, 1'000'000'000'000) + " TB";
}

std::string FileSizeToolTip(int64_t size)
{
    return " " + FileSizeText(size) + " ";
}

}  // namespace vistrel
