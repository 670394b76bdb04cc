#pragma once
// The window-free core of the file list: the pattern list, the matching of
// names against it, the fill of one folder, the full-file-name rules, the selection
// rules as pure functions over the list's selected flags, the ordered selection restore
// of the refresh, and the file-size tool-tip text. Names are UTF-8, paths POSIX;
// a hidden entry is a name starting with ".".
// The widgets (fileList, folderList, driveBox), the folder watch and the focus rules live in
// the window layer, which calls these functions.
#include "support/Selection.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace vistrel {

// ---- Pattern list ---------------------------------------------------------------------

// The 63 patterns the list starts with.
std::vector<std::string> DefaultFilePatterns();
// Ignores an empty text; otherwise appends it lower-cased unless an equal entry exists.
void AddFilePattern(std::vector<std::string>& patterns, const std::string& pattern);
// Every pattern followed by ", " (diagnostic text).
std::string GetFilePats(const std::vector<std::string>& patterns);

// ---- Matching --------------------------------------------------------------------------

// A name upper-cased character by character (simple case mapping: every character stays
// one character) and written as UTF-16, the unit in which names are matched and sorted,
// so that patterns from older INI files match the same names and the order does not
// depend on the locale. A byte that is not valid UTF-8 becomes the lone surrogate
// 0xDC00 + byte.
std::u16string UpperCaseUtf16(std::string_view utf8);

// One pattern, compiled once, matched by the wildcard rules described in FileList.cpp;
// case-insensitive.
class WildcardPattern {
public:
    explicit WildcardPattern(std::string_view pattern);
    bool Matches(const std::u16string& upperName) const;
    bool MatchesAll() const { return matchesAll_; }
    // The upper-cased literal text after a leading "*" when the rest holds no wildcard
    // ("*.MP3" gives ".MP3"); empty otherwise.
    const std::u16string& Suffix() const { return suffix_; }

private:
    enum class Kind : uint8_t { Literal, Star, DosStar, DosQm, DosDot };
    struct Token {
        Kind kind;
        char16_t ch;
    };
    static Token Translate(char16_t c, char16_t next, bool last);
    std::u16string LongestLiteralRun() const;
    bool RunStates(const std::u16string& name) const;
    void AddEmptyMoves(uint8_t* states, bool atEnd, char16_t c) const;
    bool Consume(const uint8_t* current, uint8_t* next, char16_t c, bool isLastDot) const;

    std::vector<Token> tokens_;
    std::u16string suffix_;
    std::u16string longestLiteralRun_;  // every match holds it: a quick test before the states run
    bool matchesAll_ = false;
};

// The whole pattern list, compiled for one directory read: "*.ext" patterns become one
// hash set of extensions, every other pattern is matched on its own.
class FileNameFilter {
public:
    explicit FileNameFilter(const std::vector<std::string>& patterns);
    bool Matches(const std::u16string& upperName) const;
    bool Matches(std::string_view name) const { return Matches(UpperCaseUtf16(name)); }

private:
    bool matchesAll_ = false;
    std::unordered_set<std::u16string> extensions_;  // upper-cased, without the dot
    std::vector<std::u16string> suffixes_;           // other "*literal" patterns
    std::vector<WildcardPattern> others_;
};

// ---- Filling the list ------------------------------------------------------------------

// Sorts ascending by the upper-cased names (UTF-16 code-unit order, whatever the locale);
// names equal when upper-cased keep a fixed order by their bytes.
void SortFileNames(std::vector<std::string>& names);

// The names (without folder) that the list shows for `folder`, sorted: the entries that
// match a pattern, without hidden entries (leading "."), directories (symbolic links
// included when they lead to one) and names whose full name is on the deferred-deletion
// list (exact comparison). One directory read. A folder that cannot be read lists nothing.
std::vector<std::string> FillFileList(const std::string& folder, const std::vector<std::string>& patterns,
                                      const std::vector<std::string>& deferredDeletionList);
// FillFileList's names and the folder's visible subfolders (hidden ones left out, symbolic
// links to folders included), sorted the same way, from the same one directory read.
struct FolderListing {
    std::vector<std::string> files;
    std::vector<std::string> subfolders;
};
FolderListing ReadFolder(const std::string& folder, const std::vector<std::string>& patterns,
                         const std::vector<std::string>& deferredDeletionList);

// ---- Full file names -------------------------------------------------------------------

// The folder without any trailing "/", then "/", then the name ("/name" at the root).
std::string GetFullFilenameByFilename(const std::string& folder, const std::string& name);

// ---- Selection -------------------------------------------------------------------------
// `selected[i]` is the selection flag of list item i.

// The item to deselect for `fullname`: the first selected one whose text is its name part,
// or -1.
int FindFileToDeselect(const std::vector<std::string>& itemTexts, const std::vector<bool>& selected,
                       const std::string& fullname);

// The selection of the list and its caret (focus) item.
struct ListSelection {
    std::vector<bool> selected;
    int caret = -1;
};
enum class ClickModifier { None, Shift, Ctrl };

// Right click on item `clicked` (below the last item: nothing happens). No modifier: an
// unselected item becomes the only selected one and the caret; a selected item changes
// nothing. Shift: the range between the caret and the item is selected (others are kept).
// Ctrl: the item's selection toggles and it becomes the caret. Shift wins over Ctrl.
void RightClickSelect(ListSelection& list, int clicked, ClickModifier modifier);
// Select-all toggle: when every item is selected, only the caret item stays selected;
// otherwise all are selected. The caret stays where it was.
void ToggleSelectAll(ListSelection& list);

// Refresh: the texts of the selected items in list order (saved before the refill) ...
std::vector<std::string> SelectedNames(const std::vector<std::string>& itemTexts,
                                       const std::vector<bool>& selected);
// ... and the selection of the refilled list: every item whose text was saved.
std::vector<bool> RestoreSelection(const std::vector<std::string>& itemTexts,
                                   const std::vector<std::string>& savedNames);

// ---- Shown names ----

// `name` as the list shows it: one row whatever it holds. Control characters become their
// visible symbols (U+2400 + c, U+2421 for DEL); C1 controls and the line and paragraph
// separators become U+FFFD. Only the shown text changes; the file keeps its name.
std::string ShownFileName(const std::string& name);

// ---- File-size tool tip ----------------------------------------------------------------

// "999 Bytes", "1.234 KB", "2.5 MB", "1.0 GB", "1.5 TB" (decimal point ".").
std::string FileSizeText(int64_t size);
// The tool tip: one space, the size text, one space.
std::string FileSizeToolTip(int64_t size);

}  // namespace vistrel
