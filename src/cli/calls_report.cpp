#include "cli/calls_report.h"

#ifdef OV_CLI_REPORT_PLUGIN
#include <QPluginLoader>
#include <QString>

#include <filesystem>

#include "platform/paths.h"
#include "printing/qt/report_plugin.h"
#include "printing/report_document.h"
#endif

namespace ov::cli {

#ifdef OV_CLI_REPORT_PLUGIN
namespace {

/// The plugin lives beside the language packs' folder: the program folder's `plugins` in a
/// build tree or a portable copy, else the installed ../lib/orvanta/plugins.
std::filesystem::path ReportPluginPath() {
    namespace fs = std::filesystem;
    const fs::path program = ProgramFolder();
    std::error_code ec;
    for (const fs::path& folder :
         {program / "plugins", program / ".." / "lib" / "orvanta" / "plugins"}) {
        if (fs::is_regular_file(folder / kReportPdfPluginFile, ec)) {
            return (folder / kReportPdfPluginFile).lexically_normal();
        }
    }
    return program / "plugins" / kReportPdfPluginFile;
}

}  // namespace
#endif

int WriteCallReport(Context& ctx, const CallList& list, const Settings& settings,
                    const TextSource& texts, const std::string& path) {
#ifdef OV_CLI_REPORT_PLUGIN
    // The drawing libraries come with the plugin, loaded only now: no other command pays for
    // them.
    const std::filesystem::path plugin = ReportPluginPath();
    QPluginLoader loader(QString::fromStdString(plugin.string()));
    auto* writer = qobject_cast<ReportPdfPlugin*>(loader.instance());
    if (writer == nullptr) {
        return Fail(ctx, "cannot load the report plugin " + plugin.string() + ": " +
                             loader.errorString().toStdString());
    }
    const ReportDocument document = MakeReportDocument(list, settings, texts);
    std::string error;
    if (!writer->WritePdf(document, path, &error)) {
        return Fail(ctx, error);
    }
    return kExitOk;
#else
    (void)list;
    (void)settings;
    (void)texts;
    (void)path;
    return Fail(ctx, "this orvanta-cli is built without the report");
#endif
}

}  // namespace ov::cli
