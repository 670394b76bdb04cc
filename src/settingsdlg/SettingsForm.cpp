#include "settingsdlg/SettingsForm.h"

#include "support/FilePaths.h"
#include "support/NumericText.h"

#include <algorithm>

namespace vistrel::settingsdlg {

namespace {

int32_t WholeValue(const std::string& text)
{
    return ToWhole<int32_t>(LeadingNumericValue(text));
}

// A typed folder counts only when it names an existing folder from the root: a relative
// name would change its meaning with the current folder.
std::string TempFolderFromText(const std::string& text, const std::string& current)
{
    return text.starts_with('/') && IsFolder(text) ? AddTrailingSlash(text) : current;
}

}  // namespace

const std::vector<int>& ZoomThresholdChoices()
{
    static const std::vector<int> choices = [] {
        std::vector<int> values;
        for (int v = 16; v <= 1024; v += 16)
            values.push_back(v);
        for (int v = 1280; v <= 3840; v += 640)
            values.push_back(v);
        return values;
    }();
    return choices;
}

std::string ZoomBoxText(int32_t threshold)
{
    const std::vector<int>& choices = ZoomThresholdChoices();
    const auto above = std::upper_bound(choices.begin(), choices.end(), threshold);
    return std::to_string(above == choices.begin() ? threshold : *(above - 1));
}

SettingsForm FormFromValues(const SettingsValues& values)
{
    SettingsForm form;
    for (size_t i = 0; i < values.autoZoomRes.size(); ++i)
        form.zoomTexts[i] = ZoomBoxText(values.autoZoomRes[i]);
    form.videoSideBySide = values.videoSideBySide;
    form.openWith = values.openWith;
    form.tempPathTexts = values.tempPaths;
    form.overlappedPlayTimeText = std::to_string(values.overlappedPlayTimeMS);
    form.useMenuHotkeys = values.useMenuHotkeys;
    form.deleteWithoutAsking = values.deleteWithoutAsking;
    form.hisExclude = values.hisExclude;
    return form;
}

SettingsValues ValuesFromForm(const SettingsForm& form, const SettingsValues& current)
{
    SettingsValues values;
    for (size_t i = 0; i < values.autoZoomRes.size(); ++i)
        values.autoZoomRes[i] = WholeValue(form.zoomTexts[i]);
    values.videoSideBySide = form.videoSideBySide;
    values.openWith = form.openWithEdited ? form.openWith : current.openWith;
    for (size_t i = 0; i < values.tempPaths.size(); ++i)
        values.tempPaths[i] = TempFolderFromText(form.tempPathTexts[i], current.tempPaths[i]);
    if (values.tempPaths[1] == values.tempPaths[0])  // one folder is not a second place
        values.tempPaths[1].clear();
    values.overlappedPlayTimeMS =
        std::clamp(WholeValue(form.overlappedPlayTimeText), kMinOverlappedPlayTimeMS, kMaxOverlappedPlayTimeMS);
    values.useMenuHotkeys = form.useMenuHotkeys;
    values.deleteWithoutAsking = form.deleteWithoutAsking;
    values.hisExclude = form.hisExclude;
    return values;
}

}  // namespace vistrel::settingsdlg
