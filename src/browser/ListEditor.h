#pragma once
// The editor of the destination and Open-with lists, its item dialogs, and the folder and
// program dialogs they open. Every dialog runs through a replaceable function (as MsgBox
// does), so tests answer it through its widgets without a dialog on the screen.
#include "browser/DestinationLists.h"

#include <QDialog>

#include <functional>
#include <string>
#include <vector>

class QComboBox;
class QKeyEvent;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QVBoxLayout;

namespace vistrel {

inline constexpr const char* kSelectFolderTitle = "Select Folder";
inline constexpr const char* kGotoListCaption = "GoTo Menu Items";
inline constexpr const char* kCopyMoveListCaption = "MoveTo and CopyTo Menu Items";
inline constexpr const char* kOpenWithListCaption = "'Open with' Items";
inline constexpr const char* kDefaultOpenWithParam = "%file%";

// Runs a modal dialog and returns its result (QDialog::Accepted or Rejected). Unset: exec().
using DialogRunner = std::function<int(QDialog& dialog)>;
DialogRunner SetDialogRunner(DialogRunner runner);  // returns the one it replaces
// Called on every dialog before it runs (the window's font rule).
void SetDialogPreparer(std::function<void(QDialog& dialog)> preparer);
int RunDialog(QDialog& dialog);

// The folder dialog and the program file dialog: the chosen name, "" when cancelled.
using FolderChooser = std::function<std::string(QWidget* parent, const std::string& title, const std::string& start)>;
using FileChooser = std::function<std::string(QWidget* parent, const std::string& start)>;
FolderChooser SetFolderChooser(FolderChooser chooser);
FileChooser SetProgramFileChooser(FileChooser chooser);
std::string ChooseFolder(QWidget* parent, const std::string& title, const std::string& start);
std::string ChooseProgramFile(QWidget* parent, const std::string& start);

// One entry: "Edit Item" for a folder list (name, path), "\"Open with\" Item" for the
// Open-with list (also parameters and hotkey). OK keeps the dialog open with "Path doesn't
// exist!" while the path names nothing; the name "+++" makes a separator.
class ListItemDialog : public QDialog {
    Q_OBJECT

public:
    ListItemDialog(QWidget* parent, bool programs, const OpenWithItem& item);
    // The entry as confirmed; the name without hotkey text.
    const OpenWithItem& Item() const { return item_; }

private:
    void Browse();
    void Confirm();

    bool programs_;
    OpenWithItem item_;
    QLineEdit* name_;
    QLineEdit* path_;
    QLineEdit* param_ = nullptr;
    QComboBox* hotkey_ = nullptr;
};

class ListEditor : public QDialog {
    Q_OBJECT

public:
    ListEditor(QWidget* parent, const QString& caption, const std::vector<PathItem>& items);
    ListEditor(QWidget* parent, const std::vector<OpenWithItem>& items);

    // The entries as edited, up to the first without a name.
    std::vector<PathItem> PathItems() const;
    std::vector<OpenWithItem> OpenWithItems() const;

    void AddItem();
    void EditItem();
    void RemoveSelected();
    // Moves the selected entries by `rows` (negative: up), each as far as it can go.
    void MoveSelected(int rows);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    ListEditor(QWidget* parent, const QString& caption, bool programs);
    void BuildMoveButtons(QVBoxLayout* column);
    bool HandleKey(const QKeyEvent* key);
    bool StepSelected(int step);
    void AppendItem(const OpenWithItem& item, int row);
    OpenWithItem ItemOfRow(int row) const;
    std::vector<OpenWithItem> RawItems() const;

    bool programs_;
    QListWidget* list_;
};

// Runs the editor; on OK `list` takes the edited entries and true is returned.
bool EditFolderList(QWidget* parent, const QString& caption, std::vector<PathItem>& list);
bool EditOpenWithList(QWidget* parent, std::vector<OpenWithItem>& list);

}  // namespace vistrel
