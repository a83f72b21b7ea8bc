#pragma once

#include <cstdint>
#include <string>

#include "platform/registry/registry.h"

namespace ov {

/// One registry key as the settings use it: remembers its root, path and the rights it wants,
/// opens (or, for writing, creates) the key on demand and reads or writes single values.
/// Every read and write has an Exchange twin taking a save flag, so one routine per group of
/// settings serves both loading and saving. Failures are reported by the result only; a read
/// that fails leaves its target as it was.
class RegistryKey {
public:
    /// Size of the one text buffer that every text read goes through.
    static constexpr std::uint32_t kTextBufferSize = 2047;
    /// Bytes a number read takes in at most.
    static constexpr std::uint32_t kNumberBufferSize = 199;

    RegistryKey(HKEY root, std::string path);
    explicit RegistryKey(std::string path);
    virtual ~RegistryKey();
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    /// Closes the key, stores the three, then creates the key (access with any of the bits
    /// 0x02, 0x04, 0x20) or opens it (fails when it is missing).
    bool Open(HKEY root, const std::string& path, std::uint32_t access);
    bool Reopen(std::uint32_t access);
    /// Opens a closed key with `access`; an open key whose rights share no bit with `access`
    /// is reopened with both. An open key sharing a bit is left alone, so a write through a
    /// key opened for reading fails.
    void EnsureAccess(std::uint32_t access);
    /// True when the key is closed afterwards.
    bool Close();
    /// True when the key is open or can be opened for reading.
    bool Exists();

    /// The value's bytes into `buffer`; `size` is the capacity in and the length out. Uses the
    /// key as it is and does not check the type.
    bool ReadBinary(const char* name, void* buffer, std::uint32_t* size);
    bool WriteBinary(const char* name, const void* bytes, std::uint32_t size);
    bool ReadString(const char* name, std::string& text);
    bool WriteString(const char* name, const std::string& text);
    /// Only REG_DWORD and REG_DWORD_BIG_ENDIAN values, their first four bytes taken
    /// little-endian whatever the type.
    bool ReadNumber(const char* name, std::uint32_t& number);
    bool ReadNumber(const char* name, std::int32_t& number);
    bool WriteNumber(const char* name, std::uint32_t number);
    bool DeleteValue(const char* name);

    bool ExchangeString(const char* name, std::string& text, bool save);
    bool ExchangeNumber(const char* name, std::uint32_t& number, bool save);
    bool ExchangeNumber(const char* name, std::int32_t& number, bool save);
    bool ExchangeBinary(const char* name, void* bytes, std::uint32_t* size, bool save);

    const std::string& Path() const { return m_path; }
    std::uint32_t Access() const { return m_access; }
    HKEY Root() const { return m_root; }
    HKEY Handle() const { return m_handle; }
    /// The disposition of the last create, or the type of the last value read.
    std::uint32_t LastType() const { return m_lastType; }

private:
    std::string m_path;
    std::uint32_t m_access = KEY_READ;
    HKEY m_root = HKEY_LOCAL_MACHINE;
    HKEY m_handle = 0;
    std::uint32_t m_lastType = 0;
};

}  // namespace ov
