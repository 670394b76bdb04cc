#pragma once
// The desktop's names (freedesktop.org shared MIME database) for the containers that
// GetMediaType identifies, for the desktop entry's MimeType list.
#include "mediainfo/MediaType.h"

#include <string>
#include <vector>

namespace vistrel {

// The MIME types of the container that `code` stands for, the database's main name
// first, then the other names desktops use for it. Empty for codes that are no media
// of their own (NoMM, Riff, the refusal codes).
std::vector<std::string> MimeTypesOfMediaType(MediaType code);

}  // namespace vistrel
