#pragma once
// A list's selection as flags by row: the rules that the file list and the title play
// control both follow.
#include <vector>

namespace vistrel {

int SelectedCount(const std::vector<bool>& selected);
// The first selected index greater than `index`, or -1.
int NextSelected(const std::vector<bool>& selected, int index);
// NextSelected(selected, -1).
int FirstSelected(const std::vector<bool>& selected);
// The last selected index smaller than `index`, or -1.
int PreviousSelected(const std::vector<bool>& selected, int index);

}  // namespace vistrel
