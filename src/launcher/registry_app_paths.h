#pragma once

#include <string>

#include "launcher/app_paths.h"

namespace ov {

/// The key below HKEY_LOCAL_MACHINE whose subkeys register applications by bare name.
inline constexpr const char* kAppPathsKey =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths";

/// The applications registered in the registry: the unnamed value of the name's key below
/// kAppPathsKey. The registry itself answers with the hive's key when one is stored and with a
/// search of PATH otherwise, so this is the lookup the program uses at run time.
class RegistryAppPaths final : public AppPaths {
public:
    std::string Lookup(const std::string& name) const override;
};

}  // namespace ov
