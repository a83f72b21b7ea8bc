#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace ov {

class RasLibrary;
class TextSource;

/// The answers of a Yes/No question.
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

/// The question before each hang-up: string 3402, with the entry's name in it.
inline constexpr unsigned kHangUpQuestionString = 3402;

/// Asks the user whether to hang a connection up (Yes and No, a warning icon).
class HangUpQuestion {
public:
    virtual ~HangUpQuestion() = default;
    /// `text` is the question as shown; the answer is IDYES or another answer.
    virtual int Ask(const std::string& text, const std::string& entryName) = 0;
};

/// Who asks, when the hang-up is to ask first: the question and the texts it is made from.
struct HangUpAsker {
    HangUpQuestion& question;
    const TextSource& texts;
};

/// Told of each connection hung up: the entry and what the hang-up returned.
using HangUpReport = std::function<void(const std::string& entryName, std::uint32_t result)>;

/// Hangs up every phone-book entry holding a connection, in list order, after the entry list
/// took the current connections. With `ask`, `asker` asks before each one; any answer but Yes
/// (or no asker at all) stops at once, leaving that connection and every later one up. Without
/// the entry list, or when the connections cannot be listed, nothing happens; false then.
bool HangUpAll(RasLibrary* entries, bool ask, const HangUpAsker* asker = nullptr,
               const HangUpReport& report = {});

/// Hangs up the connection of the first entry named `name` (without regard to case), asking
/// first as HangUpAll does. False as HangUpAll.
bool HangUpEntry(RasLibrary* entries, const std::string& name, bool ask,
                 const HangUpAsker* asker = nullptr, const HangUpReport& report = {});

/// What HangUpEveryEntryNamed found: the entries of that name and those holding a connection.
struct HangUpMatches {
    std::size_t known = 0;
    std::size_t connected = 0;
};

/// Hangs up the connection of every entry named `name` without regard to case (two entries
/// whose names differ only in case are both meant), in list order, asking first as HangUpAll
/// does. False as HangUpAll.
bool HangUpEveryEntryNamed(RasLibrary* entries, const std::string& name, bool ask,
                           const HangUpAsker* asker, const HangUpReport& report,
                           HangUpMatches* matches);

/// String 3402 with the entry's name in place of its "%s".
std::string HangUpQuestionText(const TextSource& texts, const std::string& entryName);

}  // namespace ov
