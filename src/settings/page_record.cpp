#include "settings/page_record.h"

#include <algorithm>
#include <cstring>

namespace ov {

namespace {

std::string_view TextOf(const std::array<char, kPageTextSize>& field) {
    return {field.data(), strnlen(field.data(), field.size())};
}

void StoreText(std::array<char, kPageTextSize>& field, std::string_view text) {
    field.fill('\0');
    std::copy_n(text.begin(), std::min(text.size(), field.size() - 1), field.begin());
}

}  // namespace

std::string_view PageRecord::HeaderText() const {
    return TextOf(headerText);
}

std::string_view PageRecord::FooterText() const {
    return TextOf(footerText);
}

void PageRecord::SetHeaderText(std::string_view text) {
    StoreText(headerText, text);
}

void PageRecord::SetFooterText(std::string_view text) {
    StoreText(footerText, text);
}

void PageRecord::Terminate() {
    headerText.back() = '\0';
    footerText.back() = '\0';
    headerFont.Terminate();
    footerFont.Terminate();
}

void PageRecord::BringIntoRange() {
    constexpr std::int32_t kLargest = 65535;
    for (std::int32_t* length :
         {&leftMargin, &rightMargin, &topMargin, &bottomMargin, &headerPosition, &footerPosition}) {
        *length = std::clamp(*length, 0, kLargest);
    }
    for (LogFont* font : {&headerFont, &footerFont}) {
        font->lfHeight = std::clamp(font->lfHeight, -kLargest, kLargest);
        font->lfWidth = std::clamp(font->lfWidth, -kLargest, kLargest);
    }
}

PageRecord FreshPageRecord() {
    PageRecord page;
    page.SetHeaderText("#|- #p -");
    page.headerFont = LogFont::Make("Times New Roman", 400, 400, 1);
    page.footerFont = page.headerFont;
    page.headerOn = 1;
    page.footerOn = 0;
    page.leftMargin = page.rightMargin = page.topMargin = page.bottomMargin = 2000;
    page.headerPosition = page.footerPosition = 1000;
    page.metric = 1;
    page.orientation = 1;
    page.paperSize = 9;
    page.paperHeight = 28101;
    page.paperWidth = 20320;
    page.copies = 1;
    page.printQuality = -3;
    page.duplex = 1;
    return page;
}

}  // namespace ov
