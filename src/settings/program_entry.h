#pragma once

#include <string>

namespace ov {

/// One program of the settings' list of programs started on connect.
struct ProgramEntry {
    std::string path;  // a full path or a registered bare name, arguments may follow
    int style = 1;     // its window: 0 normal, 1 minimised, 2 maximised
    int exit = 0;      // 1: end the program when the connection ends

    bool operator==(const ProgramEntry&) const = default;
};

}  // namespace ov
