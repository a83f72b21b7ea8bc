#include "platform/plugin_path.h"

#include <filesystem>

#include "platform/paths.h"

namespace ov {

std::string PluginPath(const std::string& file) {
    namespace fs = std::filesystem;
    const fs::path program = ProgramFolder();
    std::error_code ec;
    for (const fs::path& folder :
         {program / "plugins", program / ".." / "lib" / "orvanta" / "plugins"}) {
        if (fs::is_regular_file(folder / file, ec)) {
            return (folder / file).lexically_normal().string();
        }
    }
    return (program / "plugins" / file).string();
}

}  // namespace ov
