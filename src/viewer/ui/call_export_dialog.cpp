#include "viewer/ui/call_export_dialog.h"

#include <QFileDialog>
#include <QMessageBox>

#include "dialogs/ui/ui_resources.h"
#include "viewer/call_list.h"
#include "viewer/ui/viewer_ui_ids.h"

namespace ov {

namespace {

struct FileType {
    ExportFormat format;
    unsigned nameString;  // the pack's name of the type, e.g. "Log files (*.log)"
    const char* fallbackName;
    const char* suffix;
};

constexpr FileType kFileTypes[] = {
    {ExportFormat::Text, kExportTextFilterString, "Log files (*.log)", "log"},
    {ExportFormat::Csv, kExportCsvFilterString, "CSV files (*.csv)", "csv"},
    {ExportFormat::Json, kExportJsonFilterString, "JSON files (*.json)", "json"},
};

QString TypeName(const UiResources& resources, const FileType& type) {
    const QString name = resources.Text(type.nameString);
    return name.isEmpty() ? QString::fromLatin1(type.fallbackName) : name;
}

}  // namespace

std::unique_ptr<QFileDialog> MakeExportDialog(const UiResources& resources, QWidget* owner) {
    auto dialog = std::make_unique<QFileDialog>(owner);
    dialog->setObjectName(QStringLiteral("ExportDialog"));
    QString title = resources.Text(kExportTitleString);
    dialog->setWindowTitle(title.isEmpty() ? QStringLiteral("Save to file") : title);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    QStringList names;
    for (const FileType& type : kFileTypes) {
        names << TypeName(resources, type);
    }
    dialog->setNameFilters(names);
    dialog->selectNameFilter(names.front());
    dialog->setDefaultSuffix(QString::fromLatin1(kFileTypes[0].suffix));
    QFileDialog* raw = dialog.get();
    QObject::connect(raw, &QFileDialog::filterSelected, raw, [raw, names](const QString& filter) {
        const auto index = names.indexOf(filter);
        if (index >= 0) {
            raw->setDefaultSuffix(QString::fromLatin1(kFileTypes[index].suffix));
        }
    });
    return dialog;
}

std::optional<ExportFormat> ExportFormatOf(const QFileDialog& dialog) {
    const auto index = dialog.nameFilters().indexOf(dialog.selectedNameFilter());
    if (index < 0 || static_cast<std::size_t>(index) >= std::size(kFileTypes)) {
        return std::nullopt;
    }
    return kFileTypes[index].format;
}

bool WriteCallExport(const CallList& list, ExportFormat format, const QString& path,
                     QString* error) {
    std::string why;
    if (ExportCallsToFile(list, format, path.toStdString(), &why)) {
        return true;
    }
    if (error != nullptr) {
        *error = QString::fromStdString(why);
    }
    return false;
}

bool RunCallExport(const CallList& list, const UiResources& resources, QWidget* owner) {
    const auto dialog = MakeExportDialog(resources, owner);
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty()) {
        return false;
    }
    const QString path = dialog->selectedFiles().front();
    const ExportFormat format = ExportFormatOf(*dialog).value_or(ExportFormat::Text);
    QString error;
    if (WriteCallExport(list, format, path, &error)) {
        return true;
    }
    // A file left half written must not pass for an export: the user hears of it.
    QString text = resources.Text(kExportFailedString);
    if (text.isEmpty()) {
        text = QStringLiteral("The export file cannot be written.");
    }
    if (!error.isEmpty()) {
        text += QStringLiteral("\n") + path + QStringLiteral("\n") + error;
    }
    QMessageBox::warning(owner, dialog->windowTitle(), text);
    return false;
}

}  // namespace ov
