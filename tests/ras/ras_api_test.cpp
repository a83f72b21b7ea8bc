#include "platform/ras/ras.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "support/fake_ras.h"

namespace ov {
namespace {

TEST(RasApiTest, EnumerationFollowsTheBufferRules) {
    test::FakeRasProvider fake;
    RasApi ras(fake);

    RASCONN one{};
    one.dwSize = sizeof one;
    std::uint32_t bytes = sizeof one;
    std::uint32_t count = 99;
    ASSERT_EQ(ras.RasEnumConnectionsA(&one, &bytes, &count), 0u);
    EXPECT_EQ(count, 0u);

    fake.Add("A", RASCS_Connected);
    fake.Add("B", RASCS_Authenticate);
    fake.Add(std::string(300, 'x'), RASCS_Authenticate);  // longer than the field
    bytes = sizeof one;
    ASSERT_EQ(ras.RasEnumConnectionsA(&one, &bytes, &count), ERROR_BUFFER_TOO_SMALL);
    EXPECT_EQ(count, 3u);
    EXPECT_EQ(bytes, 3 * sizeof(RASCONN));

    std::vector<RASCONN> many(count);
    many[0].dwSize = sizeof(RASCONN);
    ASSERT_EQ(ras.RasEnumConnectionsA(many.data(), &bytes, &count), 0u);
    EXPECT_STREQ(many[0].szEntryName, "A");
    EXPECT_STREQ(many[1].szEntryName, "B");
    EXPECT_EQ(std::strlen(many[2].szEntryName), RAS_MaxEntryName);
    EXPECT_STREQ(many[0].szDeviceType, "modem");

    one.dwSize = 400;  // an older layout we do not offer
    EXPECT_EQ(ras.RasEnumConnectionsA(&one, &bytes, &count), ERROR_INVALID_SIZE);
}

TEST(RasApiTest, DeviceEnumerationAnswersAnEmptyBufferWithTheSize) {
    test::FakeRasProvider fake;
    RasApi ras(fake);
    std::uint32_t bytes = 0;
    std::uint32_t count = 0;
    ASSERT_EQ(ras.RasEnumDevicesA(nullptr, &bytes, &count), ERROR_BUFFER_TOO_SMALL);
    EXPECT_EQ(bytes, sizeof(RASDEVINFO));
    EXPECT_EQ(count, 1u);
    RASDEVINFO device{};
    device.dwSize = sizeof device;
    ASSERT_EQ(ras.RasEnumDevicesA(&device, &bytes, &count), 0u);
    EXPECT_STREQ(device.szDeviceName, "Modem");
}

TEST(RasApiTest, StatusAndDialParameters) {
    test::FakeRasProvider fake;
    RasApi ras(fake);
    const HRASCONN handle = fake.Add("Home", RASCS_Authenticate);
    fake.SetUserName("Home", "joe");

    RASCONNSTATUS status{};
    status.dwSize = sizeof status;
    ASSERT_EQ(ras.RasGetConnectStatusA(handle, &status), 0u);
    EXPECT_EQ(status.rasconnstate, RASCS_Authenticate);
    EXPECT_EQ(ras.RasGetConnectStatusA(handle + 100, &status), ERROR_INVALID_HANDLE);
    status.dwSize = 12;
    EXPECT_EQ(ras.RasGetConnectStatusA(handle, &status), ERROR_INVALID_SIZE);

    RASDIALPARAMS params{};
    params.dwSize = sizeof params;
    CopyRasText(params.szEntryName, "Home");
    int saved = 1;
    ASSERT_EQ(ras.RasGetEntryDialParamsA(nullptr, &params, &saved), 0u);
    EXPECT_STREQ(params.szUserName, "joe");
    CopyRasText(params.szEntryName, "Elsewhere");
    EXPECT_EQ(ras.RasGetEntryDialParamsA(nullptr, &params, &saved),
              ERROR_CANNOT_FIND_PHONEBOOK_ENTRY);
}

}  // namespace
}  // namespace ov
