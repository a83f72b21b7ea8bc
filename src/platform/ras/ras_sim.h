#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ras/ras_provider.h"
#include "platform/ras/sim_state.h"

namespace ov {

/// The built-in simulated dial-up service: the state lives in a small text file that every
/// change rewrites atomically under a lock, so the command-line companion can drive a monitor
/// running in another process. A call that changes nothing reads the file again only when it
/// is another file than the one read last (its inode, size or times differ), so a monitor
/// polling an idle service costs one stat() a poll.
class SimRasProvider final : public RasProvider, public RasPhoneBook {
public:
    /// Receives the one message about a damaged state file that was kept aside.
    using Reporter = std::function<void(const std::string&)>;

    SimRasProvider(std::string stateFile, Reporter report);

    std::uint32_t EnumConnections(std::vector<RasConnection>& out) override;
    std::uint32_t GetConnectState(HRASCONN handle, RasConnection& out) override;
    std::uint32_t GetEntryUserName(const std::string& entry, std::string& userName) override;
    std::uint32_t HangUp(HRASCONN handle) override;
    std::uint32_t EnumDevices(std::vector<RasDevice>& out) override;
    std::uint32_t EnumEntries(std::vector<std::string>& out) override;
    std::string Name() const override { return "simulator"; }
    /// Every simulated connection is a dial-up one: only a list of profiles leaves some out.
    void SetCallRule(const CallRule& rule) override;
    std::uint32_t EnumActiveConnections(std::vector<ActiveConnection>& out) override;
    RasPhoneBook* PhoneBook() override { return this; }

    std::uint32_t GetEntryProperties(const std::string& entry, RasEntryProperties& out) override;
    std::uint32_t SetEntryProperties(const std::string& entry,
                                     const RasEntryProperties& properties) override;
    std::uint32_t DeleteEntry(const std::string& entry) override;
    std::uint32_t ValidateEntryName(const std::string& entry) override;

    // Driving the service (orvanta-cli ras).
    std::uint32_t Dial(const std::string& entry, std::int32_t state, HRASCONN& handle);
    std::uint32_t SetState(const std::string& entry, std::int32_t state);
    std::uint32_t Drop(const std::string& entry);
    std::uint32_t Fail(std::uint32_t error, std::uint32_t count);
    std::uint32_t AddEntry(const std::string& name, const std::string& device,
                           const std::string& userName);
    std::uint32_t AddDevice(const std::string& name, const std::string& type);
    std::uint32_t Reset();
    /// The current state, read under the lock; nothing when the file cannot be read.
    std::optional<SimState> Snapshot();

    const std::string& StateFile() const { return m_stateFile; }

private:
    /// Runs `change` on the current state under the lock and saves the state when it says it
    /// changed it. Returns the change's error, or 621 when the file cannot be read or saved.
    std::uint32_t Transact(const std::function<std::uint32_t(SimState&, bool& changed)>& change);
    std::optional<SimState> Load();

    /// What tells one version of the state file from another: every change replaces the file,
    /// so a new inode, and an edit in place moves its size or times.
    struct FileStamp {
        bool exists = false;
        std::uint64_t device = 0;
        std::uint64_t inode = 0;
        std::int64_t size = 0;
        std::int64_t mtimeNs = 0;
        std::int64_t ctimeNs = 0;
        bool operator==(const FileStamp&) const = default;
    };
    /// The state file's stamp now; nothing when it cannot be told.
    std::optional<FileStamp> Stamp() const;
    /// Keeps `state` as the contents of the file with `stamp` (nothing forgets the copy).
    void Remember(const std::optional<FileStamp>& stamp, const SimState& state);

    /// Why a connection of that entry is not a call; empty when it is one.
    std::string WhyNotACall(const std::string& entry) const;

    std::string m_stateFile;
    Reporter m_report;
    mutable std::mutex m_ruleMutex;
    CallRule m_rule;
    std::mutex m_cacheMutex;  // guards the two below
    std::optional<FileStamp> m_cachedStamp;
    SimState m_cached;
};

}  // namespace ov
