#pragma once

#include <string>
#include <vector>

namespace ov {

/// What the settings take from the phone book to fill the default filter lists: the names and
/// types of the dial-up devices and the names of the phone-book entries. The phone-book layer
/// above the settings implements it.
class PhoneBookLists {
public:
    virtual ~PhoneBookLists() = default;
    /// 0 when the phone book could be reached; the lists are used only then.
    virtual int Status() const = 0;
    virtual std::vector<std::string> DeviceNames() const = 0;
    virtual std::vector<std::string> DeviceTypes() const = 0;
    virtual std::vector<std::string> EntryNames() const = 0;
};

}  // namespace ov
