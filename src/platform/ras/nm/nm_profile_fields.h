#pragma once

#include <QMap>
#include <QString>
#include <QVariant>

#include "platform/ras/nm/nm_mapping.h"

// A NetworkManager profile's settings as D-Bus carries them, and the fields of them the phone
// book reads and writes.
namespace ov::nm {

/// A profile's settings as GetSettings gives them and Update takes them: `a{sa{sv}}`.
using RawSettings = QMap<QString, QVariantMap>;

/// Makes the settings' container types known to QtDBus; once per process, before any call.
void RegisterSettingsTypes();

/// A profile's `a{sa{sv}}` settings, text values only, flattened for the Qt-free mapping.
FlatSettings FlattenSettings(const QVariant& raw);

/// One text setting; none when the profile does not have it.
std::optional<std::string> OptionalText(const RawSettings& raw, const char* group, const char* key);

/// The settings the phone book uses, out of a profile's settings.
ProfileFields FieldsOf(const RawSettings& raw);

/// Writes the phone book's settings into a profile's settings, leaving every other one as it
/// was. Every value FieldsOf reads is written, so no used-up argument is sent back.
void WriteFields(const ProfileFields& f, bool isNew, RawSettings& raw);

}  // namespace ov::nm
