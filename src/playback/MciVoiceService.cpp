// MciVoice's default command sender: the MCI command service, named in this one file only.
#include "playback/MciVoice.h"

namespace vistrel::MciVoice {

MciError ServiceSendString(const std::string& command, std::string& reply)
{
    return mciSendString(command, reply);
}

std::string ServiceErrorString(MciError code)
{
    return mciGetErrorString(code);
}

}  // namespace vistrel::MciVoice
