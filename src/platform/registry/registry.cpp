#include "platform/registry/registry.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/file_util.h"
#include "platform/paths.h"
#include "platform/text_util.h"

namespace ov {

namespace {

constexpr std::size_t kMaxKeyNameLength = 255;  // the registry's own limit per key name

bool IsRoot(HKEY key) {
    return key == HKEY_CLASSES_ROOT || key == HKEY_CURRENT_USER || key == HKEY_LOCAL_MACHINE;
}

RegRoot RootOf(HKEY key) {
    if (key == HKEY_CLASSES_ROOT) {
        return RegRoot::ClassesRoot;
    }
    return key == HKEY_CURRENT_USER ? RegRoot::CurrentUser : RegRoot::LocalMachine;
}

/// Adds the key names of `subKey` to `path`: 0, or why the path is not one.
std::uint32_t SplitKeyPath(const char* subKey, std::vector<std::string>& path) {
    if (!subKey || !*subKey) {
        return ERROR_SUCCESS;
    }
    const std::string_view text = subKey;
    std::size_t start = 0;
    for (;;) {
        const auto slash = text.find('\\', start);
        const std::string_view part = text.substr(start, slash - start);
        if (part.empty()) {
            return ERROR_BAD_PATHNAME;
        }
        // A line break would split the key's section line in the hive file.
        if (part.size() > kMaxKeyNameLength ||
            part.find_first_of("\r\n") != std::string_view::npos) {
            return ERROR_INVALID_PARAMETER;
        }
        path.emplace_back(part);
        if (slash == std::string_view::npos) {
            return ERROR_SUCCESS;
        }
        start = slash + 1;
    }
}

/// What tells one version of a file from the next: an atomic save always makes a new inode.
std::string FileStamp(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) {
        return {};
    }
    return std::to_string(st.st_dev) + ':' + std::to_string(st.st_ino) + ':' +
           std::to_string(st.st_size) + ':' + std::to_string(st.st_mtim.tv_sec) + '.' +
           std::to_string(st.st_mtim.tv_nsec) + ':' + std::to_string(st.st_ctim.tv_nsec);
}

std::string Folded(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return text;
}

/// A key path as one text without case, "a\\b\\" for the first `count` names.
std::string FoldedPath(const std::vector<std::string>& path, std::size_t count) {
    std::string key;
    for (std::size_t i = 0; i < count && i < path.size(); ++i) {
        key += path[i];
        key += '\\';
    }
    return Folded(std::move(key));
}

/// The key of a value in a hive's memory of values seen: path and name, without case.
std::string SeenKey(const std::vector<std::string>& path, std::string_view name) {
    return FoldedPath(path, path.size()) + '\0' + Folded(std::string(name));
}

bool NeedsTerminator(const RegValue& value) {
    const bool isText =
        value.type == REG_SZ || value.type == REG_EXPAND_SZ || value.type == REG_MULTI_SZ;
    return isText && (value.data.empty() || value.data.back() != '\0');
}

}  // namespace

RegistryStore::RegistryStore(HivePath machineHive, HivePath userHive, Reporter report)
    : m_report(std::move(report)) {
    m_machine.where = std::move(machineHive);
    m_machine.rootName = "HKEY_LOCAL_MACHINE";
    m_user.where = std::move(userHive);
    m_user.rootName = "HKEY_CURRENT_USER";
}

RegistryStore::~RegistryStore() {
    std::lock_guard lock(m_mutex);
    Save(m_machine);
    Save(m_user);
}

namespace {

std::mutex g_defaultHivesMutex;
std::string g_defaultMachineHive;
std::string g_defaultUserHive;

std::string DefaultHive(const std::string& hive) {
    std::lock_guard lock(g_defaultHivesMutex);
    return hive;
}

}  // namespace

RegistryStore& RegistryStore::Default() {
    static RegistryStore store([] { return DefaultHive(g_defaultMachineHive); },
                               [] { return DefaultHive(g_defaultUserHive); });
    return store;
}

void RegistryStore::UseDefaultPaths(const ProgramPaths& paths) {
    {
        std::lock_guard lock(g_defaultHivesMutex);
        g_defaultMachineHive = paths.machineHive;
        g_defaultUserHive = paths.userHive;
    }
    UseSystemFolders({paths.homeFolder, paths.configHome, paths.dataHome});
}

void RegistryStore::Report(const std::string& message) {
    if (m_report) {
        m_report(message);
    } else {
        std::fprintf(stderr, "%s: %s\n", program_invocation_short_name, message.c_str());
    }
}

RegistryStore::Hive* RegistryStore::HiveOf(RegRoot root) {
    switch (root) {
        case RegRoot::LocalMachine:
            return &m_machine;
        case RegRoot::CurrentUser:
            return &m_user;
        case RegRoot::ClassesRoot:
            break;
    }
    return nullptr;  // the built-in root has no file
}

void RegistryStore::Load(Hive& hive) {
    hive.root = HiveKey{};
    hive.stamp = FileStamp(hive.path);
    std::string error;
    struct stat st {};
    const bool missing = ::lstat(hive.path.c_str(), &st) != 0 && errno == ENOENT;
    const auto text = missing ? std::nullopt : ReadWholeFile(hive.path, &error);
    if (missing) {
        hive.lockedOut = false;
    } else if (!text) {
        if (!hive.lockedOut) {
            Report("registry hive " + error + "; it is left as it is and nothing is saved to it");
        }
        hive.lockedOut = true;
    } else {
        // Reading damages nothing: what can be read is used, the file stays as it is until a
        // save is about to replace it.
        std::size_t skipped = 0;
        auto parsed = ParseHive(*text, hive.rootName, &error, &skipped);
        hive.damaged = !parsed || skipped > 0;
        hive.damage = hive.damaged ? error : std::string();
        hive.root = parsed ? std::move(*parsed) : HiveKey{};
        // A damaged hive that could never be moved aside is never written either.
        const bool wasLockedOut = hive.lockedOut;
        hive.lockedOut =
            hive.damaged && ::access(ParentFolder(hive.path).c_str(), W_OK | X_OK) != 0;
        if (hive.lockedOut && !wasLockedOut) {
            Report("registry hive " + hive.path + " is damaged (" + hive.damage +
                   ") and could not be moved aside; it is left as it is and nothing is saved "
                   "to it");
        }
    }
    // Our own changes that are not saved yet go on top of what the file holds now.
    for (const auto& change : hive.unsaved) {
        ApplyTo(hive.root, change);
    }
}

void RegistryStore::Refresh(Hive& hive) {
    const std::string path = hive.where();
    if (path != hive.path) {
        if (!hive.path.empty()) {
            Save(hive);
        }
        hive.unsaved.clear();
        hive.seen.clear();
        hive.seenMissingKeys.clear();
        hive.path = path;
        hive.lockedOut = false;
        hive.saveFailed = false;
        Load(hive);
        return;
    }
    if (FileStamp(hive.path) != hive.stamp) {
        Load(hive);
    }
}

std::uint32_t RegistryStore::Save(Hive& hive) {
    if (hive.unsaved.empty()) {
        return ERROR_SUCCESS;
    }
    if (hive.path.empty()) {
        // No program named the hive's file: its changes can live in memory only.
        return ERROR_ACCESS_DENIED;
    }
    std::string error;
    std::optional<FileLock> lock;
    if (EnsureFolder(ParentFolder(hive.path), &error)) {
        lock = FileLock::Acquire(hive.path + ".lock", &error);
    }
    if (lock) {
        // Another process may have saved since we read the file: take its version and put
        // our changes on top, so that neither loses the other's values.
        Load(hive);
        if (hive.lockedOut) {
            return ERROR_ACCESS_DENIED;
        }
        if (hive.damaged) {
            // The lines we could not read may still matter to the user: keep the file.
            const auto kept = KeepAside(hive.path, "damaged");
            if (!kept) {
                if (!hive.saveFailed) {
                    Report("registry hive " + hive.path + " is damaged (" + hive.damage +
                           ") and could not be moved aside; it is left as it is and nothing is "
                           "saved to it");
                    hive.saveFailed = true;
                }
                hive.lockedOut = true;
                return ERROR_ACCESS_DENIED;
            }
            Report("registry hive " + hive.path + " is damaged (" + hive.damage +
                   "); kept aside as " + *kept + ", saving what could be read");
            hive.damaged = false;
        }
        if (WriteFileAtomically(hive.path, SerializeHive(hive.root, hive.rootName), &error)) {
            hive.unsaved.clear();
            hive.stamp = FileStamp(hive.path);
            hive.saveFailed = false;
            return ERROR_SUCCESS;
        }
    }
    if (!hive.saveFailed) {
        Report("registry hive " + hive.path + " could not be saved (" + error + ")");
        hive.saveFailed = true;
    }
    return ERROR_REGISTRY_IO_FAILED;
}

void RegistryStore::ApplyTo(HiveKey& root, const Change& change) {
    if (change.kind == Change::Delete) {
        if (HiveKey* key = root.Find(change.path)) {
            key->DeleteValue(change.value.name);
        }
        return;
    }
    HiveKey& key = root.Make(change.path);
    if (change.kind == Change::Set) {
        key.SetValue(change.value.name, change.value.type, change.value.data);
    }
}

void RegistryStore::Apply(Hive& hive, Change change) {
    ApplyTo(hive.root, change);
    hive.unsaved.push_back(std::move(change));
}

std::uint32_t RegistryStore::Resolve(HKEY parent, const char* subKey, OpenedKey* out) const {
    if (IsRoot(parent)) {
        *out = OpenedKey{RootOf(parent), {}, KEY_ALL_ACCESS};
    } else if (!Lookup(parent, out)) {
        return ERROR_INVALID_HANDLE;
    }
    return SplitKeyPath(subKey, out->path);
}

bool RegistryStore::Lookup(HKEY key, OpenedKey* out) const {
    if (IsRoot(key)) {
        *out = OpenedKey{RootOf(key), {}, KEY_ALL_ACCESS};
        return true;
    }
    const auto it = m_handles.find(key);
    if (it == m_handles.end()) {
        return false;
    }
    *out = it->second;
    return true;
}

bool RegistryStore::KeyExists(RegRoot root, const std::vector<std::string>& path) {
    const Hive* hive = HiveOf(root);
    const bool inHive = path.empty() || (hive && hive->root.Find(path));
    return inHive || LookupSystemKey(root, path, false).exists;
}

std::vector<RegValue> RegistryStore::ValuesOf(RegRoot root, const std::vector<std::string>& path) {
    const Hive* hive = HiveOf(root);
    const HiveKey* key = hive ? hive->root.Find(path) : nullptr;
    SystemKey system = LookupSystemKey(root, path, key != nullptr);
    if (system.replacesHive || !key) {
        return std::move(system.values);
    }
    std::vector<RegValue> values = std::move(system.values);
    for (const auto& value : key->values) {
        bool replaced = false;
        for (auto& known : values) {
            if (EqualsIgnoreCase(known.name, value.name)) {
                known = value;  // what the user stored wins over what the system says
                replaced = true;
            }
        }
        if (!replaced) {
            values.push_back(value);
        }
    }
    return values;
}

void RegistryStore::Remember(Hive& hive, const std::vector<std::string>& path,
                             std::string_view name, const std::optional<RegValue>& value) {
    hive.seen[SeenKey(path, name)] = value;
}

bool RegistryStore::IsChange(Hive& hive, const std::vector<std::string>& path,
                             const RegValue& value) {
    const HiveKey* key = hive.root.Find(path);
    const RegValue* current = key ? key->FindValue(value.name) : nullptr;
    if (current && current->type == value.type && current->data == value.data) {
        return false;
    }
    const auto seen = hive.seen.find(SeenKey(path, value.name));
    if (seen == hive.seen.end()) {
        // A key found missing had none of its values: as a value seen missing.
        for (std::size_t n = 1; n <= path.size(); ++n) {
            if (hive.seenMissingKeys.contains(FoldedPath(path, n))) {
                return current == nullptr;
            }
        }
        return true;
    }
    if (!seen->second) {
        // It was missing when we looked (our value is a default), and another process has
        // stored one since: theirs stands.
        return current == nullptr;
    }
    // The value as we last saw it, written back, while another process changed it since:
    // that is our unchanged copy, and the other's edit stands.
    return seen->second->type != value.type || seen->second->data != value.data;
}

HKEY RegistryStore::NewHandle(OpenedKey key) {
    while (m_handles.contains(m_nextHandle) || m_nextHandle == 0) {
        m_nextHandle = (m_nextHandle + 1) & 0x7FFFFFFF;
    }
    const HKEY handle = m_nextHandle;
    m_nextHandle = (m_nextHandle + 1) & 0x7FFFFFFF;
    m_handles.emplace(handle, std::move(key));
    return handle;
}

std::uint32_t RegistryStore::CreateKey(HKEY parent, const char* subKey, std::uint32_t access,
                                       HKEY* result, std::uint32_t* disposition) {
    std::lock_guard lock(m_mutex);
    if (!result) {
        return ERROR_INVALID_PARAMETER;
    }
    OpenedKey key;
    if (const auto error = Resolve(parent, subKey, &key); error != ERROR_SUCCESS) {
        return error;
    }
    Hive* hive = HiveOf(key.root);
    if (hive) {
        Refresh(*hive);
    }
    bool existed = KeyExists(key.root, key.path);
    if (!existed) {
        if (!hive || hive->lockedOut) {
            return ERROR_ACCESS_DENIED;
        }
        Apply(*hive, Change{key.path, Change::Create, {}});
    }
    if (disposition) {
        *disposition = existed ? REG_OPENED_EXISTING_KEY : REG_CREATED_NEW_KEY;
    }
    key.access = access;
    *result = NewHandle(std::move(key));
    return ERROR_SUCCESS;
}

std::uint32_t RegistryStore::OpenKey(HKEY parent, const char* subKey, std::uint32_t access,
                                     HKEY* result) {
    std::lock_guard lock(m_mutex);
    if (!result) {
        return ERROR_INVALID_PARAMETER;
    }
    OpenedKey key;
    if (const auto error = Resolve(parent, subKey, &key); error != ERROR_SUCCESS) {
        return error;
    }
    Hive* hive = HiveOf(key.root);
    if (hive) {
        Refresh(*hive);
    }
    if (!KeyExists(key.root, key.path)) {
        if (hive) {
            hive->seenMissingKeys.insert(FoldedPath(key.path, key.path.size()));
        }
        return ERROR_FILE_NOT_FOUND;
    }
    key.access = access;
    *result = NewHandle(std::move(key));
    return ERROR_SUCCESS;
}

std::uint32_t RegistryStore::QueryValue(HKEY handle, const char* name, std::uint32_t* type,
                                        std::uint8_t* data, std::uint32_t* size) {
    std::lock_guard lock(m_mutex);
    OpenedKey key;
    if (!Lookup(handle, &key)) {
        return ERROR_INVALID_HANDLE;
    }
    if (!(key.access & KEY_QUERY_VALUE)) {
        return ERROR_ACCESS_DENIED;
    }
    if (data && !size) {
        return ERROR_INVALID_PARAMETER;
    }
    const std::string_view wanted = name ? name : "";
    for (const auto& value : ValuesOf(key.root, key.path)) {
        if (!EqualsIgnoreCase(value.name, wanted)) {
            continue;
        }
        if (Hive* hive = HiveOf(key.root)) {
            Remember(*hive, key.path, wanted, value);
        }
        // Text comes back with its terminating zero even when it was stored without one.
        const bool terminate = NeedsTerminator(value);
        const auto needed = static_cast<std::uint32_t>(value.data.size() + (terminate ? 1 : 0));
        if (type) {
            *type = value.type;
        }
        if (data) {
            if (needed > *size) {
                *size = needed;
                return ERROR_MORE_DATA;
            }
            std::memcpy(data, value.data.data(), value.data.size());
            if (terminate) {
                data[value.data.size()] = 0;
            }
        }
        if (size) {
            *size = needed;
        }
        return ERROR_SUCCESS;
    }
    if (Hive* hive = HiveOf(key.root)) {
        Remember(*hive, key.path, wanted, std::nullopt);
    }
    return ERROR_FILE_NOT_FOUND;
}

std::uint32_t RegistryStore::SetValue(HKEY handle, const char* name, std::uint32_t type,
                                      const std::uint8_t* data, std::uint32_t size) {
    std::lock_guard lock(m_mutex);
    OpenedKey key;
    if (!Lookup(handle, &key)) {
        return ERROR_INVALID_HANDLE;
    }
    if (!(key.access & KEY_SET_VALUE)) {
        return ERROR_ACCESS_DENIED;
    }
    if (!data && size > 0) {
        return ERROR_INVALID_PARAMETER;
    }
    const std::string_view valueName = name ? name : "";
    const std::string_view bytes =
        size > 0 ? std::string_view(reinterpret_cast<const char*>(data), size) : std::string_view{};
    if (const auto error = SetSystemValue(key.root, key.path, valueName, type, bytes)) {
        return *error;
    }
    Hive* hive = HiveOf(key.root);
    if (!hive || hive->lockedOut) {
        return ERROR_ACCESS_DENIED;
    }
    RegValue value{std::string(valueName), type, std::string(bytes)};
    if (IsChange(*hive, key.path, value)) {
        Remember(*hive, key.path, valueName, value);
        Apply(*hive, Change{key.path, Change::Set, std::move(value)});
    }
    return ERROR_SUCCESS;
}

std::uint32_t RegistryStore::DeleteValue(HKEY handle, const char* name) {
    std::lock_guard lock(m_mutex);
    OpenedKey key;
    if (!Lookup(handle, &key)) {
        return ERROR_INVALID_HANDLE;
    }
    if (!(key.access & KEY_SET_VALUE)) {
        return ERROR_ACCESS_DENIED;
    }
    const std::string_view valueName = name ? name : "";
    if (const auto error = DeleteSystemValue(key.root, key.path, valueName)) {
        return *error;
    }
    Hive* hive = HiveOf(key.root);
    if (!hive || hive->lockedOut) {
        return ERROR_ACCESS_DENIED;
    }
    const HiveKey* stored = hive->root.Find(key.path);
    if (!stored || !stored->FindValue(valueName)) {
        return ERROR_FILE_NOT_FOUND;
    }
    Remember(*hive, key.path, valueName, std::nullopt);
    Apply(*hive, Change{key.path, Change::Delete, RegValue{std::string(valueName), REG_NONE, {}}});
    return ERROR_SUCCESS;
}

std::uint32_t RegistryStore::CloseKey(HKEY handle) {
    std::lock_guard lock(m_mutex);
    if (IsRoot(handle)) {
        return ERROR_SUCCESS;
    }
    const auto it = m_handles.find(handle);
    if (it == m_handles.end()) {
        return ERROR_INVALID_HANDLE;
    }
    const RegRoot root = it->second.root;
    m_handles.erase(it);
    Hive* hive = HiveOf(root);
    const bool lastOfHive =
        std::none_of(m_handles.begin(), m_handles.end(),
                     [root](const auto& handle) { return handle.second.root == root; });
    if (hive && lastOfHive) {
        Save(*hive);  // a failure is reported; the changes stay for the next save
    }
    return ERROR_SUCCESS;
}

std::uint32_t RegistryStore::FlushKey(HKEY handle) {
    std::lock_guard lock(m_mutex);
    OpenedKey key;
    if (!Lookup(handle, &key)) {
        return ERROR_INVALID_HANDLE;
    }
    Hive* hive = HiveOf(key.root);
    return hive ? Save(*hive) : ERROR_SUCCESS;
}

std::uint32_t RegistryStore::ListKey(HKEY handle, std::vector<RegValue>* values,
                                     std::vector<std::string>* subkeys) {
    std::lock_guard lock(m_mutex);
    OpenedKey key;
    if (!Lookup(handle, &key)) {
        return ERROR_INVALID_HANDLE;
    }
    if ((values && !(key.access & KEY_QUERY_VALUE)) ||
        (subkeys && !(key.access & KEY_ENUMERATE_SUB_KEYS))) {
        return ERROR_ACCESS_DENIED;
    }
    if (values) {
        *values = ValuesOf(key.root, key.path);
        if (Hive* hive = HiveOf(key.root)) {
            for (const auto& value : *values) {
                Remember(*hive, key.path, value.name, value);
            }
        }
    }
    if (subkeys) {
        subkeys->clear();
        const Hive* hive = HiveOf(key.root);
        const HiveKey* stored = hive ? hive->root.Find(key.path) : nullptr;
        if (stored) {
            for (const auto& subkey : stored->subkeys) {
                subkeys->push_back(subkey.name);
            }
        }
        for (auto& name : LookupSystemKey(key.root, key.path, stored != nullptr).subkeys) {
            if (!stored || !stored->FindSubkey(name)) {
                subkeys->push_back(std::move(name));
            }
        }
    }
    return ERROR_SUCCESS;
}

std::uint32_t RegCreateKeyExA(HKEY key, const char* subKey, std::uint32_t /*reserved*/,
                              const char* /*className*/, std::uint32_t /*options*/,
                              std::uint32_t access, const void* /*security*/, HKEY* result,
                              std::uint32_t* disposition) {
    return RegistryStore::Default().CreateKey(key, subKey, access, result, disposition);
}

std::uint32_t RegOpenKeyExA(HKEY key, const char* subKey, std::uint32_t /*options*/,
                            std::uint32_t access, HKEY* result) {
    return RegistryStore::Default().OpenKey(key, subKey, access, result);
}

std::uint32_t RegQueryValueExA(HKEY key, const char* name, std::uint32_t* /*reserved*/,
                               std::uint32_t* type, std::uint8_t* data, std::uint32_t* size) {
    return RegistryStore::Default().QueryValue(key, name, type, data, size);
}

std::uint32_t RegSetValueExA(HKEY key, const char* name, std::uint32_t /*reserved*/,
                             std::uint32_t type, const std::uint8_t* data, std::uint32_t size) {
    return RegistryStore::Default().SetValue(key, name, type, data, size);
}

std::uint32_t RegDeleteValueA(HKEY key, const char* name) {
    return RegistryStore::Default().DeleteValue(key, name);
}

std::uint32_t RegCloseKey(HKEY key) {
    return RegistryStore::Default().CloseKey(key);
}

std::uint32_t RegFlushKey(HKEY key) {
    return RegistryStore::Default().FlushKey(key);
}

std::string_view RootName(HKEY root) {
    switch (root) {
        case HKEY_CLASSES_ROOT:
            return "HKEY_CLASSES_ROOT";
        case HKEY_CURRENT_USER:
            return "HKEY_CURRENT_USER";
        case HKEY_LOCAL_MACHINE:
            return "HKEY_LOCAL_MACHINE";
        default:
            return {};
    }
}

}  // namespace ov
