#include <cstdio>

#include "cli/cli.h"
#include "platform/registry/registry.h"
#include "platform/text_util.h"

namespace ov::cli {

namespace {

constexpr std::string_view kUsage =
    "usage: orvanta-cli reg list KEY\n"
    "       orvanta-cli reg get KEY NAME\n"
    "       orvanta-cli reg set KEY NAME TYPE DATA\n"
    "       orvanta-cli reg delete KEY NAME\n"
    "KEY is ROOT\\path, ROOT one of HKLM, HKCU, HKCR (or HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER,\n"
    "HKEY_CLASSES_ROOT). NAME @ is the unnamed value. TYPE is REG_SZ, REG_DWORD, REG_BINARY or\n"
    "REG_DWORD_BIG_ENDIAN. DATA is the text, a signed decimal or 0x hex number, or the bytes as\n"
    "hex digits.\n";

int Run(Context& ctx, Args args);

const Command kCommand{"reg", "read and change the registry hives", kUsage, Run};

struct KeyName {
    HKEY root;
    std::string path;
};

std::optional<KeyName> ParseKey(std::string_view text) {
    const auto slash = text.find('\\');
    const std::string_view root = text.substr(0, slash);
    std::string path(slash == std::string_view::npos ? std::string_view{} : text.substr(slash + 1));
    while (!path.empty() && path.back() == '\\') {
        path.pop_back();
    }
    const struct {
        std::string_view shortName;
        HKEY key;
    } roots[] = {
        {"HKLM", HKEY_LOCAL_MACHINE}, {"HKCU", HKEY_CURRENT_USER}, {"HKCR", HKEY_CLASSES_ROOT}};
    for (const auto& r : roots) {
        if (EqualsIgnoreCase(root, r.shortName) || EqualsIgnoreCase(root, RootName(r.key))) {
            return KeyName{r.key, std::move(path)};
        }
    }
    return std::nullopt;
}

const char* ValueName(const std::string& name) {
    return name == "@" ? nullptr : name.c_str();
}

std::string_view TypeName(std::uint32_t type) {
    switch (type) {
        case REG_NONE:
            return "REG_NONE";
        case REG_SZ:
            return "REG_SZ";
        case REG_EXPAND_SZ:
            return "REG_EXPAND_SZ";
        case REG_BINARY:
            return "REG_BINARY";
        case REG_DWORD:
            return "REG_DWORD";
        case REG_DWORD_BIG_ENDIAN:
            return "REG_DWORD_BIG_ENDIAN";
        case REG_MULTI_SZ:
            return "REG_MULTI_SZ";
        default:
            return {};
    }
}

std::string HexDigits(std::string_view bytes) {
    std::string out;
    char digits[4];
    for (const char c : bytes) {
        std::snprintf(digits, sizeof digits, "%02x", static_cast<unsigned char>(c));
        out += digits;
    }
    return out;
}

std::string FormatData(const RegValue& value) {
    if (value.type == REG_SZ || value.type == REG_EXPAND_SZ) {
        return value.data.substr(0, value.data.find('\0'));
    }
    if (value.type == REG_DWORD && value.data.size() == 4) {
        const auto b = [&](int i) { return static_cast<unsigned char>(value.data[i]); };
        const std::uint32_t n = b(0) | (b(1) << 8) | (b(2) << 16) | (std::uint32_t{b(3)} << 24);
        return std::to_string(static_cast<std::int32_t>(n));
    }
    return HexDigits(value.data);
}

std::optional<std::uint32_t> ParseType(std::string_view text) {
    for (const std::uint32_t type : {REG_SZ, REG_DWORD, REG_BINARY, REG_DWORD_BIG_ENDIAN}) {
        if (text == TypeName(type)) {
            return type;
        }
    }
    return std::nullopt;
}

std::optional<std::string> ParseData(std::uint32_t type, std::string_view text) {
    if (type == REG_SZ) {
        return std::string(text);
    }
    if (type == REG_DWORD) {
        long long n = 0;
        if (text.size() > 2 && (text.substr(0, 2) == "0x" || text.substr(0, 2) == "0X")) {
            const std::string_view digits = text.substr(2);
            if (digits.size() > 8 ||
                digits.find_first_not_of("0123456789abcdefABCDEF") != std::string_view::npos) {
                return std::nullopt;
            }
            n = std::stoll(std::string(digits), nullptr, 16);
        } else if (const auto parsed = ParseInteger(text);
                   parsed && *parsed >= INT32_MIN && *parsed <= UINT32_MAX) {
            n = *parsed;
        } else {
            return std::nullopt;
        }
        const auto u = static_cast<std::uint32_t>(n);
        return std::string{static_cast<char>(u & 0xFF), static_cast<char>((u >> 8) & 0xFF),
                           static_cast<char>((u >> 16) & 0xFF), static_cast<char>(u >> 24)};
    }
    if (text.size() % 2 != 0 ||
        text.find_first_not_of("0123456789abcdefABCDEF") != std::string_view::npos) {
        return std::nullopt;
    }
    std::string bytes;
    for (std::size_t i = 0; i < text.size(); i += 2) {
        bytes += static_cast<char>(std::stoi(std::string(text.substr(i, 2)), nullptr, 16));
    }
    return bytes;
}

std::string ErrorText(std::uint32_t error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
            return "not found";
        case ERROR_ACCESS_DENIED:
            return "access denied";
        case ERROR_INVALID_PARAMETER:
            return "not a value this key can hold";
        case ERROR_BAD_PATHNAME:
            return "an empty key name in the path";
        case ERROR_REGISTRY_IO_FAILED:
            return "the hive could not be saved";
        default:
            return "error " + std::to_string(error);
    }
}

/// Closes the key when the command is done with it.
struct OpenKey {
    HKEY handle = 0;
    ~OpenKey() {
        if (handle) {
            RegCloseKey(handle);
        }
    }
};

int Run(Context& ctx, Args args) {
    if (args.size() < 2) {
        return UsageError(ctx, kCommand);
    }
    const std::string& verb = args[0];
    const std::size_t arity = verb == "list"                      ? 2
                              : verb == "get" || verb == "delete" ? 3
                              : verb == "set"                     ? 5
                                                                  : 0;
    if (arity == 0 || args.size() != arity) {
        return UsageError(ctx, kCommand);
    }
    const auto key = ParseKey(args[1]);
    if (!key) {
        return UsageError(ctx, kCommand, "unknown root in '" + args[1] + "'");
    }
    const std::string& keyText = args[1];
    OpenKey open;

    if (verb == "set") {
        const auto type = ParseType(args[3]);
        if (!type) {
            return UsageError(ctx, kCommand, "unknown type '" + args[3] + "'");
        }
        const auto data = ParseData(*type, args[4]);
        if (!data) {
            return UsageError(ctx, kCommand,
                              "'" + args[4] + "' is not " + std::string(TypeName(*type)) + " data");
        }
        std::uint32_t error = RegCreateKeyExA(key->root, key->path.c_str(), 0, nullptr, 0,
                                              KEY_WRITE, nullptr, &open.handle, nullptr);
        if (error == ERROR_SUCCESS) {
            error = RegSetValueExA(open.handle, ValueName(args[2]), 0, *type,
                                   reinterpret_cast<const std::uint8_t*>(data->data()),
                                   static_cast<std::uint32_t>(data->size()));
        }
        if (error == ERROR_SUCCESS) {
            error = RegFlushKey(open.handle);
        }
        return error == ERROR_SUCCESS
                   ? kExitOk
                   : Fail(ctx, keyText + " " + args[2] + ": " + ErrorText(error));
    }

    const std::uint32_t access = verb == "delete" ? KEY_READ | KEY_SET_VALUE : KEY_READ;
    if (const auto error = RegOpenKeyExA(key->root, key->path.c_str(), 0, access, &open.handle)) {
        return Fail(ctx, error == ERROR_FILE_NOT_FOUND ? "no such key: " + keyText
                                                       : keyText + ": " + ErrorText(error));
    }
    if (verb == "delete") {
        std::uint32_t error = RegDeleteValueA(open.handle, ValueName(args[2]));
        if (error == ERROR_SUCCESS) {
            error = RegFlushKey(open.handle);
        }
        if (error == ERROR_FILE_NOT_FOUND) {
            return Fail(ctx, "no such value: " + keyText + " " + args[2]);
        }
        return error == ERROR_SUCCESS
                   ? kExitOk
                   : Fail(ctx, keyText + " " + args[2] + ": " + ErrorText(error));
    }

    std::vector<RegValue> values;
    std::vector<std::string> subkeys;
    if (const auto error = RegistryStore::Default().ListKey(open.handle, &values,
                                                            verb == "list" ? &subkeys : nullptr)) {
        return Fail(ctx, keyText + ": " + ErrorText(error));
    }
    if (verb == "get") {
        const std::string_view wanted = args[2] == "@" ? std::string_view{} : args[2];
        for (const auto& value : values) {
            if (EqualsIgnoreCase(value.name, wanted)) {
                WriteLine(ctx, {FormatData(value)});
                return kExitOk;
            }
        }
        return Fail(ctx, "no such value: " + keyText + " " + args[2]);
    }
    for (const auto& value : values) {
        const std::string_view typeName = TypeName(value.type);
        WriteLine(ctx, {value.name.empty() ? "@" : value.name,
                        typeName.empty() ? std::to_string(value.type) : std::string(typeName),
                        FormatData(value)});
    }
    for (const auto& name : subkeys) {
        // The trailing backslash marks a subkey and is not part of the escaped name.
        const std::string line = EscapeField(name) + "\\\n";
        std::fwrite(line.data(), 1, line.size(), ctx.out);
    }
    std::fflush(ctx.out);
    return kExitOk;
}

}  // namespace

const Command& RegCommand() {
    return kCommand;
}

}  // namespace ov::cli
