#include "settings/stored_records.h"

#include <algorithm>
#include <cstring>

namespace ov {

LogFont LogFont::Make(std::string_view face, std::int32_t height, std::int32_t weight,
                      std::uint8_t charSet) {
    LogFont font;
    font.lfHeight = height;
    font.lfWeight = weight;
    font.lfCharSet = charSet;
    std::copy_n(face.begin(), std::min(face.size(), kFaceNameSize - 1), font.lfFaceName.begin());
    return font;
}

std::string_view LogFont::FaceName() const {
    return {lfFaceName.data(), strnlen(lfFaceName.data(), lfFaceName.size())};
}

}  // namespace ov
