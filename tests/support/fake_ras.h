#pragma once

#include <deque>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "platform/ras/ras_provider.h"

namespace ov::test {

/// A dial-up service held in memory, for tests that need exact control of what RAS says.
/// Thread-safe, so a poll thread can read it while the test changes it.
class FakeRasProvider final : public RasProvider {
public:
    /// Adds a connection (entry, device, type, state) and returns its handle.
    HRASCONN Add(const std::string& entry, std::int32_t state, const std::string& device = "Modem",
                 const std::string& type = "modem") {
        std::lock_guard lock(m_mutex);
        const HRASCONN handle = m_next++;
        m_connections.push_back({handle, entry, type, device, state});
        return handle;
    }
    void SetState(HRASCONN handle, std::int32_t state) {
        std::lock_guard lock(m_mutex);
        for (auto& c : m_connections) {
            if (c.handle == handle) {
                c.state = state;
            }
        }
    }
    void Remove(HRASCONN handle) {
        std::lock_guard lock(m_mutex);
        std::erase_if(m_connections, [&](const RasConnection& c) { return c.handle == handle; });
    }
    /// The next enumerations answer with these errors, one each (0: answer normally).
    void FailNextEnumerations(std::vector<std::uint32_t> errors) {
        std::lock_guard lock(m_mutex);
        m_enumErrors.assign(errors.begin(), errors.end());
    }
    /// Status queries for this handle fail while set.
    void FailStatusOf(HRASCONN handle, bool fail) {
        std::lock_guard lock(m_mutex);
        if (fail) {
            m_failStatus.insert(handle);
        } else {
            m_failStatus.erase(handle);
        }
    }
    void SetUserName(const std::string& entry, const std::string& user) {
        std::lock_guard lock(m_mutex);
        m_users[entry] = user;
    }
    int EnumerationCalls() const {
        std::lock_guard lock(m_mutex);
        return m_enumCalls;
    }

    std::uint32_t EnumConnections(std::vector<RasConnection>& out) override {
        std::lock_guard lock(m_mutex);
        ++m_enumCalls;
        if (!m_enumErrors.empty()) {
            const std::uint32_t error = m_enumErrors.front();
            m_enumErrors.pop_front();
            if (error != 0) {
                return error;
            }
        }
        out = m_connections;
        return 0;
    }
    std::uint32_t GetConnectState(HRASCONN handle, RasConnection& out) override {
        std::lock_guard lock(m_mutex);
        if (m_failStatus.count(handle)) {
            return ERROR_INVALID_HANDLE;
        }
        for (const auto& c : m_connections) {
            if (c.handle == handle) {
                out = c;
                return 0;
            }
        }
        return ERROR_INVALID_HANDLE;
    }
    std::uint32_t GetEntryUserName(const std::string& entry, std::string& user) override {
        std::lock_guard lock(m_mutex);
        const auto it = m_users.find(entry);
        if (it == m_users.end()) {
            return ERROR_CANNOT_FIND_PHONEBOOK_ENTRY;
        }
        user = it->second;
        return 0;
    }
    std::uint32_t HangUp(HRASCONN handle) override {
        Remove(handle);
        return 0;
    }
    std::uint32_t EnumDevices(std::vector<RasDevice>& out) override {
        out = {{"Modem", "modem"}};
        return 0;
    }
    std::uint32_t EnumEntries(std::vector<std::string>& out) override {
        std::lock_guard lock(m_mutex);
        out.clear();
        for (const auto& [entry, user] : m_users) {
            out.push_back(entry);
        }
        return 0;
    }
    std::string Name() const override { return "fake"; }

private:
    mutable std::mutex m_mutex;
    std::vector<RasConnection> m_connections;
    std::deque<std::uint32_t> m_enumErrors;
    std::set<HRASCONN> m_failStatus;
    std::map<std::string, std::string> m_users;
    HRASCONN m_next = 1;
    int m_enumCalls = 0;
};

}  // namespace ov::test
