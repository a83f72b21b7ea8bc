#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ov {

// Value types as the registry numbers them.
inline constexpr std::uint32_t REG_NONE = 0;
inline constexpr std::uint32_t REG_SZ = 1;
inline constexpr std::uint32_t REG_EXPAND_SZ = 2;
inline constexpr std::uint32_t REG_BINARY = 3;
inline constexpr std::uint32_t REG_DWORD = 4;
inline constexpr std::uint32_t REG_DWORD_BIG_ENDIAN = 5;
inline constexpr std::uint32_t REG_MULTI_SZ = 7;

/// One named value of a key. The unnamed value has the empty name.
struct RegValue {
    std::string name;
    std::uint32_t type = REG_NONE;
    std::string data;  // the stored bytes, exactly as they were set

    bool operator==(const RegValue&) const = default;
};

/// One key of a hive with its values and subkeys in the order they were made. Names compare
/// without regard to ASCII case and keep the case they were made with.
struct HiveKey {
    std::string name;
    std::vector<RegValue> values;
    std::vector<HiveKey> subkeys;

    HiveKey* FindSubkey(std::string_view subkeyName);
    const HiveKey* FindSubkey(std::string_view subkeyName) const;
    /// The subkey of that name, made when missing; `created` says which.
    HiveKey& AddSubkey(std::string_view subkeyName, bool* created = nullptr);

    const RegValue* FindValue(std::string_view valueName) const;
    /// Replaces the value of that name in place (keeping the name's case), or appends it.
    void SetValue(std::string_view valueName, std::uint32_t type, std::string_view data);
    /// False when there was no such value.
    bool DeleteValue(std::string_view valueName);

    /// The key at `path` below this one (empty path: this key), or null.
    const HiveKey* Find(const std::vector<std::string>& path) const;
    HiveKey* Find(const std::vector<std::string>& path);
    /// The key at `path`, made with every missing key on the way.
    HiveKey& Make(const std::vector<std::string>& path);
};

inline constexpr std::string_view kHiveHeader = "Windows Registry Editor Version 5.00";

/// Reads a hive file in the registry editor's text format whose sections all lie under
/// `rootName` (long form such as "HKEY_LOCAL_MACHINE"; the short form is accepted too).
/// Nothing, with "line N: what" in `error`, when the text is not such a file. With
/// `skippedLines`, lines that cannot be read are passed over and counted there instead (the
/// first named in `error`), so that a damaged hive still gives what it holds whole.
std::optional<HiveKey> ParseHive(std::string_view text, std::string_view rootName,
                                 std::string* error = nullptr, std::size_t* skippedLines = nullptr);

/// The text of a hive file; ParseHive reads it back to the same keys and values, byte for byte.
std::string SerializeHive(const HiveKey& root, std::string_view rootName);

}  // namespace ov
