#include "platform/ras/call_rule.h"

#include <algorithm>

#include "platform/text_util.h"

namespace ov {

namespace {

constexpr std::string_view kListPrefix = "list:";

std::string_view TrimSpaces(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

}  // namespace

std::optional<CallRule> ParseCallRule(std::string_view text) {
    CallRule rule;
    const std::string_view word = TrimSpaces(text);
    if (word == "metered") {
        return rule;
    }
    if (word == "dial-up") {
        rule.kind = CallRule::Kind::DialUp;
        return rule;
    }
    if (word == "all") {
        rule.kind = CallRule::Kind::AllButLoopback;
        return rule;
    }
    if (word.substr(0, kListPrefix.size()) != kListPrefix) {
        return std::nullopt;
    }
    rule.kind = CallRule::Kind::Listed;
    std::string_view rest = word.substr(kListPrefix.size());
    while (!rest.empty()) {
        const auto end = rest.find(';');
        const std::string_view name = TrimSpaces(rest.substr(0, end));
        if (!name.empty()) {
            rule.profiles.emplace_back(name);
        }
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    }
    return rule;
}

std::string CallRuleText(const CallRule& rule) {
    switch (rule.kind) {
        case CallRule::Kind::Metered:
            return "metered";
        case CallRule::Kind::DialUp:
            return "dial-up";
        case CallRule::Kind::AllButLoopback:
            return "all";
        case CallRule::Kind::Listed:
            break;
    }
    std::string text(kListPrefix);
    for (std::size_t i = 0; i < rule.profiles.size(); ++i) {
        text += (i > 0 ? ";" : "") + rule.profiles[i];
    }
    return text;
}

std::string WhyNotACall(const CallRule& rule, std::string_view name, const CallFacts& facts) {
    if (facts.loopback) {
        return "loopback";
    }
    switch (rule.kind) {
        case CallRule::Kind::Metered:
            return facts.metered || facts.dialUp ? std::string() : "not metered";
        case CallRule::Kind::DialUp:
            return facts.dialUp ? std::string() : "not a dial-up connection";
        case CallRule::Kind::AllButLoopback:
            return {};
        case CallRule::Kind::Listed:
            break;
    }
    const bool listed =
        std::any_of(rule.profiles.begin(), rule.profiles.end(),
                    [name](const std::string& profile) { return EqualsIgnoreCase(profile, name); });
    return listed ? std::string() : "not in the chosen list";
}

}  // namespace ov
