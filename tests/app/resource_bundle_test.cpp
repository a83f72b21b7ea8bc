// The plain reading of a pack's texts must answer exactly what Qt's resource system reads, or
// nothing: on the shipped and test bundles, and on damaged copies of them.
#include "app/resource_bundle.h"
#include "app/qt/language_packs.h"
#include "platform/file_util.h"

#include "support/temp_dir.h"

#include <QFile>
#include <QResource>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace ov {
namespace {

/// What Qt reads as `name` at the top of the bundle file; nothing when it does not.
std::optional<std::string> QtReads(const std::string& bundle, const std::string& name) {
    const QString path = QString::fromStdString(bundle);
    const QString root = QStringLiteral("/bundletest");
    if (!QResource::registerResource(path, root)) {
        return std::nullopt;
    }
    std::optional<std::string> text;
    QFile file(QStringLiteral(":/bundletest/") + QString::fromStdString(name));
    if (file.open(QIODevice::ReadOnly)) {
        text = file.readAll().toStdString();
    }
    QResource::unregisterResource(path, root);
    return text;
}

std::vector<std::string> Bundles() {
    const std::string langs = LangsFolder();
    return {langs + "/English/OVEngRes.rcc", langs + "/Slovak/OVSlvRes.rcc",
            std::string(OV_TEST_PACKS_DIR) + "/Alpha/Alpha.rcc",
            std::string(OV_TEST_PACKS_DIR) + "/Beta/Beta.rcc"};
}

TEST(PlainBundleFile, ReadsTheShippedTextsAsQtDoes) {
    for (const std::string& bundle : Bundles()) {
        SCOPED_TRACE(bundle);
        // Stored plainly in every pack the build makes: the texts never need Qt's reader.
        const auto plain = ReadPlainBundleFile(bundle, "strings.tsv");
        ASSERT_TRUE(plain.has_value());
        EXPECT_EQ(plain, QtReads(bundle, "strings.tsv"));
        EXPECT_FALSE(ReadPlainBundleFile(bundle, "no-such.tsv").has_value());
        EXPECT_FALSE(ReadPlainBundleFile(bundle + ".missing", "strings.tsv").has_value());
    }
}

TEST(PlainBundleFile, DamagedBundlesAreNothingOrWhatQtReads) {
    const std::string bundlePath = Bundles().front();
    const auto bundle = ReadWholeFile(bundlePath);
    ASSERT_TRUE(bundle.has_value());
    // Every cut of the file loses a table or the texts.
    for (std::size_t size = 0; size < bundle->size(); size += 37) {
        EXPECT_FALSE(PlainBundleFile(std::string_view(*bundle).substr(0, size), "strings.tsv"))
            << size;
    }
    // Any byte changed in the header, the tables or the texts' length: either the reading
    // refuses, or Qt reads the very same text from the damaged file.
    const test::TempDir dir;
    const auto u32 = [&](std::size_t at) {
        std::uint32_t value = 0;
        for (std::size_t i = 0; i < 4; ++i) {
            value = (value << 8) | static_cast<unsigned char>((*bundle)[at + i]);
        }
        return value;
    };
    // The header, then the names and the tree (the rcc tool writes them after the data).
    std::vector<std::size_t> positions;
    for (std::size_t i = 0; i < 24; ++i) {
        positions.push_back(i);
    }
    for (std::size_t i = std::min(u32(8), u32(16)); i < bundle->size(); i += 3) {
        positions.push_back(i);
    }
    int answered = 0;
    for (const std::size_t at : positions) {
        for (const unsigned char change : {0x01, 0x04, 0x80}) {
            std::string damaged = *bundle;
            damaged[at] = static_cast<char>(static_cast<unsigned char>(damaged[at]) ^ change);
            const auto plain = PlainBundleFile(damaged, "strings.tsv");
            if (!plain) {
                continue;
            }
            const std::string path = dir.File("damaged" + std::to_string(++answered) + ".rcc");
            std::FILE* file = std::fopen(path.c_str(), "wb");
            ASSERT_NE(file, nullptr);
            ASSERT_EQ(std::fwrite(damaged.data(), 1, damaged.size(), file), damaged.size());
            ASSERT_EQ(std::fclose(file), 0);
            EXPECT_EQ(plain, QtReads(path, "strings.tsv")) << at << " ^ " << int{change};
        }
    }
    EXPECT_GT(answered, 0);  // some changes (modification times, other files) do not matter
}

}  // namespace
}  // namespace ov
