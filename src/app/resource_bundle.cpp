#include "app/resource_bundle.h"

#include <cstdint>

#include "platform/file_util.h"

namespace ov {

namespace {

// The bundle's layout: "qres", then big-endian 32-bit version and the offsets of the tree,
// the data and the names (and, from version 3, flags). A tree node is the offset of its name
// and 16-bit flags, then a directory's child count and first child index, or a file's
// territory, language and data offset; from version 2 a 64-bit modification time follows.
constexpr std::string_view kMagic = "qres";
constexpr std::uint16_t kCompressedZlib = 0x01;
constexpr std::uint16_t kDirectory = 0x02;
constexpr std::uint16_t kCompressedZstd = 0x04;
constexpr std::uint16_t kAnyTerritory = 0;
constexpr std::uint16_t kLanguageC = 1;  // the resource compiler's "no language"

/// Big-endian reads that fail rather than run past the end.
class Bytes {
public:
    explicit Bytes(std::string_view data) : m_data(data) {}

    bool Has(std::uint64_t offset, std::uint64_t size) const {
        return offset <= m_data.size() && size <= m_data.size() - offset;
    }
    std::optional<std::uint32_t> U32(std::uint64_t offset) const {
        if (!Has(offset, 4)) {
            return std::nullopt;
        }
        std::uint32_t value = 0;
        for (int i = 0; i < 4; ++i) {
            value = (value << 8) | static_cast<unsigned char>(m_data[offset + i]);
        }
        return value;
    }
    std::optional<std::uint16_t> U16(std::uint64_t offset) const {
        if (!Has(offset, 2)) {
            return std::nullopt;
        }
        return static_cast<std::uint16_t>((static_cast<unsigned char>(m_data[offset]) << 8) |
                                          static_cast<unsigned char>(m_data[offset + 1]));
    }
    std::string_view View(std::uint64_t offset, std::uint64_t size) const {
        return m_data.substr(offset, size);
    }

private:
    std::string_view m_data;
};

/// The hash the bundle files names under, so that a lookup can bisect a folder's children.
std::uint32_t NameHash(std::string_view name) {
    std::uint32_t h = 0;
    for (const char c : name) {
        h = (h << 4) + static_cast<unsigned char>(c);
        h ^= (h & 0xf0000000U) >> 23;
        h &= 0x0fffffffU;
    }
    return h;
}

/// Whether the name at `offset` of the names table is `name` (ASCII; stored as a 16-bit
/// length, a 32-bit hash and UTF-16 big-endian units).
std::optional<bool> NameIs(const Bytes& bytes, std::uint64_t offset, std::string_view name) {
    const auto length = bytes.U16(offset);
    const auto hash = bytes.U32(offset + 2);
    if (!length || !hash || !bytes.Has(offset + 6, std::uint64_t{*length} * 2)) {
        return std::nullopt;
    }
    if (*length != name.size() || *hash != NameHash(name)) {
        return false;
    }
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (bytes.U16(offset + 6 + 2 * i) != static_cast<unsigned char>(name[i])) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::optional<std::string> PlainBundleFile(std::string_view bundle, std::string_view name) {
    const Bytes bytes(bundle);
    if (bundle.substr(0, kMagic.size()) != kMagic) {
        return std::nullopt;
    }
    const auto version = bytes.U32(4);
    const auto tree = bytes.U32(8);
    const auto data = bytes.U32(12);
    const auto names = bytes.U32(16);
    if (!version || !tree || !data || !names || *version < 1 || *version > 3 ||
        *tree >= bundle.size() || *data >= bundle.size() || *names >= bundle.size()) {
        return std::nullopt;
    }
    // Version 3 names the compressions the bundle uses; Qt refuses a bundle naming others.
    if (*version >= 3) {
        const auto features = bytes.U32(20);
        if (!features || (*features & ~std::uint32_t{kCompressedZlib | kCompressedZstd}) != 0) {
            return std::nullopt;
        }
    }
    const std::uint64_t nodeSize = *version >= 2 ? 22 : 14;
    const auto node = [&](std::uint64_t index) { return *tree + index * nodeSize; };

    // The root is node 0, a directory; the file is one of its children.
    const auto rootFlags = bytes.U16(node(0) + 4);
    const auto childCount = bytes.U32(node(0) + 6);
    const auto firstChild = bytes.U32(node(0) + 10);
    if (!rootFlags || !childCount || !firstChild || (*rootFlags & kDirectory) == 0 ||
        !bytes.Has(node(*firstChild), std::uint64_t{*childCount} * nodeSize)) {
        return std::nullopt;
    }
    // Qt bisects the children by their names' hashes: they must be in order for it to find
    // what is found here.
    std::optional<std::uint64_t> found;
    std::uint32_t previousHash = 0;
    for (std::uint32_t i = 0; i < *childCount; ++i) {
        const std::uint64_t child = node(std::uint64_t{*firstChild} + i);
        const std::uint64_t nameAt = std::uint64_t{*names} + *bytes.U32(child);
        const auto hash = bytes.U32(nameAt + 2);
        const auto same = NameIs(bytes, nameAt, name);
        if (!hash || !same || *hash < previousHash) {
            return std::nullopt;
        }
        previousHash = *hash;
        if (*same) {
            if (found) {
                return std::nullopt;  // one per locale: which one is Qt's choice
            }
            found = child;
        }
    }
    if (!found) {
        return std::nullopt;
    }
    const std::uint16_t flags = *bytes.U16(*found + 4);
    if ((flags & (kDirectory | kCompressedZlib | kCompressedZstd)) != 0 ||
        *bytes.U16(*found + 6) != kAnyTerritory || *bytes.U16(*found + 8) != kLanguageC) {
        return std::nullopt;
    }
    const std::uint64_t at = std::uint64_t{*data} + *bytes.U32(*found + 10);
    const auto size = bytes.U32(at);
    if (!size || !bytes.Has(at + 4, *size)) {
        return std::nullopt;
    }
    return std::string(bytes.View(at + 4, *size));
}

std::optional<std::string> ReadPlainBundleFile(const std::string& bundlePath,
                                               std::string_view name) {
    const auto bundle = ReadWholeFile(bundlePath);
    if (!bundle) {
        return std::nullopt;
    }
    return PlainBundleFile(*bundle, name);
}

}  // namespace ov
