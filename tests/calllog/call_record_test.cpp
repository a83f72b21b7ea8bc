#include "calllog/call_record.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstring>

namespace ov {
namespace {

std::string Le32(std::uint32_t v) {
    std::string out(4, '\0');
    for (int i = 0; i < 4; ++i) {
        out[static_cast<std::size_t>(i)] = static_cast<char>((v >> (8 * i)) & 0xFF);
    }
    return out;
}

std::string Str(const std::string& s) {
    return Le32(static_cast<std::uint32_t>(s.size())) + s;
}

TEST(CallRecordTest, MarkerBytesByHand) {
    CallRecord marker;
    marker.kind = KindMonitorStart;
    marker.startTime = 0x12345678;
    marker.userName = "Administrator";
    const std::string bytes = EncodeCallRecord(marker);
    ASSERT_EQ(bytes.size(), 59u);  // 46 + the user name
    const std::string expected = Le32(3) + std::string(10, '\0') + Le32(0x12345678) +
                                 Le32(0) /*price*/ + Le32(0) + Le32(0) + Str("Administrator") +
                                 Str("") + Str("") + Str("");
    EXPECT_EQ(bytes, expected);
}

TEST(CallRecordTest, EveryFieldAtItsOffset) {
    CallRecord r;
    r.kind = KindConnected;
    r.startTime = -2;  // signed
    r.connectedSeconds = 3600;
    r.dialingSeconds = 25;
    r.price = 12.75f;
    r.userName = "u";
    r.entryName = "entry";
    r.deviceName = "dev";
    r.deviceType = "modem";
    const std::string b = EncodeCallRecord(r);
    ASSERT_EQ(b.size(), 46u + 1 + 5 + 3 + 5);
    auto at = [&](std::size_t offset) {
        std::uint32_t v = 0;
        std::memcpy(&v, b.data() + offset, 4);
        return v;
    };
    EXPECT_EQ(at(0), 0u);
    EXPECT_EQ(b.substr(4, 10), std::string(10, '\0'));
    EXPECT_EQ(at(14), 0xFFFFFFFEu);
    EXPECT_EQ(at(18), std::bit_cast<std::uint32_t>(12.75f));  // price before the durations
    EXPECT_EQ(at(22), 3600u);
    EXPECT_EQ(at(26), 25u);
    EXPECT_EQ(at(30), 1u);
    EXPECT_EQ(b.substr(34, 1), "u");
    EXPECT_EQ(at(35), 5u);
    EXPECT_EQ(b.substr(39, 5), "entry");
    EXPECT_EQ(at(44), 3u);
    EXPECT_EQ(at(51), 5u);
    EXPECT_EQ(b.substr(55), "modem");
}

TEST(CallRecordTest, ReadBackIsIdenticalBitForBit) {
    const float prices[] = {
        0.0f,   -0.0f,   1.0f / 3.0f,
        1e-45f, 3.4e38f, std::bit_cast<float>(0x7FC00001u)};  // a NaN with a payload
    for (const float price : prices) {
        CallRecord r;
        r.kind = KindUnconnected;
        r.startTime = 946684799;
        r.dialingSeconds = 61;
        r.price = price;
        r.userName = std::string(1023, 'x');
        r.entryName =
            "\xC4\x8C"
            "esk\xC3\xA1 ISP";  // 8-bit text passes as it is
        CallRecord back;
        const std::string bytes = EncodeCallRecord(r);
        ASSERT_EQ(DecodeCallRecord(bytes, back), bytes.size());
        EXPECT_EQ(std::bit_cast<std::uint32_t>(back.price), std::bit_cast<std::uint32_t>(price));
        EXPECT_EQ(back.userName, r.userName);
        EXPECT_EQ(back.entryName, r.entryName);
        EXPECT_EQ(back.startTime, r.startTime);
    }
}

TEST(CallRecordTest, ReservedBytesAreKeptOnReadAndZeroedOnWrite) {
    CallRecord r;
    r.reserved.fill(0xAB);
    std::string bytes = EncodeCallRecord(r);
    EXPECT_EQ(bytes.substr(4, 10), std::string(10, '\0'));
    bytes.replace(4, 10, std::string(10, '\x5A'));
    CallRecord back;
    ASSERT_NE(DecodeCallRecord(bytes, back), 0u);
    EXPECT_EQ(back.reserved[0], 0x5A);
    EXPECT_EQ(back.reserved[9], 0x5A);
}

TEST(CallRecordTest, DamagedStringLengthsEndTheRecord) {
    CallRecord r;
    r.userName = "user";
    const std::string good = EncodeCallRecord(r);
    const std::uint32_t lengths[] = {0xFFFFFFFFu, 0x80000000u, 1024u, 5000u, 4u + 100u};
    for (const std::uint32_t length : lengths) {
        std::string bad = good;
        bad.replace(30, 4, Le32(length));
        CallRecord back;
        EXPECT_EQ(DecodeCallRecord(bad, back), 0u) << length;
    }
    // 1023 is the longest a reader holds.
    std::string longest =
        Le32(0) + std::string(26, '\0') + Str(std::string(1023, 'a')) + Str("") + Str("") + Str("");
    CallRecord back;
    EXPECT_EQ(DecodeCallRecord(longest, back), longest.size());
}

TEST(CallRecordTest, OverlongTextsAreCutSoTheFileStaysReadable) {
    CallRecord r;
    r.deviceType = std::string(5000, 'd');
    CallRecord back;
    const std::string bytes = EncodeCallRecord(r);
    ASSERT_EQ(DecodeCallRecord(bytes, back), bytes.size());
    EXPECT_EQ(back.deviceType, std::string(1023, 'd'));
}

TEST(CallRecordTest, TextEndsAtItsFirstZeroByte) {
    const std::string bytes = Le32(0) + std::string(26, '\0') + Str(std::string("ab\0cd", 5)) +
                              Str("") + Str("") + Str("");
    CallRecord back;
    ASSERT_EQ(DecodeCallRecord(bytes, back), bytes.size());
    EXPECT_EQ(back.userName, "ab");
}

TEST(CallRecordTest, WholeRecordsLengthStopsAtTheFirstPartialRecord) {
    CallRecord a;
    a.entryName = "first";
    CallRecord b;
    b.entryName = "second";
    const std::string one = EncodeCallRecord(a);
    const std::string two = EncodeCallRecord(b);
    const std::string both = one + two;
    for (std::size_t cut = 0; cut <= both.size(); ++cut) {
        const std::size_t expected = cut == both.size()  ? both.size()
                                     : cut >= one.size() ? one.size()
                                                         : 0;
        EXPECT_EQ(WholeRecordsLength(std::string_view(both).substr(0, cut)), expected) << cut;
    }
}

}  // namespace
}  // namespace ov
