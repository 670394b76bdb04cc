#pragma once
// The window side of the file browser: the drive box driveBox, the folder list folderList
// (the chain of folders from "/" to the open folder, indented, then the open folder's
// subfolders) and the file list fileList. MainWindow builds the widgets and hands them
// over; the window-free rules live in FileList.h and Drives.h. Folders are held with a
// trailing "/".
#include "browser/FileList.h"

#include <QBasicTimer>
#include <QItemSelectionModel>
#include <QObject>
#include <QPoint>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QComboBox;
class QFileSystemWatcher;
class QKeyEvent;
class QListView;
class QListWidget;
class QListWidgetItem;
class QTimer;

namespace vistrel {

class FileNameModel;

class FileBrowser : public QObject {
    Q_OBJECT

public:
    FileBrowser(QComboBox* driveBox, QListWidget* folderList, QListView* fileList, QObject* parent = nullptr);
    ~FileBrowser() override;

    // The pattern list (starts with the 63 defaults) and the file operations'
    // deferred-deletion list (full names not to list).
    std::vector<std::string> Patterns;
    std::vector<std::string> DeferredDeletionList;
    // Set by the main window: plays the file list's selection. The argument is the caller tag.
    std::function<void(const std::string& callerTag)> PlaySelectedTitle;
    // Set by the main window: true when play-all has played its last title (no title is
    // current, the last one stands at its end); the select-all toggle then plays the new
    // selection.
    std::function<bool()> AtEndOfList;
    // Set by the main window: the full name of the title that plays or is paused; "" when
    // none.
    std::function<std::string()> PlayingTitle;
    // Set by the main window: true while a title plays or is paused. Letters and Left and
    // Right are then the player's keys: the list neither types ahead nor moves its caret.
    std::function<bool()> TitleTakesKeys;

    // Opens `folder`: the drive box shows its drive, folderList the folder, then FolderListChanged.
    void SetFolder(const std::string& folder);
    // The folder whose files are listed, with a trailing "/"; empty before the first.
    const std::string& CurrentFolder() const { return currentFolder_; }
    // The folder list's path (the open folder), with a trailing "/".
    const std::string& FolderListPath() const { return folderListPath_; }

    void DriveChanged();
    void FolderListChanged();
    // The folder list's keys; true when the key was handled (and is consumed).
    bool FolderListKeyDown(int key, Qt::KeyboardModifiers modifiers);
    void RefreshDirAndFileList();
    // Stops the folder watch and, when `start`, watches the folder list's path again.
    void FileNotificationStartStop(const std::string& callerTag, bool start);

    std::string GetFullFilename(int index) const;
    // The file list's selection flags by row.
    std::vector<bool> SelectedFlags() const;
    int SelectedCount() const;
    int RowCount() const;
    // The caret (focus) row; -1: none.
    int CurrentRow() const;
    // Moves the caret to `row` and scrolls to it; the selection stays.
    void MoveCaret(int row);
    // Makes `row` the only selected row and the caret: a changed selection plays it.
    void SelectOnly(int row);
    // Adds `row` to the selection without playing it.
    void SelectQuietly(int row);
    void FocusFileList();
    // fileListFocusTimer's tick: the focus goes to the file list until it has it.
    void OnFileListFocusTimer(QTimer* timer);
    // Selects every item named `name` and makes it the current item, under the
    // programmatic-selection flag (the command-line hand-over).
    void SelectFileByName(const std::string& name);

    // For the file operations: the selected rows' full names in list order; the folder
    // highlighted in the folder list; the list widget (the rename editor lies over it).
    std::vector<std::string> SelectedFullNames() const;
    std::string HighlightedFolder() const;
    QListView* FileListView() const { return files_; }
    // Removes every row whose full name `gone` reports, bottom up; the selection of the
    // other rows stays.
    void RemoveRowsWhere(const std::function<bool(const std::string& fullName)>& gone);
    // Row `row` shows and stands for `newName` (a file renamed in place).
    void RenameRow(int row, const std::string& newName);
    // Makes `row` the only selected row and the caret without playing it.
    void SelectAndFocusQuietly(int row);
    void DeselectQuietly(int row);

    // True while the program itself changes the selection: clicks do not play.
    bool ProgrammaticSelection = false;

    // Right press on the file list at `pos` (viewport coordinates): the item under it is
    // selected by RightClickSelect's rules, then FileContextMenuRequested. Below the last
    // item nothing happens.
    void FileListRightClicked(const QPoint& pos, Qt::KeyboardModifiers modifiers);
    // The file list's tool-tip timer (fileToolTipTimer): its tick runs the
    // tool-tip step at the cursor position.
    void SetToolTipTimer(QTimer* timer);
    // A mouse move over the file list at `pos` (viewport coordinates).
    void FileListMouseMoved(const QPoint& pos);
    // The tool-tip step with the cursor at `pos` (viewport coordinates).
    void FileToolTipStep(const QPoint& pos);

public slots:
    // The select-all toggle (Ctrl+A on the file list): all selected gives only the caret
    // item, otherwise all. Plays nothing unless at the end of the list.
    void ToggleSelectAllFiles();

signals:
    // The left mouse button went down on the file list (before the list handles it).
    void FileListPressed();
    // The file context menu (fileMenu) is to open at `globalPos`; the
    // selection is already made. Emitted under the programmatic-selection flag.
    void FileContextMenuRequested(QPoint globalPos);
    // A folder was opened (FolderListChanged): the saved start folders follow it.
    void FolderOpened(const std::string& folder);

protected:
    void timerEvent(QTimerEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FillDriveBox();
    void ShowDriveOf(const std::string& path);
    void FillFolderList();
    void AddFolderItem(const std::string& path, const std::string& text, int depth);
    void FillFiles();
    std::string NameOfRow(int row) const;
    void SetCaret(int row, QItemSelectionModel::SelectionFlags command);
    void ApplySelection(const std::vector<bool>& selected);
    void OpenFolderItem(QListWidgetItem* item);
    void OpenParentOfRow(int row);
    std::string FolderOfRow(int row) const;
    void FolderContentChanged();
    void SelectPlayingTitle();
    void FileListClicked();
    void FileListReleasedOnItem();
    bool FileListKeyPressed(const QKeyEvent* key);
    void TypeAhead(const QString& text);
    int ItemRowAt(const QPoint& pos) const;
    void ClearFileToolTip();
    void DriveBoxFocused(Qt::FocusReason reason);

    QComboBox* driveBox_;
    QListWidget* folderList_;
    QListView* files_;
    FileNameModel* model_;  // the file array
    std::optional<FolderListing> freshListing_;  // the open folder as FillFolderList read it
    // Kept apart: while the list is being destroyed its viewport() may no longer be called.
    QWidget* filesViewport_ = nullptr;
    std::unique_ptr<QFileSystemWatcher> watcher_;  // unparented: not one of the window's children
    QBasicTimer quietPeriod_;
    bool refreshPending_ = false;  // the watch was paused during a quiet period
    std::string currentFolder_;
    std::string folderListPath_;
    std::string folderListTag_;
    std::string lastGoodDrive_;
    int openFolderRow_ = -1;  // folderList's row of the open folder; its subfolders follow it
    bool changingControls_ = false;
    // Since the last left press on the file list, its click has been handed over.
    bool handedOverSincePress_ = true;
    // Tool-tip state: the cursor at the last step, the item under it at the last move
    // (-1: none) and the full file name whose size is shown.
    QTimer* toolTipTimer_ = nullptr;
    QPoint toolTipLastPos_{-10000, -10000};
    int toolTipLastItem_ = -1;
    std::string toolTipLastName_;
};

}  // namespace vistrel
