#pragma once
// Part 4.1, the window side of the file browser: the drive box Drive1, the folder list
// Dir1 (DirListBox manner: the chain of folders from "/" to the open folder, indented,
// then the open folder's subfolders) and the file list FilesVListBox. frmMain builds the
// widgets and hands them over; the window-free rules live in FileList.h and Drives.h.
// Folders are held with a trailing "/" (the spec's trailing backslash).
#include <QBasicTimer>
#include <QObject>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QComboBox;
class QFileSystemWatcher;
class QListWidget;
class QListWidgetItem;
class QTimer;

namespace vistrel {

class FileBrowser : public QObject {
    Q_OBJECT

public:
    FileBrowser(QComboBox* drive1, QListWidget* dir1, QListWidget* filesVListBox, QObject* parent = nullptr);
    ~FileBrowser() override;

    // The pattern list (starts with the 63 defaults) and the deferred-deletion list of
    // Part 4.2 (full names not to list).
    std::vector<std::string> Patterns;
    std::vector<std::string> DeferredDeletionList;
    // Part 3.3 fills it: plays the file list's selection. The argument is the caller tag.
    std::function<void(const std::string& callerTag)> PlayTitleFromFile1;

    // Opens `folder`: the drive box shows its drive, Dir1 the folder, then Dir1_Change.
    void SetFolder(const std::string& folder);
    // The folder whose files are listed, with a trailing "/"; empty before the first.
    const std::string& CurrentFolder() const { return currentFolder_; }
    // The folder list's path (the open folder), with a trailing "/".
    const std::string& Dir1Path() const { return dir1Path_; }

    void Drive1_Change();
    void Dir1_Change();
    // The folder list's keys; true when the key was handled (and is consumed).
    bool Dir1_KeyDown(int key, Qt::KeyboardModifiers modifiers);
    void RefreshDirAndFileList();
    // Stops the folder watch and, when `start`, watches the folder list's path again.
    void FileNotificationStartStop(const std::string& callerTag, bool start);

    std::string GetFullFilename(int index) const;
    int GetFile1SelCount() const;
    void FilesListBox_SetFocus();
    // timFileListSetFocus's tick: the focus goes to the file list until it has it.
    void timFileListSetFocus_Timer(QTimer* timer);
    // Selects every item named `name` and makes it the current item, under the
    // programmatic-selection flag (the command-line hand-over).
    void SelectFileByName(const std::string& name);

    // True while the program itself changes the selection: clicks do not play.
    bool ProgrammaticSelection = false;

signals:
    // A folder was opened (Dir1_Change): the remembered folders of Part 1.2 follow it.
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
    std::vector<std::string> ItemTexts() const;
    std::vector<bool> SelectedFlags() const;
    void ApplySelection(const std::vector<bool>& selected);
    void OpenFolderItem(QListWidgetItem* item);
    void OpenParentOfRow(int row);
    std::string FolderOfRow(int row) const;
    void FolderContentChanged();
    void FilesVListBox_Click();

    QComboBox* drive1_;
    QListWidget* dir1_;
    QListWidget* files_;
    std::unique_ptr<QFileSystemWatcher> watcher_;  // unparented: not one of the window's children
    QBasicTimer quietPeriod_;
    std::string currentFolder_;
    std::string dir1Path_;
    std::string dir1Tag_;
    std::string lastGoodDrive_;
    int openFolderRow_ = -1;  // Dir1's row of the open folder; its subfolders follow it
    std::vector<std::string> fileArray_;
    bool changingControls_ = false;
};

}  // namespace vistrel
