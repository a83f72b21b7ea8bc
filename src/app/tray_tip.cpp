#include "app/tray_tip.h"

namespace ov {

namespace {

bool IsContinuationByte(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

}  // namespace

std::string TrayTip(const std::string& text) {
    std::size_t chars = 0;
    std::size_t cutAt = 0;  // byte offset after the 62nd character
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (IsContinuationByte(text[i])) {
            continue;
        }
        if (chars == kTrayTipMaxChars - 1) {
            cutAt = i;
        }
        if (++chars > kTrayTipMaxChars) {
            return text.substr(0, cutAt) + "\u2026";
        }
    }
    return text;
}

std::string FormatTip(const std::string& format, const std::string& first,
                      const std::string& second) {
    std::string out;
    int used = 0;
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] == '%' && i + 1 < format.size()) {
            if (format[i + 1] == '%') {
                out.push_back('%');
                ++i;
                continue;
            }
            if (format[i + 1] == 's') {
                out += used == 0 ? first : used == 1 ? second : std::string();
                ++used;
                ++i;
                continue;
            }
        }
        out.push_back(format[i]);
    }
    return out;
}

}  // namespace ov
