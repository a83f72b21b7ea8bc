#include "monitor/hang_up.h"

#include <vector>

#include "platform/text_source.h"
#include "platform/text_util.h"
#include "sysint/ras_library.h"

namespace ov {

namespace {

/// True to go on with the hang-up: not asked, or answered Yes.
bool Confirmed(bool ask, const HangUpAsker* asker, const std::string& entryName) {
    if (!ask) {
        return true;
    }
    if (!asker) {
        return false;  // nobody can say Yes
    }
    return asker->question.Ask(HangUpQuestionText(asker->texts, entryName), entryName) == IDYES;
}

std::uint32_t HangUp(RasLibrary& entries, const PhoneBookEntry& entry) {
    RasApi* api = entries.Api();
    return api ? api->RasHangUpA(entry.Connection()) : ERROR_INVALID_HANDLE;
}

}  // namespace

std::string HangUpQuestionText(const TextSource& texts, const std::string& entryName) {
    // The pack's text is a format with one text argument: an entry name or a pack text with
    // other "%" signs cannot upset it.
    return FormatWithText(texts.String(kHangUpQuestionString), entryName);
}

bool HangUpAll(RasLibrary* entries, bool ask, const HangUpAsker* asker,
               const HangUpReport& report) {
    if (!entries || !entries->RefreshConnections()) {
        return false;
    }
    for (const auto& entry : entries->Entries()) {
        if (entry->Connection() == 0) {
            continue;
        }
        if (!Confirmed(ask, asker, entry->Name())) {
            break;
        }
        const std::uint32_t result = HangUp(*entries, *entry);
        if (report) {
            report(entry->Name(), result);
        }
    }
    return true;
}

bool HangUpEntry(RasLibrary* entries, const std::string& name, bool ask, const HangUpAsker* asker,
                 const HangUpReport& report) {
    if (!entries || !entries->RefreshConnections()) {
        return false;
    }
    for (const auto& entry : entries->Entries()) {
        if (!EqualsIgnoreCase(entry->Name(), name)) {
            continue;
        }
        if (entry->Connection() != 0 && Confirmed(ask, asker, entry->Name())) {
            const std::uint32_t result = HangUp(*entries, *entry);
            if (report) {
                report(entry->Name(), result);
            }
        }
        break;  // entries after the first match are never looked at
    }
    return true;
}

bool HangUpEveryEntryNamed(RasLibrary* entries, const std::string& name, bool ask,
                           const HangUpAsker* asker, const HangUpReport& report,
                           HangUpMatches* matches) {
    *matches = {};
    RasApi* api = entries ? entries->Api() : nullptr;
    if (!api || !entries->RefreshConnections()) {
        return false;
    }
    for (const auto& entry : entries->Entries()) {
        if (EqualsIgnoreCase(entry->Name(), name)) {
            ++matches->known;
        }
    }
    // The connections themselves, not the entry list: the list holds one entry for names
    // that differ only in case, while the service may hold a connection for each.
    std::vector<RASCONN> connections(4);
    for (;;) {
        connections[0].dwSize = sizeof(RASCONN);
        auto bytes = static_cast<std::uint32_t>(connections.size() * sizeof(RASCONN));
        std::uint32_t count = 0;
        const std::uint32_t error = api->RasEnumConnectionsA(connections.data(), &bytes, &count);
        if (error == ERROR_SUCCESS) {
            connections.resize(count);
            break;
        }
        if (error != ERROR_BUFFER_TOO_SMALL || count <= connections.size()) {
            return false;
        }
        connections.resize(count);
    }
    for (const RASCONN& connection : connections) {
        const std::string entryName = connection.szEntryName;
        if (!EqualsIgnoreCase(entryName, name)) {
            continue;
        }
        ++matches->connected;
        if (!Confirmed(ask, asker, entryName)) {
            break;
        }
        const std::uint32_t result = api->RasHangUpA(connection.hrasconn);
        if (report) {
            report(entryName, result);
        }
    }
    return true;
}

}  // namespace ov
