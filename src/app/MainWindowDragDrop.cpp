// The file list's exchange of files with other programs: drag and drop on the list and
// the clipboard's Ctrl+C and Ctrl+V. Both copy and move through TransferFiles.
#include "app/MainWindow.h"
#include "browser/FileBrowser.h"
#include "browser/FileClipboard.h"
#include "browser/FileDragDrop.h"

namespace vistrel {

void MainWindow::WireFileDragDrop()
{
    new FileDragDrop(*browser_, controls_.fileList, TransferFiles, this);
}

void MainWindow::CopyFilesToClipboard() const
{
    CopySelectedFilesToClipboard(*browser_);
}

void MainWindow::PasteFilesFromClipboard()
{
    vistrel::PasteFilesFromClipboard(*browser_, TransferFiles);
}

}  // namespace vistrel
