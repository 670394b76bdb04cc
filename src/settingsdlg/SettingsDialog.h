#pragma once
// The "Settings" dialog: the settings that have no control of their own in the main window.
// It works on a copy of them; Result() holds what OK made of the controls.
#include "settingsdlg/SettingsForm.h"

#include <QDialog>

#include <array>
#include <functional>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace vistrel::settingsdlg {

inline constexpr const char* kSettingsCaption = "Settings";
inline constexpr const char* kSelectFolderCaption = "Select Folder";
// The stored history exclusions: HisExclude0 .. HisExclude100.
inline constexpr int kMaxHisExcludeEntries = 101;

// What the dialog needs of the program around it.
struct SettingsDialogHooks {
    // Runs the "'Open with' Items" editor over `list`; true when it was confirmed and `list`
    // holds the edited entries.
    std::function<bool(QWidget* parent, std::vector<OpenWithItem>& list)> EditOpenWith;
    // The folder dialog with `title`, starting in `start`; "" when cancelled.
    std::function<std::string(QWidget* parent, const std::string& title, const std::string& start)> ChooseFolder;
};

class SettingsDialog : public QDialog {
    Q_OBJECT

public:
    SettingsDialog(QWidget* parent, const SettingsValues& values, SettingsDialogHooks hooks);

    // The settings as OK left them (the values given until then).
    const SettingsValues& Result() const { return result_; }

private:
    QGroupBox* BuildAutozoom();
    QGroupBox* BuildMisc();
    QGroupBox* BuildTemporaryFiles();
    QGroupBox* BuildDeleteFiles();
    QGroupBox* BuildHistoryExclusions();
    void Fill(const SettingsForm& form);
    SettingsForm Read() const;
    void EditOpenWith();
    void BrowseTempFolder(size_t i);
    void AddExclusion();
    void EditExclusion();
    void DeleteExclusion();
    void UpdateExclusionButtons();
    std::string ChooseFolder(const std::string& start);
    void Confirm();

    SettingsValues result_;
    SettingsDialogHooks hooks_;
    std::vector<OpenWithItem> openWith_;  // the dialog's copy of the Open-with list
    bool openWithEdited_ = false;
    std::array<QComboBox*, 4> zoomBoxes_{};  // index i edits AutoZoomRes i
    QCheckBox* sideBySide_ = nullptr;
    QLineEdit* overlappedPlayTime_ = nullptr;
    QCheckBox* menuHotkeys_ = nullptr;
    std::array<QLineEdit*, 2> tempFolders_{};
    QRadioButton* askBeforeDelete_ = nullptr;
    QRadioButton* dontAskBeforeDelete_ = nullptr;
    QListWidget* exclusions_ = nullptr;
    std::array<QPushButton*, 3> exclusionButtons_{};  // Edit, Delete, Add
};

}  // namespace vistrel::settingsdlg
