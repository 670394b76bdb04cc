#pragma once
// The names of the WAVE format tags, shared by the RIFF, ASF and other readers.
#include <cstdint>
#include <string>

namespace vistrel {

// The name of the tag from our table (UTF-8: 0x0007 is "µ-law"); a tag not in the
// table gives "0x" and the tag in hexadecimal capitals without leading zeros (0x00FF: "0xFF").
std::string GetWaveFormatName(uint16_t formatTag);

}  // namespace vistrel
