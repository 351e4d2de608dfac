#include "song/audio_clip.h"

namespace rz {

std::string CAudioClip::baseName() const
{
    const size_t slash = fileName.find_last_of("\\/");
    return slash == std::string::npos ? fileName : fileName.substr(slash + 1);
}

} // namespace rz
