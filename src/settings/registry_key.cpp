#include "settings/registry_key.h"

#include <cstring>
#include <mutex>

namespace ov {

namespace {

// Rights that make Open create the key rather than only open it.
constexpr std::uint32_t kCreatingRights = KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_CREATE_LINK;

// The one text buffer of the program. Reads are serialised so that a second thread reading a
// text cannot overwrite the buffer under the first.
char g_textBuffer[RegistryKey::kTextBufferSize];
std::mutex g_textBufferMutex;

}  // namespace

RegistryKey::RegistryKey(HKEY root, std::string path) : m_path(std::move(path)), m_root(root) {}

RegistryKey::RegistryKey(std::string path) : RegistryKey(HKEY_LOCAL_MACHINE, std::move(path)) {}

RegistryKey::~RegistryKey() {
    Close();
}

bool RegistryKey::Open(HKEY root, const std::string& path, std::uint32_t access) {
    Close();
    m_root = root;
    m_path = path;
    m_access = access;
    std::uint32_t result;
    if ((access & 0xFF) & kCreatingRights) {
        result = RegCreateKeyExA(m_root, m_path.c_str(), 0, nullptr, 0, m_access, nullptr,
                                 &m_handle, &m_lastType);
    } else {
        result = RegOpenKeyExA(m_root, m_path.c_str(), 0, m_access, &m_handle);
    }
    if (result != ERROR_SUCCESS) {
        m_handle = 0;
    }
    return result == ERROR_SUCCESS;
}

bool RegistryKey::Reopen(std::uint32_t access) {
    const std::string path = m_path;  // Open stores its arguments after closing
    return Open(m_root, path, access);
}

void RegistryKey::EnsureAccess(std::uint32_t access) {
    if (!m_handle) {
        Reopen(access);
    } else if (!(m_access & access)) {
        Reopen(m_access | access);
    }
}

bool RegistryKey::Close() {
    if (m_handle && RegCloseKey(m_handle) == ERROR_SUCCESS) {
        m_handle = 0;
    }
    return m_handle == 0;
}

bool RegistryKey::Exists() {
    if (m_handle) {
        return true;
    }
    HKEY probe = 0;
    if (RegOpenKeyExA(m_root, m_path.c_str(), 0, KEY_READ, &probe) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(probe);
    return true;
}

bool RegistryKey::ReadBinary(const char* name, void* buffer, std::uint32_t* size) {
    return RegQueryValueExA(m_handle, name, nullptr, &m_lastType,
                            static_cast<std::uint8_t*>(buffer), size) == ERROR_SUCCESS;
}

bool RegistryKey::WriteBinary(const char* name, const void* bytes, std::uint32_t size) {
    EnsureAccess(KEY_WRITE);
    return RegSetValueExA(m_handle, name, 0, REG_BINARY, static_cast<const std::uint8_t*>(bytes),
                          size) == ERROR_SUCCESS;
}

bool RegistryKey::ReadString(const char* name, std::string& text) {
    EnsureAccess(KEY_READ);
    std::lock_guard lock(g_textBufferMutex);
    std::uint32_t size = kTextBufferSize;
    if (RegQueryValueExA(m_handle, name, nullptr, &m_lastType,
                         reinterpret_cast<std::uint8_t*>(g_textBuffer), &size) != ERROR_SUCCESS) {
        return false;
    }
    // The text ends at its terminating zero, or at the stored length when it has none.
    text.assign(g_textBuffer, strnlen(g_textBuffer, size));
    return true;
}

bool RegistryKey::WriteString(const char* name, const std::string& text) {
    EnsureAccess(KEY_WRITE);
    return RegSetValueExA(m_handle, name, 0, REG_SZ,
                          reinterpret_cast<const std::uint8_t*>(text.data()),
                          static_cast<std::uint32_t>(text.size())) == ERROR_SUCCESS;
}

bool RegistryKey::ReadNumber(const char* name, std::uint32_t& number) {
    EnsureAccess(KEY_READ);
    std::uint8_t buffer[kNumberBufferSize] = {};
    std::uint32_t size = sizeof buffer;
    if (RegQueryValueExA(m_handle, name, nullptr, &m_lastType, buffer, &size) != ERROR_SUCCESS) {
        return false;
    }
    // A value shorter than a number is as unusable as one of another type.
    if ((m_lastType != REG_DWORD && m_lastType != REG_DWORD_BIG_ENDIAN) || size < 4) {
        return false;
    }
    number = buffer[0] | (buffer[1] << 8) | (buffer[2] << 16) |
             (static_cast<std::uint32_t>(buffer[3]) << 24);
    return true;
}

bool RegistryKey::ReadNumber(const char* name, std::int32_t& number) {
    std::uint32_t n;
    if (!ReadNumber(name, n)) {
        return false;
    }
    number = static_cast<std::int32_t>(n);
    return true;
}

bool RegistryKey::WriteNumber(const char* name, std::uint32_t number) {
    EnsureAccess(KEY_WRITE);
    const std::uint8_t bytes[4] = {
        static_cast<std::uint8_t>(number), static_cast<std::uint8_t>(number >> 8),
        static_cast<std::uint8_t>(number >> 16), static_cast<std::uint8_t>(number >> 24)};
    return RegSetValueExA(m_handle, name, 0, REG_DWORD, bytes, sizeof bytes) == ERROR_SUCCESS;
}

bool RegistryKey::DeleteValue(const char* name) {
    EnsureAccess(KEY_SET_VALUE);
    return RegDeleteValueA(m_handle, name) == ERROR_SUCCESS;
}

bool RegistryKey::ExchangeString(const char* name, std::string& text, bool save) {
    return save ? WriteString(name, text) : ReadString(name, text);
}

bool RegistryKey::ExchangeNumber(const char* name, std::uint32_t& number, bool save) {
    return save ? WriteNumber(name, number) : ReadNumber(name, number);
}

bool RegistryKey::ExchangeNumber(const char* name, std::int32_t& number, bool save) {
    return save ? WriteNumber(name, static_cast<std::uint32_t>(number)) : ReadNumber(name, number);
}

bool RegistryKey::ExchangeBinary(const char* name, void* bytes, std::uint32_t* size, bool save) {
    return save ? WriteBinary(name, bytes, *size) : ReadBinary(name, bytes, size);
}

}  // namespace ov
