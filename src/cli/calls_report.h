#pragma once

#include <string>

#include "cli/cli.h"
#include "platform/text_source.h"
#include "settings/settings.h"
#include "viewer/call_list.h"

namespace ov::cli {

/// Writes the printed report of `list` as a PDF file through the report plugin; gives the
/// command's exit status, having said on standard error what failed.
int WriteCallReport(Context& ctx, const CallList& list, const Settings& settings,
                    const TextSource& texts, const std::string& path);

}  // namespace ov::cli
