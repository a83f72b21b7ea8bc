#include "cli/calls_report.h"

#ifdef OV_CLI_REPORT_PLUGIN
#include <QPluginLoader>
#include <QString>

#include "platform/plugin_path.h"
#include "printing/qt/report_plugin.h"
#include "printing/report_document.h"
#endif

namespace ov::cli {

int WriteCallReport(Context& ctx, const CallList& list, const Settings& settings,
                    const TextSource& texts, const std::string& path) {
#ifdef OV_CLI_REPORT_PLUGIN
    // The drawing libraries come with the plugin, loaded only now: no other command pays for
    // them.
    const std::string plugin = PluginPath(kReportPdfPluginFile);
    QPluginLoader loader(QString::fromStdString(plugin));
    auto* writer = qobject_cast<ReportPdfPlugin*>(loader.instance());
    if (writer == nullptr) {
        return Fail(ctx, "cannot load the report plugin " + plugin + ": " +
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
