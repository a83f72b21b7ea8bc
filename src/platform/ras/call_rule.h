#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ov {

/// Which active connections the program counts as calls. A desktop keeps loopback, cable and
/// Wi-Fi up all day; logging and pricing them as calls would make nonsense of the call log.
struct CallRule {
    enum class Kind {
        Metered,         // metered as the service sees it, or a dial-up kind (the default)
        DialUp,          // dial-up kinds only: mobile broadband, PPPoE, DSL, Bluetooth dial-up
        AllButLoopback,  // every connection but loopback
        Listed,          // the connections of the named profiles only
    };
    Kind kind = Kind::Metered;
    std::vector<std::string> profiles;  // Listed: the names, compared without regard to case

    bool operator==(const CallRule&) const = default;
};

/// The stored text of a rule: `metered`, `dial-up`, `all` or `list:NAME;NAME…` (spaces around
/// a name are dropped, empty names ignored). Nothing for any other text.
std::optional<CallRule> ParseCallRule(std::string_view text);
std::string CallRuleText(const CallRule& rule);

/// What the dial-up service knows about a connection that decides whether it is a call. For a
/// VPN, `dialUp` and `metered` describe the link it runs over.
struct CallFacts {
    bool loopback = false;
    bool dialUp = false;
    bool metered = false;
};

/// Why a connection of that name is not a call by the rule ("loopback", "not metered", "not a
/// dial-up connection", "not in the chosen list"); empty when it is one. Loopback never is.
std::string WhyNotACall(const CallRule& rule, std::string_view name, const CallFacts& facts);

}  // namespace ov
