// RegistryKey as the settings use it: open in the direction of the exchange, typed reads that
// leave their target alone on failure, and the shared text buffer's limit.
#include "settings/registry_key.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/temp_dir.h"

namespace ov {
namespace {

constexpr const char* kProduct = "Software\\Quorvex\\Orvanta";

class RegistryKeyTest : public ::testing::Test {
protected:
    /// Stores a raw value of any type below the product key.
    static void Store(const char* name, std::uint32_t type, const std::string& bytes) {
        RegistryKey key(kProduct);
        ASSERT_TRUE(key.Open(HKEY_LOCAL_MACHINE, kProduct, KEY_WRITE));
        ASSERT_EQ(RegSetValueExA(key.Handle(), name, 0, type,
                                 reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                 static_cast<std::uint32_t>(bytes.size())),
                  0u);
    }

    test::TempHome m_home;
};

TEST_F(RegistryKeyTest, LoadingFromAMissingKeyOpensNothingAndChangesNothing) {
    RegistryKey key(HKEY_CURRENT_USER, kProduct);
    EXPECT_EQ(key.Access(), KEY_READ);
    EXPECT_FALSE(key.Exists());
    EXPECT_FALSE(key.Open(HKEY_CURRENT_USER, kProduct, KEY_READ));
    EXPECT_EQ(key.Handle(), 0u);
    std::string text = "default";
    std::int32_t number = 7;
    std::uint8_t bytes[4] = {9, 9, 9, 9};
    std::uint32_t size = sizeof bytes;
    EXPECT_FALSE(key.ReadBinary("Dt_0", bytes, &size));
    // A read reopens the closed key for reading, which still does not create it.
    EXPECT_FALSE(key.ExchangeString("Text", text, false));
    EXPECT_FALSE(key.ExchangeNumber("Number", number, false));
    EXPECT_EQ(text, "default");
    EXPECT_EQ(number, 7);
    EXPECT_EQ(bytes[0], 9);
    EXPECT_FALSE(key.Exists());
    EXPECT_FALSE(std::filesystem::exists(m_home.File("user.reg")));
}

TEST_F(RegistryKeyTest, SavingCreatesThePathAndLoadingReadsItBack) {
    {
        RegistryKey key(HKEY_CURRENT_USER, kProduct);
        ASSERT_TRUE(key.Open(HKEY_CURRENT_USER, std::string(kProduct) + "\\Print", KEY_WRITE));
        EXPECT_EQ(key.LastType(), REG_CREATED_NEW_KEY);
        std::string text = "Arial";
        std::int32_t number = -40;
        std::uint8_t record[5] = {1, 0, 2, 0, 3};
        std::uint32_t size = sizeof record;
        EXPECT_TRUE(key.ExchangeString("Font", text, true));
        EXPECT_TRUE(key.ExchangeNumber("PosX", number, true));
        EXPECT_TRUE(key.ExchangeBinary("PrintPage", record, &size, true));
    }  // closing saves
    RegistryKey key(HKEY_CURRENT_USER, std::string(kProduct) + "\\Print");
    EXPECT_TRUE(key.Exists());
    ASSERT_TRUE(key.Open(HKEY_CURRENT_USER, key.Path(), KEY_READ));
    std::string text;
    std::int32_t number = 0;
    std::uint8_t record[8] = {};
    std::uint32_t size = sizeof record;
    EXPECT_TRUE(key.ExchangeString("font", text, false));
    EXPECT_EQ(text, "Arial");
    EXPECT_TRUE(key.ExchangeNumber("POSX", number, false));
    EXPECT_EQ(number, -40);
    EXPECT_TRUE(key.ExchangeBinary("PrintPage", record, &size, false));
    EXPECT_EQ(size, 5u);
    EXPECT_EQ(key.LastType(), REG_BINARY);
    EXPECT_EQ(record[4], 3);
}

TEST_F(RegistryKeyTest, TextsFitTheSharedBufferOrFail) {
    const struct {
        std::size_t length;  // without the terminating zero
        bool fits;
    } cases[] = {{0, true}, {2046, true}, {2047, false}, {5000, false}};
    for (const auto& c : cases) {
        Store("Long", REG_SZ, std::string(c.length, 'x'));
        RegistryKey key(kProduct);
        ASSERT_TRUE(key.Open(HKEY_LOCAL_MACHINE, kProduct, KEY_READ));
        std::string text = "unchanged";
        EXPECT_EQ(key.ReadString("Long", text), c.fits) << c.length;
        EXPECT_EQ(text, c.fits ? std::string(c.length, 'x') : "unchanged") << c.length;
    }
}

TEST_F(RegistryKeyTest, NumbersComeOnlyFromNumberTypesTakenLittleEndian) {
    const struct {
        std::uint32_t type;
        std::string bytes;
        bool ok;
        std::uint32_t number;
    } cases[] = {
        {REG_DWORD, std::string("\x78\x56\x34\x12", 4), true, 0x12345678},
        {REG_DWORD_BIG_ENDIAN, std::string("\x78\x56\x34\x12", 4), true, 0x12345678},
        {REG_BINARY, std::string("\x78\x56\x34\x12", 4), false, 99},
        {REG_SZ, "12", false, 99},
        {REG_DWORD, std::string("\x01\x02", 2), false, 99},  // too short to be a number
        {REG_DWORD, std::string(200, '\x01'), false, 99},    // longer than a number read takes
    };
    for (const auto& c : cases) {
        Store("N", c.type, c.bytes);
        RegistryKey key(kProduct);
        ASSERT_TRUE(key.Open(HKEY_LOCAL_MACHINE, kProduct, KEY_READ));
        std::uint32_t number = 99;
        EXPECT_EQ(key.ReadNumber("N", number), c.ok) << c.type << "/" << c.bytes.size();
        EXPECT_EQ(number, c.number) << c.type << "/" << c.bytes.size();
    }
}

TEST_F(RegistryKeyTest, AKeyOpenedInOneDirectionIsNotReopenedForTheOther) {
    Store("V", REG_SZ, "stored");
    RegistryKey key(kProduct);
    ASSERT_TRUE(key.Open(HKEY_LOCAL_MACHINE, kProduct, KEY_READ));
    EXPECT_FALSE(key.WriteString("V", "new"));
    EXPECT_FALSE(key.WriteNumber("N", 1));
    EXPECT_EQ(key.Access(), KEY_READ);

    ASSERT_TRUE(key.Open(HKEY_LOCAL_MACHINE, kProduct, KEY_WRITE));
    std::string text = "default";
    EXPECT_FALSE(key.ReadString("V", text));
    EXPECT_EQ(text, "default");

    ASSERT_TRUE(key.Open(HKEY_LOCAL_MACHINE, kProduct, KEY_ALL_ACCESS));
    EXPECT_TRUE(key.ReadString("V", text));
    EXPECT_EQ(text, "stored");
    EXPECT_TRUE(key.WriteString("V", "both ways"));
}

TEST_F(RegistryKeyTest, DeletingThroughAReadKeyReopensAndCreatesIt) {
    Store("Gone", REG_SZ, "x");
    RegistryKey key(kProduct);
    ASSERT_TRUE(key.Open(HKEY_LOCAL_MACHINE, kProduct, KEY_READ));
    EXPECT_TRUE(key.DeleteValue("Gone"));
    EXPECT_EQ(key.Access(), 0x2001Bu);
    std::string text = "kept";
    EXPECT_FALSE(key.ReadString("Gone", text));  // the reopened key reads too
    EXPECT_EQ(text, "kept");

    // On a key that is not there, the delete's reopen creates it; the value is still missing.
    RegistryKey missing(HKEY_CURRENT_USER, "Software\\Quorvex\\OVSetup\\Demo ISP");
    EXPECT_FALSE(missing.DeleteValue("0001"));
    EXPECT_TRUE(missing.Exists());
}

TEST_F(RegistryKeyTest, CloseAndExistsKeepTheStoredAccess) {
    RegistryKey key(kProduct);
    ASSERT_TRUE(key.Open(HKEY_LOCAL_MACHINE, kProduct, KEY_WRITE));
    EXPECT_TRUE(key.Exists());
    EXPECT_TRUE(key.Close());
    EXPECT_TRUE(key.Close());  // nothing open: still true
    EXPECT_TRUE(key.Exists());
    EXPECT_EQ(key.Handle(), 0u);
    EXPECT_EQ(key.Access(), KEY_WRITE);
}

}  // namespace
}  // namespace ov
