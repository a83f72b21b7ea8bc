#pragma once

#include <string>

namespace ov {

/// The login name of the effective user; empty when the system cannot say.
std::string LoginName();

}  // namespace ov
