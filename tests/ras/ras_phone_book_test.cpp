// The phone-book functions of the RAS layer over the simulator, and the simulator's state file
// with entry properties.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/ras/ras_sim.h"
#include "support/fake_ras.h"
#include "support/temp_dir.h"

namespace ov {
namespace {

class PhoneBookTest : public ::testing::Test {
protected:
    std::string StateFile() const { return m_dir.File("ras-sim.state"); }

    test::TempDir m_dir;
    SimRasProvider m_sim{StateFile(), [this](const std::string& m) { reports.push_back(m); }};
    RasApi m_api{m_sim};
    std::vector<std::string> reports;
};

RASENTRY SampleEntry() {
    RASENTRY e{};
    e.dwSize = sizeof(RASENTRY);
    e.dwfOptions = RASEO_SpecificIpAddr | RASEO_SpecificNameServers | RASEO_ModemLights;
    e.dwCountryID = 421;
    e.dwCountryCode = 421;
    CopyRasText(e.szAreaCode, "02");
    CopyRasText(e.szLocalPhoneNumber, "0900 123 456");
    e.ipaddr = {10, 0, 0, 7};
    e.ipaddrDns = {192, 168, 1, 1};
    e.ipaddrDnsAlt = {8, 8, 4, 4};
    e.dwfNetProtocols = 4;
    e.dwFramingProtocol = 1;
    CopyRasText(e.szDeviceName, "Simulated Modem");
    return e;
}

TEST_F(PhoneBookTest, PropertiesRoundTripThroughTheStateFile) {
    RASENTRY written = SampleEntry();
    ASSERT_EQ(m_api.RasSetEntryPropertiesA(nullptr, "Work", &written, sizeof written, nullptr, 0),
              0u);

    // Another process reading the same file sees the entry with everything it was given.
    SimRasProvider other(StateFile(), {});
    RasApi otherApi(other);
    RASENTRY read{};
    read.dwSize = sizeof read;
    std::uint32_t size = sizeof read;
    std::uint32_t deviceSize = 99;
    ASSERT_EQ(otherApi.RasGetEntryPropertiesA(nullptr, "WORK", &read, &size, nullptr, &deviceSize),
              0u);
    EXPECT_EQ(deviceSize, 0u);
    RASENTRY expected = SampleEntry();
    CopyRasText(expected.szDeviceType, "modem");  // from the device list
    EXPECT_EQ(std::memcmp(&read, &expected, sizeof read), 0);

    std::vector<std::string> entries;
    ASSERT_EQ(other.EnumEntries(entries), 0u);
    EXPECT_EQ(entries, (std::vector<std::string>{"Demo ISP", "Work"}));
    EXPECT_TRUE(reports.empty());
}

TEST_F(PhoneBookTest, BufferAndArgumentRules) {
    RASENTRY e = SampleEntry();
    std::uint32_t size = 0;
    // No record: the size it takes.
    EXPECT_EQ(m_api.RasGetEntryPropertiesA(nullptr, "Demo ISP", nullptr, &size, nullptr, nullptr),
              ERROR_BUFFER_TOO_SMALL);
    EXPECT_EQ(size, 1768u);
    size = 100;
    EXPECT_EQ(m_api.RasGetEntryPropertiesA(nullptr, "Demo ISP", &e, &size, nullptr, nullptr),
              ERROR_BUFFER_TOO_SMALL);
    EXPECT_EQ(size, 1768u);
    e.dwSize = 1000;
    EXPECT_EQ(m_api.RasGetEntryPropertiesA(nullptr, "Demo ISP", &e, &size, nullptr, nullptr),
              ERROR_INVALID_SIZE);
    EXPECT_EQ(m_api.RasSetEntryPropertiesA(nullptr, "X", &e, 1768, nullptr, 0), ERROR_INVALID_SIZE);
    e.dwSize = 1768;
    EXPECT_EQ(m_api.RasSetEntryPropertiesA(nullptr, "X", &e, 1000, nullptr, 0), ERROR_INVALID_SIZE);

    const struct {
        const char* phoneBook;
        const char* entry;
        std::uint32_t get, validate, remove;
    } cases[] = {
        {nullptr, "Demo ISP", 0, ERROR_ALREADY_EXISTS, 0},
        {"", "demo isp", ERROR_CANNOT_FIND_PHONEBOOK_ENTRY, ERROR_SUCCESS,
         ERROR_CANNOT_FIND_PHONEBOOK_ENTRY},  // deleted by the row before
        {"/etc/other.pbk", "Demo ISP", ERROR_CANNOT_OPEN_PHONEBOOK, ERROR_CANNOT_OPEN_PHONEBOOK,
         ERROR_CANNOT_OPEN_PHONEBOOK},
        {nullptr, "Nobody", ERROR_CANNOT_FIND_PHONEBOOK_ENTRY, 0,
         ERROR_CANNOT_FIND_PHONEBOOK_ENTRY},
        {nullptr, ".hidden", ERROR_CANNOT_FIND_PHONEBOOK_ENTRY, ERROR_INVALID_NAME,
         ERROR_CANNOT_FIND_PHONEBOOK_ENTRY},
        {nullptr, "a\\b", ERROR_CANNOT_FIND_PHONEBOOK_ENTRY, ERROR_INVALID_NAME,
         ERROR_CANNOT_FIND_PHONEBOOK_ENTRY},
        {nullptr, "   ", ERROR_CANNOT_FIND_PHONEBOOK_ENTRY, ERROR_INVALID_NAME,
         ERROR_CANNOT_FIND_PHONEBOOK_ENTRY},
    };
    for (const auto& c : cases) {
        RASENTRY out{};
        out.dwSize = sizeof out;
        std::uint32_t room = sizeof out;
        EXPECT_EQ(m_api.RasGetEntryPropertiesA(c.phoneBook, c.entry, &out, &room, nullptr, nullptr),
                  c.get)
            << c.entry;
        EXPECT_EQ(m_api.RasValidateEntryNameA(c.phoneBook, c.entry), c.validate) << c.entry;
        EXPECT_EQ(m_api.RasDeleteEntryA(c.phoneBook, c.entry), c.remove) << c.entry;
    }

    // A new entry must have a fit name and a device the service knows.
    RASENTRY bad = SampleEntry();
    EXPECT_EQ(m_api.RasSetEntryPropertiesA(nullptr, ".x", &bad, 1768, nullptr, 0),
              ERROR_INVALID_NAME);
    CopyRasText(bad.szDeviceName, "No Such Modem");
    EXPECT_EQ(m_api.RasSetEntryPropertiesA(nullptr, "Fine", &bad, 1768, nullptr, 0),
              ERROR_DEVICE_DOES_NOT_EXIST);
}

TEST_F(PhoneBookTest, OnlyAServiceWithAPhoneBookExportsItsFunctions) {
    test::FakeRasProvider fake;
    RasApi fakeApi(fake);
    for (const char* name : {"RasGetEntryPropertiesA", "RasSetEntryPropertiesA", "RasDeleteEntryA",
                             "RasValidateEntryNameA"}) {
        EXPECT_TRUE(m_api.Exports(name)) << name;
        EXPECT_FALSE(fakeApi.Exports(name)) << name;
    }
    for (const char* name : {"RasEnumConnectionsA", "RasHangUpA", "RasEnumEntriesA"}) {
        EXPECT_TRUE(fakeApi.Exports(name)) << name;
    }
    EXPECT_FALSE(m_api.Exports("RasSetEntryDialParamsA"));
    EXPECT_EQ(fakeApi.RasDeleteEntryA(nullptr, "x"), ERROR_CALL_NOT_IMPLEMENTED);
}

TEST(SimStateTest, EntryPropertiesAreAnOptionalVersionedRecord) {
    const std::string base =
        "orvanta-ras-sim 1\nnext-handle\t1\ndevice\tM\tmodem\nentry\tA\tM\tjoe\n";
    // A file from before entry properties reads as it did.
    const auto old = SimState::Parse(base);
    ASSERT_TRUE(old);
    EXPECT_EQ(old->entries[0].properties, RasEntryProperties{});
    EXPECT_EQ(old->Serialize(), base);

    const struct {
        std::string extra;
        bool ok;
        std::string areaCode;
    } cases[] = {
        {"entry-props\t1\tA\t2\t421\t421\t02\t555\t1.2.3.4\t0.0.0.0\t0.0.0.0\t0.0.0.0\t0.0.0."
         "0\t4\t1\n",
         true, "02"},
        // A newer program's record is skipped, not taken for damage.
        {"entry-props\t2\tA\tsomething new\n", true, ""},
        {"entry-props\t1\tA\t2\n", false, ""},
        {"entry-props\t1\tB\t2\t421\t421\t02\t555\t1.2.3.4\t0.0.0.0\t0.0.0.0\t0.0.0.0\t0.0.0."
         "0\t4\t1\n",
         false, ""},
        {"entry-props\t1\tA\t2\t421\t421\t02\t555\t1.2.3.256\t0.0.0.0\t0.0.0.0\t0.0.0.0\t0.0.0."
         "0\t4\t1\n",
         false, ""},
        {"entry-props\t1\tA\t2\t421\t421\t02\t555\t1.2.3\t0.0.0.0\t0.0.0.0\t0.0.0.0\t0.0.0."
         "0\t4\t1\n",
         false, ""},
    };
    for (const auto& c : cases) {
        const auto state = SimState::Parse(base + c.extra);
        ASSERT_EQ(state.has_value(), c.ok) << c.extra;
        if (state) {
            EXPECT_EQ(state->entries[0].properties.areaCode, c.areaCode);
            // What is read is written back the same way.
            EXPECT_EQ(SimState::Parse(state->Serialize())->Serialize(), state->Serialize());
        }
    }
    const auto full = SimState::Parse(base + cases[0].extra);
    EXPECT_EQ(full->Serialize(), base + cases[0].extra);
    EXPECT_EQ(full->entries[0].properties.ipAddress, (RASIPADDR{1, 2, 3, 4}));
}

}  // namespace
}  // namespace ov
