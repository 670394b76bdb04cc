#include "support/Selection.h"

#include <algorithm>

namespace vistrel {

int SelectedCount(const std::vector<bool>& selected)
{
    return static_cast<int>(std::count(selected.begin(), selected.end(), true));
}

int NextSelected(const std::vector<bool>& selected, int index)
{
    const int count = static_cast<int>(selected.size());
    for (int i = index < 0 ? 0 : (index >= count ? count : index + 1); i < count; ++i)
        if (selected[static_cast<size_t>(i)])
            return i;
    return -1;
}

int FirstSelected(const std::vector<bool>& selected)
{
    return NextSelected(selected, -1);
}

int PreviousSelected(const std::vector<bool>& selected, int index)
{
    for (int i = std::min(index, static_cast<int>(selected.size())) - 1; i >= 0; --i)
        if (selected[static_cast<size_t>(i)])
            return i;
    return -1;
}

}  // namespace vistrel
