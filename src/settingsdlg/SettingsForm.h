#pragma once
// The settings dialog's rules without its widgets: what the controls show for the settings,
// and what the settings become from the controls on OK.
#include "support/OpenWithItem.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace vistrel::settingsdlg {

inline constexpr int kMinOverlappedPlayTimeMS = 100;
inline constexpr int kMaxOverlappedPlayTimeMS = 2000;

// The settings the dialog edits, as the program holds them.
struct SettingsValues {
    std::array<int32_t, 4> autoZoomRes{};    // AutoZoomRes0 .. AutoZoomRes3
    bool videoSideBySide = false;
    std::vector<OpenWithItem> openWith;      // names with their hotkey text, as stored
    std::array<std::string, 2> tempPaths;    // primary, secondary; with a trailing "/"
    int32_t overlappedPlayTimeMS = kMinOverlappedPlayTimeMS;
    bool useMenuHotkeys = true;
    bool deleteWithoutAsking = false;
    std::vector<std::string> hisExclude;
};

// What the controls hold: texts as typed, and the dialog's copy of the Open-with list.
struct SettingsForm {
    std::array<std::string, 4> zoomTexts;    // index i belongs to AutoZoomRes i
    bool videoSideBySide = false;
    std::vector<OpenWithItem> openWith;
    bool openWithEdited = false;             // the editor confirmed a new list
    std::array<std::string, 2> tempPathTexts;
    std::string overlappedPlayTimeText;
    bool useMenuHotkeys = true;
    bool deleteWithoutAsking = false;
    std::vector<std::string> hisExclude;
};

// The thresholds a zoom box offers: 16 to 1024 in steps of 16, then 1280 to 3840 in steps
// of 640.
const std::vector<int>& ZoomThresholdChoices();
// The text a zoom box shows for `threshold`: the largest choice that does not exceed it;
// the threshold itself below the smallest choice, so that OK keeps it.
std::string ZoomBoxText(int32_t threshold);

SettingsForm FormFromValues(const SettingsValues& values);

// OK: the zoom and play-time texts by their leading number (0 without one), the play time
// clamped; a temporary folder only when it is an existing absolute folder, and the second
// dropped when it equals the first; the Open-with list only when the editor confirmed one.
// `current` gives what the form leaves as it is.
SettingsValues ValuesFromForm(const SettingsForm& form, const SettingsValues& current);

}  // namespace vistrel::settingsdlg
