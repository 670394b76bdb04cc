#pragma once
// How the file list's drag and drop and clipboard copy or move files into a folder: the
// copy engine with the window's progress, conflict and error dialogs, handed in by the
// window (tests hand in their own).
#include "platform/shell/CopyEngine.h"

#include <functional>
#include <string>
#include <vector>

namespace vistrel {

using FileTransfer = std::function<shell::TransferResult(shell::FileOp op, const std::vector<std::string>& sources,
                                                         const std::string& destinationFolder)>;

}  // namespace vistrel
