#pragma once

#include <locale.h>

namespace ov {

/// The C library's "C" locale, made once. Prices are written and read with "." as the decimal
/// point whatever locale the front end sets for the process.
locale_t CLocale();

/// Switches the calling thread to the "C" locale for its lifetime.
class CLocaleScope {
public:
    CLocaleScope() : m_previous(uselocale(CLocale())) {}
    ~CLocaleScope() { uselocale(m_previous); }
    CLocaleScope(const CLocaleScope&) = delete;
    CLocaleScope& operator=(const CLocaleScope&) = delete;

private:
    locale_t m_previous;
};

}  // namespace ov
