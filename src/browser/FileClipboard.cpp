#include "browser/FileClipboard.h"

#include "browser/FileBrowser.h"
#include "platform/shell/UriList.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace vistrel {

namespace {

constexpr const char* kUriList = "text/uri-list";
constexpr const char* kCopiedFiles = "x-special/gnome-copied-files";

QByteArray Bytes(const std::string& text)
{
    return QByteArray::fromStdString(text);
}

std::string Joined(const std::vector<std::string>& names)
{
    std::string text;
    for (const std::string& name : names)
        text += (text.empty() ? "" : "\n") + name;
    return text;
}

}  // namespace

std::vector<std::string> SelectedFullNames(const FileBrowser& browser)
{
    std::vector<std::string> names;
    const std::vector<bool> selected = browser.SelectedFlags();
    for (size_t row = 0; row < selected.size(); ++row) {
        if (selected[row])
            names.push_back(browser.GetFullFilename(int(row)));
    }
    return names;
}

QMimeData* FileListMimeData(const std::vector<std::string>& fullNames, bool forClipboard)
{
    auto* data = new QMimeData;
    // Set as bytes, never as QUrls: those would replace the bytes of names that are not UTF-8.
    data->setData(kUriList, Bytes(shell::EncodeUriList(fullNames)));
    if (forClipboard) {
        data->setData(kCopiedFiles, Bytes(shell::EncodeCopiedFiles({false, fullNames})));
        data->setData("text/plain", Bytes(Joined(fullNames)));
    }
    return data;
}

std::vector<std::string> FilesOfMimeData(const QMimeData* data)
{
    if (!data)
        return {};
    if (data->hasFormat(kUriList))
        return shell::DecodeUriList(data->data(kUriList).toStdString());
    if (!data->hasFormat(kCopiedFiles))
        return {};
    const std::optional<shell::CopiedFiles> copied = shell::DecodeCopiedFiles(data->data(kCopiedFiles).toStdString());
    return copied ? copied->files : std::vector<std::string>{};
}

void CopySelectedFilesToClipboard(const FileBrowser& browser)
{
    const std::vector<std::string> names = SelectedFullNames(browser);
    if (!names.empty())
        CopyFilesToClipboard(names);
}

void CopyFilesToClipboard(const std::vector<std::string>& fullNames)
{
    QGuiApplication::clipboard()->setMimeData(FileListMimeData(fullNames, true), QClipboard::Clipboard);
}

std::vector<std::string> GetFilesFromClipboard()
{
    return FilesOfMimeData(QGuiApplication::clipboard()->mimeData(QClipboard::Clipboard));
}

void PasteFilesFromClipboard(FileBrowser& browser, const FileTransfer& transfer)
{
    const std::vector<std::string> files = GetFilesFromClipboard();
    if (files.empty() || !transfer || browser.CurrentFolder().empty())
        return;
    transfer(shell::FileOp::Copy, files, browser.CurrentFolder());
    browser.RefreshDirAndFileList();
    browser.FocusFileList();
}

}  // namespace vistrel
