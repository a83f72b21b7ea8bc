#pragma once

// The report as a PDF, in a plugin of its own: the command line opens it only for the report,
// so that its other commands never load the drawing libraries. Qt Core only.

#include <QtPlugin>

#include <string>

namespace ov {

struct ReportDocument;

class ReportPdfPlugin {
public:
    virtual ~ReportPdfPlugin() = default;
    /// Writes the document as a PDF file. False, with the reason in `error`, when it cannot.
    virtual bool WritePdf(const ReportDocument& document, const std::string& path,
                          std::string* error) = 0;
};

/// The plugin's file name, in the `plugins` folder beside the language packs' folder.
inline constexpr char kReportPdfPluginFile[] = "libov_report_pdf.so";

}  // namespace ov

// The document crosses the plugin boundary as a C++ object: plugin and program must come from
// the same build, which the version in the interface name checks.
#define OV_REPORT_PDF_PLUGIN_IID "org.orvanta.ReportPdfPlugin/" OV_VERSION
Q_DECLARE_INTERFACE(ov::ReportPdfPlugin, OV_REPORT_PDF_PLUGIN_IID)
