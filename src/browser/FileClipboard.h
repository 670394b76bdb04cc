#pragma once
// The file list's clipboard and the file lists it exchanges with other programs. A list of
// files travels as text/uri-list; on the clipboard also as x-special/gnome-copied-files
// and as the full names in text/plain, for programs that take only text.
#include "browser/FileTransfer.h"

#include <string>
#include <vector>

class QMimeData;

namespace vistrel {

class FileBrowser;

// The full names of the file list's selected files, in list order.
std::vector<std::string> SelectedFullNames(const FileBrowser& browser);

// `fullNames` as text/uri-list; `forClipboard` adds the copied-files offer and the text.
QMimeData* FileListMimeData(const std::vector<std::string>& fullNames, bool forClipboard);
// The local files `data` offers: its URI list, else its copied-files offer (also a "cut"
// one: the files are only ever copied from it).
std::vector<std::string> FilesOfMimeData(const QMimeData* data);

// Ctrl+C: the selected files go on the clipboard; nothing changes when none is selected.
void CopySelectedFilesToClipboard(const FileBrowser& browser);
void CopyFilesToClipboard(const std::vector<std::string>& fullNames);
std::vector<std::string> GetFilesFromClipboard();
// Ctrl+V: the clipboard's files are copied into the open folder, the list is read again
// and gets the focus. Nothing happens when the clipboard holds no files.
void PasteFilesFromClipboard(FileBrowser& browser, const FileTransfer& transfer);

}  // namespace vistrel
