#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/paths.h"
#include "platform/registry/hive.h"
#include "platform/registry/system_keys.h"
#include "platform/win_error.h"

namespace ov {

/// A key handle: one of the predefined roots, or a small number handed out by the store.
using HKEY = std::uint32_t;

inline constexpr HKEY HKEY_CLASSES_ROOT = 0x80000000;
inline constexpr HKEY HKEY_CURRENT_USER = 0x80000001;
inline constexpr HKEY HKEY_LOCAL_MACHINE = 0x80000002;

// Access rights.
inline constexpr std::uint32_t KEY_QUERY_VALUE = 0x0001;
inline constexpr std::uint32_t KEY_SET_VALUE = 0x0002;
inline constexpr std::uint32_t KEY_CREATE_SUB_KEY = 0x0004;
inline constexpr std::uint32_t KEY_ENUMERATE_SUB_KEYS = 0x0008;
inline constexpr std::uint32_t KEY_NOTIFY = 0x0010;
inline constexpr std::uint32_t KEY_CREATE_LINK = 0x0020;
inline constexpr std::uint32_t KEY_READ = 0x20019;
inline constexpr std::uint32_t KEY_WRITE = 0x20006;
inline constexpr std::uint32_t KEY_ALL_ACCESS = 0xF003F;

// Dispositions of a create.
inline constexpr std::uint32_t REG_CREATED_NEW_KEY = 1;
inline constexpr std::uint32_t REG_OPENED_EXISTING_KEY = 2;

/// The registry of this platform: HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER are text hive
/// files, HKEY_CLASSES_ROOT is built in and read-only, and a few system keys stand for the
/// system's own settings (see system_keys.h). Thread-safe.
///
/// Changes are kept in memory and saved when a key is flushed, when the last open key of the
/// hive is closed (a group of settings is saved at once, not key by key) and at the end:
/// under the hive's lock the file is read again and the changes are applied to what it holds
/// now, so two processes saving in turns never lose each other's values. Opening a key picks
/// up what another process saved since. Writing the value a key holds is no change, and
/// neither is writing back the value as we last read it when another process has changed it
/// since: our unchanged copy does not undo another's edit.
///
/// A hive with lines that cannot be read gives what it holds whole; it is kept aside (and
/// that said) only when a save is about to replace it.
class RegistryStore {
public:
    using HivePath = std::function<std::string()>;  // asked at every open: the file can move
    using Reporter = std::function<void(const std::string&)>;

    /// A store over the given hive files; `report` hears of damaged hives and failed saves
    /// (standard error when not given).
    RegistryStore(HivePath machineHive, HivePath userHive, Reporter report = {});
    ~RegistryStore();  // saves what is still unsaved
    RegistryStore(const RegistryStore&) = delete;
    RegistryStore& operator=(const RegistryStore&) = delete;

    /// The store behind the Reg* functions: the hives UseDefaultPaths named (until then no
    /// hive has a file, and changes cannot be saved).
    static RegistryStore& Default();
    /// The hives and the system folders of `paths` for the Reg* functions, for the whole
    /// process: a program names them once at start (a test, for its own folder).
    static void UseDefaultPaths(const ProgramPaths& paths);

    std::uint32_t CreateKey(HKEY parent, const char* subKey, std::uint32_t access, HKEY* result,
                            std::uint32_t* disposition);
    std::uint32_t OpenKey(HKEY parent, const char* subKey, std::uint32_t access, HKEY* result);
    std::uint32_t QueryValue(HKEY key, const char* name, std::uint32_t* type, std::uint8_t* data,
                             std::uint32_t* size);
    std::uint32_t SetValue(HKEY key, const char* name, std::uint32_t type, const std::uint8_t* data,
                           std::uint32_t size);
    std::uint32_t DeleteValue(HKEY key, const char* name);
    std::uint32_t CloseKey(HKEY key);
    /// Saves the changes of the key's hive now.
    std::uint32_t FlushKey(HKEY key);
    /// The values (in stored order) and the subkey names of an open key.
    std::uint32_t ListKey(HKEY key, std::vector<RegValue>* values,
                          std::vector<std::string>* subkeys);

private:
    struct Change {
        std::vector<std::string> path;
        enum Kind { Create, Set, Delete } kind;
        RegValue value;
    };
    struct Hive {
        HivePath where;
        std::string path;  // the file the tree below came from
        std::string rootName;
        HiveKey root;
        std::vector<Change> unsaved;
        std::string stamp;       // identity of the file as last read or written
        bool lockedOut = false;  // unreadable, or damaged and could not be moved aside
        bool damaged = false;    // lines were skipped in reading: keep the file aside first
        std::string damage;      // the first of them
        // Every value as this process last read or wrote it (by folded path and name; nothing
        // when it was missing), to tell our unchanged copy from a change of our own.
        std::map<std::string, std::optional<RegValue>> seen;
        std::set<std::string> seenMissingKeys;  // keys found missing: their values were too
        bool saveFailed = false;  // a failed save was reported; the next success clears it
    };
    struct OpenedKey {
        RegRoot root;
        std::vector<std::string> path;
        std::uint32_t access;
    };

    std::uint32_t Resolve(HKEY parent, const char* subKey, OpenedKey* out) const;
    bool Lookup(HKEY key, OpenedKey* out) const;
    Hive* HiveOf(RegRoot root);
    void Report(const std::string& message);
    void Refresh(Hive& hive);
    void Load(Hive& hive);
    std::uint32_t Save(Hive& hive);
    static void ApplyTo(HiveKey& root, const Change& change);
    void Apply(Hive& hive, Change change);
    bool KeyExists(RegRoot root, const std::vector<std::string>& path);
    std::vector<RegValue> ValuesOf(RegRoot root, const std::vector<std::string>& path);
    HKEY NewHandle(OpenedKey key);
    static void Remember(Hive& hive, const std::vector<std::string>& path, std::string_view name,
                         const std::optional<RegValue>& value);
    static bool IsChange(Hive& hive, const std::vector<std::string>& path, const RegValue& value);

    mutable std::mutex m_mutex;
    Reporter m_report;
    Hive m_machine;
    Hive m_user;
    std::map<HKEY, OpenedKey> m_handles;
    HKEY m_nextHandle = 1;
};

// The registry functions the program calls, over RegistryStore::Default(), with the
// platform's error numbers: 2 for a missing key or value, 5 for a right the handle lacks or a
// write to a read-only root, 6 for an unknown handle, 234 when the value is longer than the
// buffer (the needed size is then in *size).
std::uint32_t RegCreateKeyExA(HKEY key, const char* subKey, std::uint32_t reserved,
                              const char* className, std::uint32_t options, std::uint32_t access,
                              const void* security, HKEY* result, std::uint32_t* disposition);
std::uint32_t RegOpenKeyExA(HKEY key, const char* subKey, std::uint32_t options,
                            std::uint32_t access, HKEY* result);
std::uint32_t RegQueryValueExA(HKEY key, const char* name, std::uint32_t* reserved,
                               std::uint32_t* type, std::uint8_t* data, std::uint32_t* size);
std::uint32_t RegSetValueExA(HKEY key, const char* name, std::uint32_t reserved, std::uint32_t type,
                             const std::uint8_t* data, std::uint32_t size);
std::uint32_t RegDeleteValueA(HKEY key, const char* name);
std::uint32_t RegCloseKey(HKEY key);
std::uint32_t RegFlushKey(HKEY key);

/// The long name of a root ("HKEY_LOCAL_MACHINE"); empty for anything else.
std::string_view RootName(HKEY root);

}  // namespace ov
