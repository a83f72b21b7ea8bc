// The plugin that writes the report as a PDF for the command line.
#include <QCoreApplication>
#include <QGuiApplication>
#include <QObject>

#include <memory>

#include "printing/qt/report_painter.h"
#include "printing/qt/report_plugin.h"

namespace ov {

class ReportPdfPluginImpl final : public QObject, public ReportPdfPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID OV_REPORT_PDF_PLUGIN_IID)
    Q_INTERFACES(ov::ReportPdfPlugin)

public:
    bool WritePdf(const ReportDocument& document, const std::string& path,
                  std::string* error) override {
        // Fonts need a GUI application. A program without one (the command line) gets one for
        // the time of the writing, on the offscreen platform: no display is needed.
        std::unique_ptr<QGuiApplication> app;
        if (QCoreApplication::instance() == nullptr) {
            static int argc = 3;
            static char name[] = "orvanta-cli";
            static char platformOption[] = "-platform";
            static char platform[] = "offscreen";
            static char* argv[] = {name, platformOption, platform, nullptr};
            // The platform's remarks (a missing runtime folder and the like) are no concern of
            // a PDF file and would only clutter the command's error output.
            const QtMessageHandler previous =
                qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
            app = std::make_unique<QGuiApplication>(argc, argv);
            qInstallMessageHandler(previous);
        } else if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) {
            if (error != nullptr) {
                *error = "the report needs a GUI application to draw its fonts";
            }
            return false;
        }
        return WriteReportPdf(document, path, error);
    }
};

}  // namespace ov

#include "report_pdf_plugin.moc"
