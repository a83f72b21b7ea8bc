// Hang-up over the phone-book entry list, with a question that answers from a script.
#include "monitor/hang_up.h"

#include <gtest/gtest.h>

#include <deque>

#include "app/text_table_source.h"
#include "support/fake_ras.h"
#include "support/temp_dir.h"
#include "sysint/ras_library.h"

namespace ov {
namespace {

class ScriptedQuestion final : public HangUpQuestion {
public:
    explicit ScriptedQuestion(std::deque<int> answers) : m_answers(std::move(answers)) {}
    int Ask(const std::string& text, const std::string& entryName) override {
        asked.push_back(entryName);
        texts.push_back(text);
        if (m_answers.empty()) {
            return IDNO;
        }
        const int answer = m_answers.front();
        m_answers.pop_front();
        return answer;
    }
    std::vector<std::string> asked;
    std::vector<std::string> texts;

private:
    std::deque<int> m_answers;
};

class HangUpTest : public ::testing::Test {
protected:
    std::vector<std::string> Up() {
        std::vector<RasConnection> connections;
        m_ras.EnumConnections(connections);
        std::vector<std::string> names;
        for (const auto& c : connections) {
            names.push_back(c.entryName);
        }
        return names;
    }

    test::TempHome m_home;  // the entries store their texts in the user hive
    test::FakeRasProvider m_ras;
    RasApi m_api{m_ras};
    RasLibrary m_library{&m_api};
    FixedTextSource m_texts{{{kHangUpQuestionString, "Hang up the connection %s?"}}};
};

TEST_F(HangUpTest, HangUpAllAsksInListOrderAndStopsAtTheFirstNo) {
    const struct {
        std::deque<int> answers;
        std::vector<std::string> asked;
        std::vector<std::string> stillUp;
    } cases[] = {
        {{IDNO}, {"First"}, {"First", "Second"}},  // No to the first leaves both up
        {{IDYES, IDNO}, {"First", "Second"}, {"Second"}},
        {{IDYES, 2 /* IDCANCEL */}, {"First", "Second"}, {"Second"}},
        {{IDYES, IDYES}, {"First", "Second"}, {}},
    };
    for (const auto& c : cases) {
        const HRASCONN first = m_ras.Add("First", RASCS_Connected);
        const HRASCONN second = m_ras.Add("Second", RASCS_OpenPort);
        ScriptedQuestion question(c.answers);
        const HangUpAsker asker{question, m_texts};
        std::vector<std::string> reported;
        EXPECT_TRUE(
            HangUpAll(&m_library, true, &asker, [&](const std::string& name, std::uint32_t result) {
                EXPECT_EQ(result, 0u);
                reported.push_back(name);
            }));
        EXPECT_EQ(question.asked, c.asked);
        EXPECT_EQ(question.texts.front(), "Hang up the connection First?");
        EXPECT_EQ(Up(), c.stillUp);
        EXPECT_EQ(reported.size(), 2 - c.stillUp.size());
        m_ras.Remove(first);
        m_ras.Remove(second);
    }
}

TEST_F(HangUpTest, WithoutAskingEveryConnectionGoes) {
    m_ras.Add("First", RASCS_Connected);
    m_ras.Add("Second", RASCS_Connected);
    ScriptedQuestion question({});
    const HangUpAsker asker{question, m_texts};
    EXPECT_TRUE(HangUpAll(&m_library, false, &asker));
    EXPECT_TRUE(question.asked.empty());
    EXPECT_TRUE(Up().empty());

    // Asking with nobody to answer hangs nothing up.
    m_ras.Add("Third", RASCS_Connected);
    EXPECT_TRUE(HangUpAll(&m_library, true));
    EXPECT_EQ(Up(), std::vector<std::string>{"Third"});
}

TEST_F(HangUpTest, HangUpEntryMatchesWithoutRegardToCase) {
    m_ras.Add("Work", RASCS_Connected);
    m_ras.Add("Home", RASCS_Connected);
    const struct {
        std::string name;
        std::deque<int> answers;
        std::vector<std::string> stillUp;
    } cases[] = {
        {"nobody", {IDYES}, {"Work", "Home"}},
        {"HOME", {IDNO}, {"Work", "Home"}},
        {"hOmE", {IDYES}, {"Work"}},
        {"home", {IDYES}, {"Work"}},  // no connection any more: nothing asked
    };
    for (const auto& c : cases) {
        ScriptedQuestion question(c.answers);
        const HangUpAsker asker{question, m_texts};
        EXPECT_TRUE(HangUpEntry(&m_library, c.name, true, &asker));
        EXPECT_EQ(Up(), c.stillUp) << c.name;
    }
}

TEST_F(HangUpTest, NothingHappensWithoutTheListOrTheConnections) {
    m_ras.Add("Work", RASCS_Connected);
    EXPECT_FALSE(HangUpAll(nullptr, false));
    m_ras.FailNextEnumerations({600});
    EXPECT_FALSE(HangUpAll(&m_library, false));
    EXPECT_EQ(Up(), std::vector<std::string>{"Work"});
}

TEST(HangUpQuestionTextTest, OnlyTheFirstTextArgumentIsFilledIn) {
    const struct {
        std::string format;
        std::string name;
        std::string text;
    } cases[] = {
        {"Hang up the connection %s?", "My ISP", "Hang up the connection My ISP?"},
        {"Zavesiť spojenie %s?", "ISP %d %s", "Zavesiť spojenie ISP %d %s?"},
        {"100%% sure about %s? %s %d", "X", "100% sure about X? %s %d"},
        {"No argument", "X", "No argument"},
        {"", "X", ""},
    };
    for (const auto& c : cases) {
        FixedTextSource texts({{kHangUpQuestionString, c.format}});
        EXPECT_EQ(HangUpQuestionText(texts, c.name), c.text) << c.format;
    }
}

}  // namespace
}  // namespace ov
