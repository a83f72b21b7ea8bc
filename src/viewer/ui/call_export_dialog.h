#pragma once

#include <QString>

#include <memory>
#include <optional>

#include "viewer/call_export.h"

class QFileDialog;
class QWidget;

namespace ov {

class CallList;
class UiResources;

/// The save dialog of the call list's export: titled "Save to file", the three file types the
/// export writes (log files first, the text export; then CSV and JSON), the default extension
/// following the chosen type, and a question before an existing file is replaced.
std::unique_ptr<QFileDialog> MakeExportDialog(const UiResources& resources, QWidget* owner);

/// The export format of the file type chosen in the dialog.
std::optional<ExportFormat> ExportFormatOf(const QFileDialog& dialog);

/// Writes the list's rows to `path` in `format`. False, with the reason, when the file could
/// not be written whole.
bool WriteCallExport(const CallList& list, ExportFormat format, const QString& path,
                     QString* error);

/// The export command: the dialog, then the file; a failure is told in a message box. True
/// when a file was written.
bool RunCallExport(const CallList& list, const UiResources& resources, QWidget* owner);

}  // namespace ov
