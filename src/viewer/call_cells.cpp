#include "viewer/call_cells.h"

#include <ctime>

#include "tariff/price_format.h"

namespace ov {

namespace {

constexpr int kKindTextEntry = 30;  // entries 30-34: the names of kinds 0-4

bool IsMarker(std::int32_t kind) {
    return kind == KindMonitorStart || kind == KindMonitorStop;
}

std::string MonthLineCaption(const TextSource& texts, Time32 start) {
    std::tm local{};
    if (!ToLocalTime(start, local)) {
        return {};
    }
    return MonthCaption(texts, local.tm_year + 1900, local.tm_mon);
}

template <typename T>
int Order(T a, T b) {
    return a > b ? 1 : (a < b ? -1 : 0);
}

/// Byte-wise comparison after folding A-Z to lower case, as the platform's case-insensitive
/// comparison of 8-bit texts does.
int CompareIgnoreCase(std::string_view a, std::string_view b) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        auto lower = [](char c) {
            const auto u = static_cast<unsigned char>(c);
            return u >= 'A' && u <= 'Z' ? u + 32u : static_cast<unsigned>(u);
        };
        if (const int d = Order(lower(a[i]), lower(b[i])); d != 0) {
            return d;
        }
    }
    return Order(a.size(), b.size());
}

/// The text a month line or a marker has in a column that only calls fill.
std::string_view CallText(const CallRow& row, std::string_view text) {
    return row.kind == KindMonthSum || IsMarker(row.kind) ? std::string_view() : text;
}

}  // namespace

std::string CellText(const TextSource& texts, const Tariff& tariff, int columnId,
                     const CallRow* row) {
    if (!IsColumnId(columnId)) {
        return {};
    }
    if (!row) {
        return texts.Entry(kColumnTable[static_cast<std::size_t>(columnId)].listTitleEntry);
    }
    const CallRow& r = *row;
    const bool marker = IsMarker(r.kind);
    switch (columnId) {
        case ColKind:
            // Only kinds 0-4 have a name; a damaged kind must not pick another table entry.
            return r.kind >= KindConnected && r.kind <= KindMonitorStop
                       ? texts.Entry(kKindTextEntry + r.kind)
                       : std::string();
        case ColStart:
            return r.kind == KindMonthSum ? MonthLineCaption(texts, r.startTime)
                                          : FormatDateTime(r.startTime);
        case ColConnected:
            return marker ? std::string() : FormatDuration(r.connectedSeconds);
        case ColDialing:
            return marker ? std::string() : FormatDuration(r.dialingSeconds);
        case ColPrice:
            return marker ? std::string() : FormatPrice(tariff, r.price);
        case ColUser:
            return r.kind == KindMonthSum ? std::string() : std::string(r.userName);
        case ColEntry:
            return marker ? std::string() : std::string(r.entryName);
        case ColDeviceName:
            return marker ? std::string() : std::string(r.deviceName);
        default:
            return marker ? std::string() : std::string(r.deviceType);
    }
}

int CompareRows(int columnId, const CallRow& a, const CallRow& b) {
    switch (columnId) {
        case ColKind:
            return Order(a.kind, b.kind);
        case ColStart:
            return Order(a.startTime, b.startTime);
        case ColConnected:
            return Order(a.connectedSeconds, b.connectedSeconds);
        case ColDialing:
            return Order(a.dialingSeconds, b.dialingSeconds);
        case ColPrice:
            return Order(a.price, b.price);  // NaN compares as equal to everything
        case ColUser:
            return CompareIgnoreCase(a.userName, b.userName);
        case ColEntry:
            return CompareIgnoreCase(CallText(a, a.entryName), CallText(b, b.entryName));
        case ColDeviceName:
            return CompareIgnoreCase(CallText(a, a.deviceName), CallText(b, b.deviceName));
        case ColDeviceType:
            return CompareIgnoreCase(CallText(a, a.deviceType), CallText(b, b.deviceType));
        default:
            return 0;
    }
}

}  // namespace ov
