#include "platform/ras/ras_sim.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>

#include "platform/file_util.h"
#include "platform/text_util.h"

namespace ov {

SimRasProvider::SimRasProvider(std::string stateFile, Reporter report)
    : m_stateFile(std::move(stateFile)), m_report(std::move(report)) {}

std::optional<SimState> SimRasProvider::Load() {
    std::string error;
    const auto text = ReadWholeFile(m_stateFile, &error);
    if (!text) {
        if (errno == ENOENT) {
            return SimState::Fresh();
        }
        if (m_report) {
            m_report("simulator state " + error);
        }
        return std::nullopt;
    }
    if (auto state = SimState::Parse(*text, &error)) {
        return state;
    }
    // Never overwrite what we cannot read: keep it for a look, then start afresh.
    const auto kept = KeepAside(m_stateFile, "damaged");
    if (!kept) {
        if (m_report) {
            m_report("simulator state " + m_stateFile + " is damaged (" + error +
                     ") and cannot be moved aside");
        }
        return std::nullopt;
    }
    if (m_report) {
        m_report("simulator state " + m_stateFile + " is damaged (" + error + "); kept as " +
                 *kept + ", starting from a fresh state");
    }
    return SimState::Fresh();
}

std::optional<SimRasProvider::FileStamp> SimRasProvider::Stamp() const {
    struct stat st {};
    if (stat(m_stateFile.c_str(), &st) != 0) {
        if (errno == ENOENT) {
            return FileStamp{};  // a missing file reads as the fresh state
        }
        return std::nullopt;
    }
    constexpr std::int64_t kNs = 1'000'000'000;
    return FileStamp{true,
                     static_cast<std::uint64_t>(st.st_dev),
                     static_cast<std::uint64_t>(st.st_ino),
                     static_cast<std::int64_t>(st.st_size),
                     static_cast<std::int64_t>(st.st_mtim.tv_sec) * kNs + st.st_mtim.tv_nsec,
                     static_cast<std::int64_t>(st.st_ctim.tv_sec) * kNs + st.st_ctim.tv_nsec};
}

void SimRasProvider::Remember(const std::optional<FileStamp>& stamp, const SimState& state) {
    const std::lock_guard cache(m_cacheMutex);
    m_cachedStamp = stamp;
    if (stamp) {
        m_cached = state;
    }
}

std::uint32_t SimRasProvider::Transact(
    const std::function<std::uint32_t(SimState&, bool& changed)>& change) {
    // The file as read last, when it is still that file: a call that changes nothing needs
    // neither the lock nor a read. Run on a copy, so that a change can still go the long way.
    if (const auto stamp = Stamp()) {
        const std::lock_guard cache(m_cacheMutex);
        if (m_cachedStamp == stamp) {
            SimState state = m_cached;
            bool changed = false;
            const std::uint32_t result = change(state, changed);
            if (!changed) {
                return result;
            }
        }
    }

    std::string error;
    const auto lock = FileLock::Acquire(m_stateFile + ".lock", &error);
    if (!lock) {
        if (m_report) {
            m_report("simulator state lock " + error);
        }
        return ERROR_CANNOT_OPEN_PHONEBOOK;
    }
    // Every writer holds the lock, so the stamp taken now belongs to the text read next; a
    // damaged file that Load moves aside leaves a stamp that no longer tells the file.
    const auto stamp = Stamp();
    auto state = Load();
    if (!state) {
        Remember(std::nullopt, {});
        return ERROR_CANNOT_OPEN_PHONEBOOK;
    }
    Remember(stamp && Stamp() == stamp ? stamp : std::nullopt, *state);
    bool changed = false;
    const std::uint32_t result = change(*state, changed);
    if (!changed) {
        return result;
    }
    // The file is replaced: the next call reads it again.
    Remember(std::nullopt, {});
    if (!WriteFileAtomically(m_stateFile, state->Serialize(), &error)) {
        if (m_report) {
            m_report("simulator state " + error);
        }
        return ERROR_CANNOT_OPEN_PHONEBOOK;
    }
    return result;
}

std::uint32_t SimRasProvider::EnumConnections(std::vector<RasConnection>& out) {
    return Transact([&](SimState& s, bool& changed) -> std::uint32_t {
        if (s.failCount > 0) {
            --s.failCount;
            changed = true;
            return s.failError;
        }
        out.clear();
        for (const auto& c : s.connections) {
            if (WhyNotACall(c.entry).empty()) {
                out.push_back({c.handle, c.entry, c.deviceType, c.device, c.state});
            }
        }
        return ERROR_SUCCESS;
    });
}

void SimRasProvider::SetCallRule(const CallRule& rule) {
    std::lock_guard lock(m_ruleMutex);
    m_rule = rule;
}

std::string SimRasProvider::WhyNotACall(const std::string& entry) const {
    std::lock_guard lock(m_ruleMutex);
    return ov::WhyNotACall(m_rule, entry, CallFacts{false, true, false});
}

std::uint32_t SimRasProvider::EnumActiveConnections(std::vector<ActiveConnection>& out) {
    return Transact([&](SimState& s, bool& changed) -> std::uint32_t {
        if (s.failCount > 0) {
            --s.failCount;
            changed = true;
            return s.failError;
        }
        out.clear();
        for (const auto& c : s.connections) {
            out.push_back(
                {{c.handle, c.entry, c.deviceType, c.device, c.state}, WhyNotACall(c.entry)});
        }
        return ERROR_SUCCESS;
    });
}

std::uint32_t SimRasProvider::GetConnectState(HRASCONN handle, RasConnection& out) {
    return Transact([&](SimState& s, bool&) -> std::uint32_t {
        for (const auto& c : s.connections) {
            if (c.handle == handle && WhyNotACall(c.entry).empty()) {
                out = {c.handle, c.entry, c.deviceType, c.device, c.state};
                return ERROR_SUCCESS;
            }
        }
        return ERROR_INVALID_HANDLE;
    });
}

std::uint32_t SimRasProvider::GetEntryUserName(const std::string& entry, std::string& userName) {
    return Transact([&](SimState& s, bool&) -> std::uint32_t {
        const auto* e = s.FindEntry(entry);
        if (!e) {
            return ERROR_CANNOT_FIND_PHONEBOOK_ENTRY;
        }
        userName = e->userName;
        return ERROR_SUCCESS;
    });
}

std::uint32_t SimRasProvider::HangUp(HRASCONN handle) {
    return Transact([&](SimState& s, bool& changed) -> std::uint32_t {
        for (auto it = s.connections.begin(); it != s.connections.end(); ++it) {
            if (it->handle == handle && WhyNotACall(it->entry).empty()) {
                s.connections.erase(it);
                changed = true;
                return ERROR_SUCCESS;
            }
        }
        return ERROR_INVALID_HANDLE;
    });
}

std::uint32_t SimRasProvider::EnumDevices(std::vector<RasDevice>& out) {
    return Transact([&](SimState& s, bool&) -> std::uint32_t {
        out = s.devices;
        return ERROR_SUCCESS;
    });
}

std::uint32_t SimRasProvider::EnumEntries(std::vector<std::string>& out) {
    return Transact([&](SimState& s, bool&) -> std::uint32_t {
        out.clear();
        for (const auto& e : s.entries) {
            if (WhyNotACall(e.name).empty()) {
                out.push_back(e.name);
            }
        }
        return ERROR_SUCCESS;
    });
}

std::uint32_t SimRasProvider::GetEntryProperties(const std::string& entry,
                                                 RasEntryProperties& out) {
    return Transact([&](SimState& s, bool&) -> std::uint32_t {
        const auto* e = s.FindEntry(entry);
        if (!e) {
            return ERROR_CANNOT_FIND_PHONEBOOK_ENTRY;
        }
        out = e->properties;
        out.deviceName = e->device;
        const auto* device = e->device.empty() ? nullptr : s.FindDevice(e->device);
        out.deviceType = device ? device->type : std::string();
        return ERROR_SUCCESS;
    });
}

std::uint32_t SimRasProvider::SetEntryProperties(const std::string& entry,
                                                 const RasEntryProperties& properties) {
    return Transact([&](SimState& s, bool& changed) -> std::uint32_t {
        std::string device;
        if (!properties.deviceName.empty()) {
            const auto* d = s.FindDevice(properties.deviceName);
            if (!d) {
                return ERROR_DEVICE_DOES_NOT_EXIST;
            }
            device = d->name;
        }
        auto* e = s.FindEntry(entry);
        if (!e) {
            if (!IsValidRasEntryName(entry)) {
                return ERROR_INVALID_NAME;
            }
            e = &s.entries.emplace_back(SimState::Entry{entry, {}, {}, {}});
        }
        e->device = device;
        e->properties = properties;
        e->properties.deviceName.clear();
        e->properties.deviceType.clear();
        changed = true;
        return ERROR_SUCCESS;
    });
}

std::uint32_t SimRasProvider::DeleteEntry(const std::string& entry) {
    return Transact([&](SimState& s, bool& changed) -> std::uint32_t {
        const auto it = std::find_if(s.entries.begin(), s.entries.end(), [&](const auto& e) {
            return EqualsIgnoreCase(e.name, entry);
        });
        if (it == s.entries.end()) {
            return ERROR_CANNOT_FIND_PHONEBOOK_ENTRY;
        }
        s.entries.erase(it);
        changed = true;
        return ERROR_SUCCESS;
    });
}

std::uint32_t SimRasProvider::ValidateEntryName(const std::string& entry) {
    if (!IsValidRasEntryName(entry)) {
        return ERROR_INVALID_NAME;
    }
    return Transact([&](SimState& s, bool&) -> std::uint32_t {
        return s.FindEntry(entry) ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS;
    });
}

std::uint32_t SimRasProvider::Dial(const std::string& entry, std::int32_t state, HRASCONN& handle) {
    return Transact([&](SimState& s, bool& changed) -> std::uint32_t {
        const auto* e = s.FindEntry(entry);
        if (!e) {
            return ERROR_CANNOT_FIND_PHONEBOOK_ENTRY;
        }
        if (s.FindConnectionOf(e->name)) {
            return ERROR_PORT_ALREADY_OPEN;
        }
        // An entry without a device of its own dials on the first device there is.
        const RasDevice* device = e->device.empty() ? nullptr : s.FindDevice(e->device);
        if (!device && e->device.empty() && !s.devices.empty()) {
            device = &s.devices.front();
        }
        if (!device) {
            return ERROR_DEVICE_DOES_NOT_EXIST;
        }
        if (s.nextHandle == 0) {  // wrapped around: handle 0 means "no connection"
            s.nextHandle = 1;
        }
        handle = s.nextHandle++;
        s.connections.push_back({handle, e->name, device->name, device->type, state});
        changed = true;
        return ERROR_SUCCESS;
    });
}

std::uint32_t SimRasProvider::SetState(const std::string& entry, std::int32_t state) {
    return Transact([&](SimState& s, bool& changed) -> std::uint32_t {
        auto* c = s.FindConnectionOf(entry);
        if (!c) {
            return s.FindEntry(entry) ? ERROR_NO_CONNECTION : ERROR_CANNOT_FIND_PHONEBOOK_ENTRY;
        }
        c->state = state;
        changed = true;
        return ERROR_SUCCESS;
    });
}

std::uint32_t SimRasProvider::Drop(const std::string& entry) {
    return Transact([&](SimState& s, bool& changed) -> std::uint32_t {
        for (auto it = s.connections.begin(); it != s.connections.end(); ++it) {
            if (EqualsIgnoreCase(it->entry, entry)) {
                s.connections.erase(it);
                changed = true;
                return ERROR_SUCCESS;
            }
        }
        return s.FindEntry(entry) ? ERROR_NO_CONNECTION : ERROR_CANNOT_FIND_PHONEBOOK_ENTRY;
    });
}

std::uint32_t SimRasProvider::Fail(std::uint32_t error, std::uint32_t count) {
    return Transact([&](SimState& s, bool& changed) -> std::uint32_t {
        s.failError = error;
        s.failCount = count;
        changed = true;
        return ERROR_SUCCESS;
    });
}

std::uint32_t SimRasProvider::AddEntry(const std::string& name, const std::string& device,
                                       const std::string& userName) {
    return Transact([&](SimState& s, bool& changed) -> std::uint32_t {
        if (name.empty() || name.size() > RAS_MaxEntryName) {
            return ERROR_INVALID_NAME;
        }
        if (s.FindEntry(name)) {
            return ERROR_ALREADY_EXISTS;
        }
        std::string deviceName = device;
        if (!device.empty()) {
            const auto* d = s.FindDevice(device);
            if (!d) {
                return ERROR_DEVICE_DOES_NOT_EXIST;
            }
            deviceName = d->name;
        }
        s.entries.push_back({name, deviceName, userName, {}});
        changed = true;
        return ERROR_SUCCESS;
    });
}

std::uint32_t SimRasProvider::AddDevice(const std::string& name, const std::string& type) {
    return Transact([&](SimState& s, bool& changed) -> std::uint32_t {
        if (name.empty() || name.size() > RAS_MaxDeviceName || type.size() > RAS_MaxDeviceType) {
            return ERROR_INVALID_NAME;
        }
        if (s.FindDevice(name)) {
            return ERROR_ALREADY_EXISTS;
        }
        s.devices.push_back({name, type});
        changed = true;
        return ERROR_SUCCESS;
    });
}

std::uint32_t SimRasProvider::Reset() {
    return Transact([&](SimState& s, bool& changed) -> std::uint32_t {
        s = SimState::Fresh();
        changed = true;
        return ERROR_SUCCESS;
    });
}

std::optional<SimState> SimRasProvider::Snapshot() {
    std::optional<SimState> out;
    Transact([&](SimState& s, bool&) -> std::uint32_t {
        out = s;
        return ERROR_SUCCESS;
    });
    return out;
}

}  // namespace ov
