#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "app/text_table_source.h"
#include "limits/limit_tracker.h"
#include "limits/window_timer.h"
#include "platform/clock.h"
#include "platform/text_source.h"
#include "settings/settings.h"

namespace ov::test {

/// Timers that are only recorded; the test delivers the expiries itself.
class FakeTimer final : public WindowTimer {
public:
    bool SetTimer(unsigned id, unsigned periodMs) override {
        if (refuse) {
            return false;
        }
        set[id] = periodMs;
        return true;
    }
    void KillTimer(unsigned id) override {
        set.erase(id);
        ++kills;
    }
    bool IsSet(unsigned id) const { return set.count(id) != 0; }

    std::map<unsigned, unsigned> set;  // id -> period in ms
    int kills = 0;
    bool refuse = false;
};

/// Records each HangUpAll with its ask flag.
class FakeHangUp final : public HangUpService {
public:
    void HangUpAll(bool ask) override { calls.push_back(ask); }
    std::vector<bool> calls;
};

/// The strings of a language pack's source file (`English`, `Slovak`): the lines
/// "number<TAB>text" without escapes, which is all the limit messages use.
inline FixedTextSource PackStrings(const std::string& folder) {
    FixedTextSource texts;
    std::ifstream file(std::string(OV_LANGS_SOURCE_DIR) + "/" + folder + "/strings.tsv");
    std::string line;
    while (std::getline(file, line)) {
        const auto tab = line.find('\t');
        if (line.empty() || line[0] == '#' || tab == std::string::npos) {
            continue;
        }
        texts.Set(static_cast<unsigned>(std::stoul(line.substr(0, tab))), line.substr(tab + 1));
    }
    return texts;
}

/// A clock at a fixed moment, the English pack's texts, settings with a tariff of 1.00 per
/// one-minute unit all day and rule checking on, and the process-wide limit state cleared before
/// each test.
class LimitsTest : public ::testing::Test {
protected:
    static constexpr Time32 kStart = 1710000000;

    LimitsTest() : m_clock(kStart) {
        m_settings.CurrentTariff.SetBand(SlotIndex(EveryDay, 0), {0, 1439, 1.0f, 1});
        m_settings.EventUseNotification = 1;
        LimitMessage.clear();
        limitChecksSuspended = false;
    }
    ~LimitsTest() override {
        LimitMessage.clear();
        limitChecksSuspended = false;
    }

    ManualClock m_clock;
    FixedTextSource m_texts = PackStrings("English");
    SettingsValues m_settings;
    FakeTimer m_timer;
    FakeHangUp m_hangUp;
};

}  // namespace ov::test
