#include "platform/ras/sim_state.h"

#include <algorithm>
#include <limits>

#include "platform/text_util.h"

namespace ov {

namespace {

constexpr std::string_view kHeader = "orvanta-ras-sim 1";

// The properties of an entry are an optional record of their own after the entry's, so that
// files without them read as before. Its second field is the record's version: a reader skips
// versions newer than it knows.
constexpr std::string_view kPropertiesRecord = "entry-props";
constexpr long long kPropertiesVersion = 1;
constexpr std::size_t kPropertiesFields = 14;  // with the record name, version and entry name

std::string AddressText(const RASIPADDR& a) {
    return std::to_string(a.a) + "." + std::to_string(a.b) + "." + std::to_string(a.c) + "." +
           std::to_string(a.d);
}

std::optional<RASIPADDR> ParseAddress(std::string_view text) {
    std::uint8_t parts[4] = {};
    for (int i = 0; i < 4; ++i) {
        const auto dot = i < 3 ? text.find('.') : text.size();
        if (dot == std::string_view::npos) {
            return std::nullopt;
        }
        const auto value = ParseInteger(text.substr(0, dot));
        if (!value || *value < 0 || *value > 255) {
            return std::nullopt;
        }
        parts[i] = static_cast<std::uint8_t>(*value);
        text.remove_prefix(i < 3 ? dot + 1 : dot);
    }
    return RASIPADDR{parts[0], parts[1], parts[2], parts[3]};
}

template <typename T>
std::optional<T> ParseNumber(std::string_view text) {
    const auto value = ParseInteger(text);
    if (!value || *value < static_cast<long long>(std::numeric_limits<T>::min()) ||
        *value > static_cast<long long>(std::numeric_limits<T>::max())) {
        return std::nullopt;
    }
    return static_cast<T>(*value);
}

}  // namespace

SimState SimState::Fresh() {
    SimState state;
    state.devices.push_back({"Simulated Modem", "modem"});
    state.entries.push_back({"Demo ISP", "Simulated Modem", "", {}});
    return state;
}

std::string SimState::Serialize() const {
    std::string out(kHeader);
    out += "\nnext-handle\t" + std::to_string(nextHandle) + "\n";
    if (failCount > 0) {
        out += "fail\t" + std::to_string(failError) + "\t" + std::to_string(failCount) + "\n";
    }
    for (const auto& d : devices) {
        out += "device\t" + EscapeField(d.name) + "\t" + EscapeField(d.type) + "\n";
    }
    for (const auto& e : entries) {
        out += "entry\t" + EscapeField(e.name) + "\t" + EscapeField(e.device) + "\t" +
               EscapeField(e.userName) + "\n";
        const RasEntryProperties& p = e.properties;
        if (p != RasEntryProperties{}) {
            out += std::string(kPropertiesRecord) + "\t" + std::to_string(kPropertiesVersion) +
                   "\t" + EscapeField(e.name) + "\t" + std::to_string(p.options) + "\t" +
                   std::to_string(p.countryId) + "\t" + std::to_string(p.countryCode) + "\t" +
                   EscapeField(p.areaCode) + "\t" + EscapeField(p.phoneNumber) + "\t" +
                   AddressText(p.ipAddress) + "\t" + AddressText(p.dnsAddress) + "\t" +
                   AddressText(p.dnsAltAddress) + "\t" + AddressText(p.winsAddress) + "\t" +
                   AddressText(p.winsAltAddress) + "\t" + std::to_string(p.netProtocols) + "\t" +
                   std::to_string(p.framingProtocol) + "\n";
        }
    }
    for (const auto& c : connections) {
        out += "conn\t" + std::to_string(c.handle) + "\t" + EscapeField(c.entry) + "\t" +
               EscapeField(c.device) + "\t" + EscapeField(c.deviceType) + "\t" +
               std::to_string(c.state) + "\n";
    }
    return out;
}

std::optional<SimState> SimState::Parse(std::string_view text, std::string* error) {
    SimState state;
    int lineNumber = 0;
    auto fail = [&](std::string_view why) -> std::optional<SimState> {
        if (error) {
            *error = "line " + std::to_string(lineNumber) + ": " + std::string(why);
        }
        return std::nullopt;
    };
    bool sawHeader = false;
    while (!text.empty()) {
        const auto eol = text.find('\n');
        if (eol == std::string_view::npos) {
            ++lineNumber;
            return fail("the last line is cut off");
        }
        const std::string_view line = text.substr(0, eol);
        text.remove_prefix(eol + 1);
        ++lineNumber;
        if (!sawHeader) {
            if (line != kHeader) {
                return fail("not a simulator state file");
            }
            sawHeader = true;
            continue;
        }
        const auto raw = SplitFields(line);
        std::vector<std::string> f;
        for (const auto field : raw) {
            auto value = UnescapeField(field);
            if (!value) {
                return fail("bad escape");
            }
            f.push_back(std::move(*value));
        }
        const std::string& kind = f[0];
        if (kind == "next-handle" && f.size() == 2) {
            const auto n = ParseNumber<HRASCONN>(f[1]);
            if (!n || *n == 0) {
                return fail("bad next handle");
            }
            state.nextHandle = *n;
        } else if (kind == "fail" && f.size() == 3) {
            const auto e = ParseNumber<std::uint32_t>(f[1]);
            const auto n = ParseNumber<std::uint32_t>(f[2]);
            if (!e || !n) {
                return fail("bad failure count");
            }
            state.failError = *e;
            state.failCount = *n;
        } else if (kind == "device" && f.size() == 3) {
            state.devices.push_back({f[1], f[2]});
        } else if (kind == "entry" && f.size() == 4) {
            state.entries.push_back({f[1], f[2], f[3], {}});
        } else if (kind == kPropertiesRecord && f.size() >= 2) {
            const auto version = ParseInteger(f[1]);
            if (!version || *version < 1) {
                return fail("bad entry properties version");
            }
            if (*version > kPropertiesVersion) {
                continue;  // written by a newer program: what it adds is not ours to read
            }
            if (f.size() != kPropertiesFields + 1) {
                return fail("bad entry properties");
            }
            auto* entry = state.FindEntry(f[2]);
            if (!entry) {
                return fail("entry properties of an unknown entry");
            }
            RasEntryProperties p;
            const auto options = ParseNumber<std::uint32_t>(f[3]);
            const auto countryId = ParseNumber<std::uint32_t>(f[4]);
            const auto countryCode = ParseNumber<std::uint32_t>(f[5]);
            const auto netProtocols = ParseNumber<std::uint32_t>(f[13]);
            const auto framing = ParseNumber<std::uint32_t>(f[14]);
            RASIPADDR* addresses[] = {&p.ipAddress, &p.dnsAddress, &p.dnsAltAddress, &p.winsAddress,
                                      &p.winsAltAddress};
            for (std::size_t i = 0; i < 5; ++i) {
                const auto address = ParseAddress(f[8 + i]);
                if (!address) {
                    return fail("bad address in entry properties");
                }
                *addresses[i] = *address;
            }
            if (!options || !countryId || !countryCode || !netProtocols || !framing) {
                return fail("bad number in entry properties");
            }
            p.options = *options;
            p.countryId = *countryId;
            p.countryCode = *countryCode;
            p.areaCode = f[6];
            p.phoneNumber = f[7];
            p.netProtocols = *netProtocols;
            p.framingProtocol = *framing;
            entry->properties = std::move(p);
        } else if (kind == "conn" && f.size() == 6) {
            const auto handle = ParseNumber<HRASCONN>(f[1]);
            const auto st = ParseNumber<std::int32_t>(f[5]);
            if (!handle || *handle == 0 || !st) {
                return fail("bad connection");
            }
            state.connections.push_back({*handle, f[2], f[3], f[4], *st});
        } else {
            return fail("unknown record");
        }
    }
    if (!sawHeader) {
        return fail("empty file");
    }
    for (const auto& c : state.connections) {
        if (c.handle >= state.nextHandle) {
            return fail("a connection handle is not below the next handle");
        }
    }
    return state;
}

const SimState::Entry* SimState::FindEntry(std::string_view name) const {
    for (const auto& e : entries) {
        if (EqualsIgnoreCase(e.name, name)) {
            return &e;
        }
    }
    return nullptr;
}

SimState::Entry* SimState::FindEntry(std::string_view name) {
    for (auto& e : entries) {
        if (EqualsIgnoreCase(e.name, name)) {
            return &e;
        }
    }
    return nullptr;
}

const RasDevice* SimState::FindDevice(std::string_view name) const {
    for (const auto& d : devices) {
        if (EqualsIgnoreCase(d.name, name)) {
            return &d;
        }
    }
    return nullptr;
}

SimState::Connection* SimState::FindConnectionOf(std::string_view entry) {
    for (auto& c : connections) {
        if (EqualsIgnoreCase(c.entry, entry)) {
            return &c;
        }
    }
    return nullptr;
}

}  // namespace ov
