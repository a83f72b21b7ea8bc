#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/ras/ras.h"

namespace ov {

/// Where the two stored texts of an entry live under HKEY_CURRENT_USER: this key, then the
/// entry's name.
inline constexpr const char* kEntryTextsKey = "Software\\Quorvex\\OVSetup";

/// One dial-up phone-book entry as the program keeps it: its name, the two texts the options
/// page stores with it, its properties once read, and the handle of its current connection.
///
/// The two texts are read from the registry when the entry is made and written back when it
/// goes, so an entry list that is refilled keeps them.
class PhoneBookEntry {
public:
    explicit PhoneBookEntry(std::string name);
    ~PhoneBookEntry();
    PhoneBookEntry(const PhoneBookEntry&) = delete;
    PhoneBookEntry& operator=(const PhoneBookEntry&) = delete;

    const std::string& Name() const { return m_name; }

    /// Stored text 0 or 1.
    const std::string& StoredText(int index) const { return m_texts[Slot(index)]; }
    void SetStoredText(int index, std::string text) { m_texts[Slot(index)] = std::move(text); }

    /// The entry's properties; all zero until first read (dwSize is then non-zero).
    RASENTRY& Properties() { return m_properties; }
    const RASENTRY& Properties() const { return m_properties; }

    /// The handle of the entry's connection; 0 when it has none.
    HRASCONN Connection() const { return m_connection; }
    void SetConnection(HRASCONN connection) { m_connection = connection; }

private:
    static std::size_t Slot(int index) { return index == 0 ? 0 : 1; }

    std::string m_name;
    std::string m_texts[2];
    std::optional<std::string> m_stored[2];  // as read, to spare writing what is there already
    RASENTRY m_properties{};
    HRASCONN m_connection = 0;
};

/// The reversible encoding of the stored texts: each byte mixed with a running key and written
/// as two lowercase hexadecimal digits. It keeps the texts from plain sight in the hive file;
/// it is no protection against anyone who reads this.
std::string EncodeStoredText(std::string_view text);
/// The text back; nothing for a text that no encoding gave.
std::optional<std::string> DecodeStoredText(std::string_view encoded);

}  // namespace ov
