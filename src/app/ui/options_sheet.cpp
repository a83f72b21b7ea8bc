#include "app/ui/options_sheet.h"

#include "app/qt/language_packs.h"
#include "app/ui/app_window.h"
#include "dialogs/options_rules.h"
#include "dialogs/ui/qx_font_button.h"
#include "dialogs/ui/qx_web_link_ctrl.h"
#include "dialogs/ui/template_loader.h"
#include "dialogs/ui/ui_resources.h"
#include "launcher/single_instance.h"
#include "printing/report_document.h"
#include "printing/ui/page_setup_dialog.h"
#include "printing/ui/sample_page_widget.h"
#include "settings/settings.h"
#include "sysint/ras_library.h"
#include "sysint/shortcuts.h"
#include "tariff/price_format.h"
#include "tariff/tariff_file.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QEventLoop>
#include <QFileDialog>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>
#include <QUrl>

#include <cstdio>

namespace ov {

namespace {

// Page 204: general.
constexpr unsigned kAutoOpen = 3000;
constexpr unsigned kShowDisplay = 3115;
constexpr unsigned kTotalHours = 3108;
constexpr unsigned kTotalMinutes = 3109;
constexpr unsigned kTotalPrice = 3107;
constexpr unsigned kTotalCurrency = 3119;
constexpr unsigned kUseLimit = 3390;
constexpr unsigned kLimitType = 3391;
constexpr unsigned kLimitUnit = 3393;
constexpr unsigned kLimitTime = 3392;
constexpr unsigned kLimitCurrency = 3394;
constexpr unsigned kLimitPrice = 3396;
constexpr unsigned kHangUp = 3397;
constexpr unsigned kHangUpTimeout = 3398;
constexpr unsigned kNoHangUpPrompt = 3399;

// Page 205: tariff and currency.
constexpr unsigned kPresets = 3149;
constexpr unsigned kDayType = 3086;
constexpr unsigned kRowBases[2] = {3007, 3013};
constexpr unsigned kCurrName = 3001;
constexpr unsigned kCurrShort = 3002;
constexpr unsigned kCurrDecimals = 3003;
constexpr unsigned kSymbolAfter = 3004;
constexpr unsigned kSymbolBefore = 3005;
constexpr unsigned kPricePreview = 3080;
constexpr unsigned kRowCurrency[2] = {3082, 3083};
/// The sample price of the preview.
constexpr float kSamplePrice = 100.2f;

// Page 206: the call list.
constexpr unsigned kCallListChecks[4] = {3025, 3026, 3027, 3028};
/// The check boxes of the call list's columns 2 to 9, in column order.
constexpr unsigned kColumnChecks[8] = {3029, 3033, 3034, 3030, 3104, 3105, 3031, 3032};

// Page 307: printing.
constexpr unsigned kPrintChecks[6] = {3098, 3099, 3094, 3095, 3096, 3097};
constexpr unsigned kHeaderFont = 3102;
constexpr unsigned kTextFont = 3103;
constexpr unsigned kPrintPreview = 3100;
constexpr unsigned kPageSetup = 3089;

// Page 314: language.
constexpr unsigned kLanguage = 3120;

// Page 312: programs.
constexpr unsigned kProgramList = 3087;
constexpr unsigned kProgramPath = 3088;
constexpr unsigned kProgramStyle = 3106;
constexpr unsigned kProgramExit = 3090;
constexpr unsigned kProgramAdd = 3091;
constexpr unsigned kProgramChange = 3092;
constexpr unsigned kProgramRemove = 3093;
constexpr unsigned kProgramBrowse = 3101;

// Page 210: phone-book entries.
constexpr unsigned kEntryBox = 3047;
constexpr unsigned kDeviceBox = 3044;
constexpr unsigned kAreaCode = 3043;
constexpr unsigned kPhoneNumber = 3045;
constexpr unsigned kServerAddresses = 3050;
constexpr unsigned kAddressFields[4] = {3051, 3052, 3053, 3054};
constexpr unsigned kDnsFields[4] = {3055, 3056, 3058, 3060};
constexpr unsigned kEntryShortcut = 3085;
constexpr unsigned kToolButtons[3] = {3040, 3041, 3042};
constexpr unsigned kEntryCreate = 3046;
constexpr unsigned kEntryUpdate = 3048;
constexpr unsigned kEntryDelete = 3049;

// Page 311: links.
constexpr std::pair<unsigned, const char*> kLinks[] = {
    {3067, "https://orvanta.example.org/"},
    {3062, "https://orvanta.example.org/download/"},
    {3063, "https://www.mozilla.org/firefox/new/"},
    {3064, "https://www.chromium.org/getting-involved/download-chromium/"},
    {3065, "https://gateway.example.com/download/"},
    {3066, "ftp://ftp.example.net/pub/messenger/"},
};

/// The pause after a switch of language, so the application window rebuilds its windows
/// before the sheet goes on.
constexpr int kLanguagePauseMs = 300;

/// Commands that change a value of the working copy and so mark the sheet modified.
bool MarksModified(unsigned id) {
    return id == kAutoOpen || id == kCurrName || (id >= 3007 && id <= 3018) ||
           (id >= 3025 && id <= 3034) || (id >= 3104 && id <= 3109) || id == kLanguage ||
           id == kLimitTime || id == kLimitPrice || (id >= 3002 && id <= 3005) ||
           (id >= 3094 && id <= 3099) || id == kShowDisplay || id == kUseLimit ||
           id == kLimitType || id == kLimitUnit || id == kHangUp || id == kHangUpTimeout ||
           id == kNoHangUpPrompt || id == kPresets;
}

QString Number(const Tariff& tariff, float value) {
    return QString::fromStdString(FormatNumber(tariff, value));
}

/// A pack text used as a printf format with one %s.
QString WithName(const std::string& format, const std::string& name) {
    QString text = QString::fromStdString(format);
    const qsizetype at = text.indexOf(QLatin1String("%s"));
    if (at >= 0) {
        text.replace(at, 2, QString::fromStdString(name));
    }
    return text;
}

/// Shows or hides, enables or disables a control with the label it is the buddy of.
void SetShownWithLabel(QWidget* control, bool shown) {
    if (control == nullptr) {
        return;
    }
    control->setVisible(shown);
    for (QLabel* label : control->parentWidget()->findChildren<QLabel*>()) {
        if (label->buddy() == control) {
            label->setVisible(shown);
        }
    }
}

void SetEnabledWithLabel(QWidget* control, bool enabled) {
    if (control == nullptr) {
        return;
    }
    control->setEnabled(enabled);
    for (QLabel* label : control->parentWidget()->findChildren<QLabel*>()) {
        if (label->buddy() == control) {
            label->setEnabled(enabled);
        }
    }
}

}  // namespace

/// The sheet's window for the control-panel tools' notify commands.
class OptionsSheet::ToolWindow final : public MessageWindow {
public:
    ToolWindow(MessageLoop& loop, OptionsSheet& sheet) : MessageWindow(loop), m_sheet(sheet) {}
    std::intptr_t HandleMessage(std::uint32_t message, std::uintptr_t wParam,
                                std::intptr_t /*lParam*/) override {
        if (message == WM_COMMAND) {
            // Not inside the launcher's own notification: the sheet destroys the launcher.
            const auto command = static_cast<unsigned>(wParam);
            QMetaObject::invokeMethod(
                &m_sheet, [sheet = &m_sheet, command] { sheet->OnToolDone(command); },
                Qt::QueuedConnection);
        }
        return 0;
    }

private:
    OptionsSheet& m_sheet;
};

OptionsSheet::OptionsSheet(OptionsSheetParts parts, OptionsSheetHooks hooks, QWidget* parent)
    : sSheetDialog(kOptionsTemplate, parent, Navigation::Tree, kOptionsTree, kOptionsFrame),
      m_parts(parts),
      m_hooks(std::move(hooks)),
      // The copy is made without the phone book: the working copy must not store its lists.
      m_work(std::make_unique<Settings>(parts.packs)) {
    m_work->CopyFrom(parts.settings);
    ReadTariffFile(m_work->TariffFile, m_presets);
    if (parts.loop != nullptr) {
        m_toolWindow = std::make_unique<ToolWindow>(*parts.loop, *this);
    }
    setAcceptDrops(true);
    s_open = this;
}

OptionsSheet::~OptionsSheet() {
    m_tool.reset();
    if (s_open == this) {
        s_open = nullptr;
    }
}

template <typename Control>
Control* OptionsSheet::Ctl(unsigned id) const {
    return findChild<Control*>(QStringLiteral("id%1").arg(id));
}

sSheetDialogBase* OptionsSheet::Page(unsigned pageTemplateId) const {
    const auto found = m_pageOf.find(pageTemplateId);
    return found != m_pageOf.end() ? found->second : nullptr;
}

bool OptionsSheet::Initialise() {
    m_initialising = true;
    RasLibrary* phoneBook = m_parts.phoneBook;
    m_entriesPage = phoneBook != nullptr && phoneBook->Status() == kRasReady;
    if (m_entriesPage) {
        phoneBook->EnumDevices();
        phoneBook->EnumEntries();
    }
    const auto make = [this](unsigned id, unsigned caption, PageItem* parentItem) {
        auto* page = new sSheetDialogBase(id, this);
        m_pageOf[id] = page;
        return AddPage(page, m_parts.resources.Text(caption), parentItem);
    };
    PageItem* general = make(kPageGeneral, 3319, nullptr);
    make(kPageTariff, 3320, general);
    make(kPageLanguage, 3343, general);
    make(kPagePrograms, 3326, general);
    PageItem* callList = make(kPageCallList, 3325, nullptr);
    make(kPagePrinting, 3324, callList);
    PageItem* dialUp = make(kPageDialUp, 3322, nullptr);
    if (m_entriesPage) {
        make(kPageEntries, 3327, dialUp);
    }
    make(kPageLinks, 3321, dialUp);
    if (!Build(m_parts.resources)) {
        return false;
    }
    if (windowTitle().isEmpty()) {
        setWindowTitle(m_parts.resources.Text(3323));
    }
    for (const auto& item : Pages()) {
        if (item->loaded) {
            item->page->DoDataExchange(false);
        }
    }
    // Above the other windows, where it was placed.
    setWindowFlag(Qt::WindowStaysOnTopHint);
    m_initialising = false;
    SetModified(false);
    return true;
}

void OptionsSheet::SetModified(bool modified) {
    m_modified = modified;
    if (auto* apply = Ctl<QPushButton>(kApplyButton)) {
        apply->setEnabled(modified);
    }
}

void OptionsSheet::Message(const QString& text) {
    if (m_hooks.showMessage) {
        m_hooks.showMessage(text);
    } else {
        QMessageBox::warning(this, windowTitle(), text);
    }
}

void OptionsSheet::Beep() const {
    if (m_hooks.beep) {
        m_hooks.beep();
    } else {
        QApplication::beep();
    }
}

void OptionsSheet::OnCommand(unsigned id, int code) {
    if (m_initialising || m_quiet > 0) {
        return;
    }
    switch (id) {
        case kApplyButton:
            Apply(false);
            return;
        case kSheetOk:
            m_tool.reset();
            Apply(true);
            EndSheet(kSheetOk);
            return;
        case kSheetCancel:
        case kSheetClose:
            m_tool.reset();
            EndSheet(id);
            return;
        default:
            break;
    }
    const sSheetDialogBase* current = CurrentPage();
    const unsigned page = current != nullptr ? current->TemplateId() : 0;
    if (page == kPagePrograms) {
        OnProgramsCommand(id, code);
        return;
    }
    if (page == kPageEntries) {
        OnEntriesCommand(id, code);
        return;
    }
    switch (id) {
        case kShowDisplay:
        case kUseLimit:
        case kLimitType:
            UpdateGeneralEnabling();
            break;
        case kPresets:
            ChoosePreset(Ctl<QComboBox>(kPresets)->currentIndex());
            break;
        case kDayType:
            StoreTariffRows();
            m_daySet = std::max(0, Ctl<QComboBox>(kDayType)->currentIndex());
            LoadTariffRows();
            return;
        case kCurrName:
        case kCurrShort:
        case kCurrDecimals:
        case kSymbolAfter:
        case kSymbolBefore:
            UpdateCurrency();
            break;
        case kHeaderFont:
        case kTextFont:
            if (!Ctl<QXFontButton>(id)->Choose()) {
                return;
            }
            UpdatePrintPreview();
            SetModified(true);
            return;
        case kPageSetup:
            if (RunPageSetup(m_work->PrintPage, m_parts.resources, this)) {
                UpdatePrintPreview();
                SetModified(true);
            }
            return;
        default:
            if (id >= 3094 && id <= 3099) {
                UpdatePrintPreview();
            }
            break;
    }
    if (MarksModified(id)) {
        SetModified(true);
    }
}

void OptionsSheet::EndSheet(unsigned code) {
    sSheetDialog::OnCommand(code, kNotifyClicked);
}

void OptionsSheet::Apply(bool withLanguage) {
    if (withLanguage) {
        auto* language = Ctl<QComboBox>(kLanguage);
        const int chosen = language != nullptr ? language->currentIndex() : -1;
        LanguagePacks& packs = m_parts.packs;
        if (chosen >= 0 && chosen != packs.CurrentIndex() &&
            static_cast<std::size_t>(chosen) < packs.Packs().size() &&
            packs.SwitchTo(packs.Packs()[static_cast<std::size_t>(chosen)].langId)) {
            // The working copy's "all" items follow the new language too, or copying it back
            // would bring the old language's texts into the live settings' lists.
            m_work->RefreshLanguageTexts();
            if (m_hooks.languageChanged) {
                m_hooks.languageChanged();
            }
            QEventLoop wait;
            QTimer::singleShot(kLanguagePauseMs, &wait, &QEventLoop::quit);
            wait.exec();
        }
    }
    if (!m_modified) {
        return;
    }
    for (const unsigned page : {kPageGeneral, kPageTariff, kPageCallList, kPagePrinting}) {
        if (Page(page) != nullptr) {
            PageDataExchange(true, page);
        }
    }
    m_parts.settings.CopyFrom(*m_work);
    m_parts.settings.Exchange(true);
    std::string error;
    if (!WriteTariffFile(m_work->TariffFile, m_presets, &error)) {
        (void)std::fprintf(stderr, "orvanta: the tariff file cannot be written: %s\n",
                           error.c_str());
    }
    if (m_hooks.reloadCallList) {
        m_hooks.reloadCallList();
    }
    SetModified(false);
}

void OptionsSheet::PageDataExchange(bool save, unsigned pageTemplateId) {
    ++m_quiet;
    switch (pageTemplateId) {
        case kPageGeneral:
            ExchangeGeneral(save);
            break;
        case kPageTariff:
            ExchangeTariff(save);
            break;
        case kPageCallList:
            ExchangeCallList(save);
            break;
        case kPagePrinting:
            ExchangePrinting(save);
            break;
        case kPageLanguage:
            ExchangeLanguage(save);
            break;
        case kPagePrograms:
            ExchangePrograms(save);
            break;
        case kPageEntries:
            if (!save) {
                FillEntries();
                FillDevices();
                ShowSelectedEntry();
            }
            break;
        case kPageLinks:
            for (const auto& [id, target] : kLinks) {
                if (auto* link = Ctl<QXWebLinkCtrl>(id)) {
                    QString url = QString::fromLatin1(target);
                    ExchangeWebLink(save, *link, url);
                }
            }
            break;
        default:
            break;
    }
    --m_quiet;
}

// ---- Page 204: general ----

void OptionsSheet::ExchangeGeneral(bool save) {
    Settings& s = *m_work;
    auto* autoOpen = Ctl<QCheckBox>(kAutoOpen);
    auto* showDisplay = Ctl<QCheckBox>(kShowDisplay);
    auto* hours = Ctl<QSpinBox>(kTotalHours);
    auto* minutes = Ctl<QSpinBox>(kTotalMinutes);
    auto* totalPrice = Ctl<QLineEdit>(kTotalPrice);
    auto* useLimit = Ctl<QCheckBox>(kUseLimit);
    auto* type = Ctl<QComboBox>(kLimitType);
    auto* unit = Ctl<QComboBox>(kLimitUnit);
    auto* time = Ctl<QLineEdit>(kLimitTime);
    auto* price = Ctl<QLineEdit>(kLimitPrice);
    auto* hangUp = Ctl<QCheckBox>(kHangUp);
    auto* timeout = Ctl<QSpinBox>(kHangUpTimeout);
    auto* noPrompt = Ctl<QCheckBox>(kNoHangUpPrompt);
    if (autoOpen == nullptr || showDisplay == nullptr || hours == nullptr || minutes == nullptr ||
        totalPrice == nullptr || useLimit == nullptr || type == nullptr || unit == nullptr ||
        time == nullptr || price == nullptr || hangUp == nullptr || timeout == nullptr ||
        noPrompt == nullptr) {
        return;
    }
    if (!save) {
        autoOpen->setChecked(s.AutoOpen != 0);
        showDisplay->setChecked(s.ShowEvnWnd != 0);
        hours->setValue(TotalTimeHours(s.EventTotTime));
        minutes->setValue(TotalTimeMinutes(s.EventTotTime));
        totalPrice->setText(Number(s.CurrentTariff, s.EventTotPrice));
        useLimit->setChecked(s.EventUseNotification != 0);
        type->setCurrentIndex(s.EventType);
        unit->setCurrentIndex(s.EventValueType);
        time->setText(QString::number(s.EventTime));
        price->setText(Number(s.CurrentTariff, s.EventPrice));
        hangUp->setChecked(s.HangUpAutomatically != 0);
        timeout->setValue(s.HangUpTimeout);
        noPrompt->setChecked(s.NotPromptHangUp != 0);
        const QString shortName = QString::fromStdString(s.CurrentTariff.CurrShort);
        for (const unsigned id : {kTotalCurrency, kLimitCurrency}) {
            if (auto* label = Ctl<QLabel>(id)) {
                label->setText(shortName);
            }
        }
        UpdateGeneralEnabling();
        return;
    }
    s.AutoOpen = autoOpen->isChecked() ? 1 : 0;
    // The desktop's autostart list follows the check box.
    const std::string name = m_parts.packs.String(kProductName).empty()
                                 ? std::string("Orvanta")
                                 : m_parts.packs.String(kProductName);
    if (s.AutoOpen != 0) {
        SetAutoStart(name, CurrentProgramPath());
    } else {
        RemoveAutoStart(name);
    }
    s.ShowEvnWnd = showDisplay->isChecked() ? 1 : 0;
    s.EventTotTime = TotalTimeSeconds(hours->value(), minutes->value());
    s.EventTotPrice = ReadDecimal(totalPrice->text().toStdString());
    s.EventUseNotification = useLimit->isChecked() ? 1 : 0;
    s.EventType = std::max(0, type->currentIndex());
    s.EventValueType = std::max(0, unit->currentIndex());
    s.EventTime = ReadInteger(time->text().toStdString());
    s.EventPrice = ReadDecimal(price->text().toStdString());
    s.HangUpAutomatically = hangUp->isChecked() ? 1 : 0;
    s.HangUpTimeout = timeout->value();
    s.NotPromptHangUp = noPrompt->isChecked() ? 1 : 0;
}

void OptionsSheet::UpdateGeneralEnabling() {
    const auto* showDisplay = Ctl<QCheckBox>(kShowDisplay);
    const auto* useLimit = Ctl<QCheckBox>(kUseLimit);
    const auto* type = Ctl<QComboBox>(kLimitType);
    if (showDisplay == nullptr || useLimit == nullptr || type == nullptr) {
        return;
    }
    for (const unsigned id : {kTotalPrice, kTotalHours, kTotalMinutes, kTotalCurrency}) {
        SetEnabledWithLabel(Ctl<QWidget>(id), showDisplay->isChecked());
    }
    for (const unsigned id : {kLimitType, kLimitUnit, kLimitTime, kLimitPrice, kLimitCurrency,
                              kHangUp, kHangUpTimeout}) {
        SetEnabledWithLabel(Ctl<QWidget>(id), useLimit->isChecked());
    }
    const bool isTime = LimitIsTime(std::max(0, type->currentIndex()));
    SetShownWithLabel(Ctl<QWidget>(kLimitUnit), isTime);
    SetShownWithLabel(Ctl<QWidget>(kLimitTime), isTime);
    SetShownWithLabel(Ctl<QWidget>(kLimitPrice), !isTime);
    SetShownWithLabel(Ctl<QWidget>(kLimitCurrency), !isTime);
}

// ---- Page 205: tariff and currency ----

void OptionsSheet::ExchangeTariff(bool save) {
    Tariff& t = m_work->CurrentTariff;
    auto* presets = Ctl<QComboBox>(kPresets);
    auto* dayType = Ctl<QComboBox>(kDayType);
    auto* name = Ctl<QLineEdit>(kCurrName);
    auto* shortName = Ctl<QLineEdit>(kCurrShort);
    auto* decimals = Ctl<QSpinBox>(kCurrDecimals);
    auto* after = Ctl<QRadioButton>(kSymbolAfter);
    auto* before = Ctl<QRadioButton>(kSymbolBefore);
    if (presets == nullptr || dayType == nullptr || name == nullptr || shortName == nullptr ||
        decimals == nullptr || after == nullptr || before == nullptr) {
        return;
    }
    if (!save) {
        presets->clear();
        m_preset = -1;
        for (std::size_t i = 0; i < m_presets.size(); ++i) {
            presets->addItem(QString::fromStdString(m_presets[i].CurrCompany));
            if (m_preset < 0 && m_presets[i].CurrCompany == t.CurrCompany) {
                m_preset = static_cast<int>(i);
            }
        }
        presets->setCurrentIndex(m_preset);
        m_daySet = 0;
        dayType->setCurrentIndex(0);
        name->setText(QString::fromStdString(t.CurrName));
        shortName->setText(QString::fromStdString(t.CurrShort));
        decimals->setValue(t.CurrDecName);
        after->setChecked(t.CurrAfterNum != 0);
        before->setChecked(t.CurrAfterNum == 0);
        LoadTariffRows();
        UpdateCurrency();
        return;
    }
    StoreTariffRows();
    t.CurrName = name->text().toStdString();
    t.CurrShort = shortName->text().toStdString();
    t.CurrDecName = CapDecimals(decimals->value());
    t.CurrAfterNum = after->isChecked() ? 1 : 0;
    StoreIntoPreset();
}

void OptionsSheet::LoadTariffRows() {
    ++m_quiet;
    for (int row = 0; row < 2; ++row) {
        const unsigned base = kRowBases[row];
        const BandRow values = BandRowOf(m_work->CurrentTariff, m_daySet, row);
        const int numbers[] = {values.fromHour, values.fromMinute, values.toHour, values.toMinute};
        for (unsigned i = 0; i < 4; ++i) {
            if (auto* field = Ctl<QSpinBox>(base + i)) {
                field->setValue(numbers[i]);
            }
        }
        if (auto* price = Ctl<QLineEdit>(base + 4)) {
            price->setText(Number(m_work->CurrentTariff, values.price));
        }
        if (auto* unit = Ctl<QSpinBox>(base + 5)) {
            unit->setValue(values.minutes);
        }
    }
    --m_quiet;
}

void OptionsSheet::StoreTariffRows() {
    for (int row = 0; row < 2; ++row) {
        const unsigned base = kRowBases[row];
        const auto* fromHour = Ctl<QSpinBox>(base);
        const auto* fromMinute = Ctl<QSpinBox>(base + 1);
        const auto* toHour = Ctl<QSpinBox>(base + 2);
        const auto* toMinute = Ctl<QSpinBox>(base + 3);
        const auto* price = Ctl<QLineEdit>(base + 4);
        const auto* unit = Ctl<QSpinBox>(base + 5);
        if (fromHour == nullptr || fromMinute == nullptr || toHour == nullptr ||
            toMinute == nullptr || price == nullptr || unit == nullptr) {
            return;
        }
        StoreBandRow(m_work->CurrentTariff, m_daySet, row,
                     {fromHour->value(), fromMinute->value(), toHour->value(), toMinute->value(),
                      ReadDecimal(price->text().toStdString()), unit->value()});
    }
}

void OptionsSheet::StoreIntoPreset() {
    if (m_preset >= 0 && static_cast<std::size_t>(m_preset) < m_presets.size()) {
        TakePreset(m_presets[static_cast<std::size_t>(m_preset)], m_work->CurrentTariff);
    }
}

void OptionsSheet::ChoosePreset(int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= m_presets.size()) {
        return;
    }
    // What the page shows goes back into the preset it came from before another is taken.
    ++m_quiet;
    ExchangeTariff(true);
    TakePreset(m_work->CurrentTariff, m_presets[static_cast<std::size_t>(index)]);
    ExchangeTariff(false);
    --m_quiet;
}

void OptionsSheet::UpdateCurrency() {
    const auto* name = Ctl<QLineEdit>(kCurrName);
    const auto* shortName = Ctl<QLineEdit>(kCurrShort);
    const auto* decimals = Ctl<QSpinBox>(kCurrDecimals);
    const auto* after = Ctl<QRadioButton>(kSymbolAfter);
    auto* preview = Ctl<QLabel>(kPricePreview);
    if (name == nullptr || shortName == nullptr || decimals == nullptr || after == nullptr) {
        return;
    }
    Tariff shown = m_work->CurrentTariff;
    shown.CurrName = name->text().toStdString();
    shown.CurrShort = shortName->text().toStdString();
    shown.CurrDecName = CapDecimals(decimals->value());
    shown.CurrAfterNum = after->isChecked() ? 1 : 0;
    if (preview != nullptr) {
        QFont font(QStringLiteral("Times New Roman"));
        font.setPixelSize(17);
        font.setBold(true);
        preview->setFont(font);
        preview->setText(QString::fromStdString(FormatPrice(shown, kSamplePrice)));
    }
    for (const unsigned id : {kRowCurrency[0], kRowCurrency[1], kTotalCurrency, kLimitCurrency}) {
        if (auto* label = Ctl<QLabel>(id)) {
            label->setText(shortName->text());
        }
    }
}

// ---- Page 206: call list ----

void OptionsSheet::ExchangeCallList(bool save) {
    std::int32_t* flags[4] = {&m_work->ShowStartMon, &m_work->ShowStopMon, &m_work->ShowConnEvnt,
                              &m_work->ShowDiscEvnt};
    for (int i = 0; i < 4; ++i) {
        if (auto* check = Ctl<QCheckBox>(kCallListChecks[i])) {
            if (save) {
                *flags[i] = check->isChecked() ? 1 : 0;
            } else {
                check->setChecked(*flags[i] != 0);
            }
        }
    }
    for (int i = 0; i < 8; ++i) {
        if (auto* check = Ctl<QCheckBox>(kColumnChecks[i])) {
            std::int32_t& column = m_work->Columns[static_cast<std::size_t>(i) + 1];
            if (save) {
                column = check->isChecked() ? 1 : 0;
            } else {
                check->setChecked(column != 0);
            }
        }
    }
}

// ---- Page 307: printing ----

void OptionsSheet::ExchangePrinting(bool save) {
    std::int32_t* flags[6] = {&m_work->PrintHLines, &m_work->PrintVLines, &m_work->PrintBorders,
                              &m_work->PrintTotSum, &m_work->PrintMonSum, &m_work->PrintGraph};
    for (int i = 0; i < 6; ++i) {
        if (auto* check = Ctl<QCheckBox>(kPrintChecks[i])) {
            if (save) {
                *flags[i] = check->isChecked() ? 1 : 0;
            } else {
                check->setChecked(*flags[i] != 0);
            }
        }
    }
    if (auto* header = Ctl<QXFontButton>(kHeaderFont)) {
        ExchangeFontButton(save, *header, m_work->PrintHFont, m_work->PrintHCol);
    }
    if (auto* text = Ctl<QXFontButton>(kTextFont)) {
        ExchangeFontButton(save, *text, m_work->PrintTFont, m_work->PrintTCol);
    }
    if (!save) {
        UpdatePrintPreview();
    }
}

void OptionsSheet::UpdatePrintPreview() {
    // The sample page class has no meta object of its own, so it is kept, not looked up.
    SamplePageWidget* preview = m_samplePage;
    if (preview == nullptr) {
        // The template's placeholder gives its place to the printing's sample page.
        auto* placeholder = Ctl<QWidget>(kPrintPreview);
        if (placeholder == nullptr) {
            return;
        }
        preview = new SamplePageWidget(placeholder->parentWidget());
        preview->setAccessibleName(placeholder->accessibleName());
        preview->setMinimumSize(placeholder->minimumSize());
        if (!ReplaceInLayout(placeholder, preview)) {
            preview->setGeometry(placeholder->geometry());
        }
        delete placeholder;
        preview->setObjectName(QStringLiteral("id%1").arg(kPrintPreview));
        m_samplePage = preview;
    }
    // The style as the page's controls stand, on the working copy's page settings.
    const auto checked = [this](unsigned id) {
        const auto* check = Ctl<QCheckBox>(id);
        return check != nullptr && check->isChecked();
    };
    ReportStyle style = ReportStyleOf(*m_work);
    style.rowLines = checked(kPrintChecks[0]);
    style.columnLines = checked(kPrintChecks[1]);
    style.borders = checked(kPrintChecks[2]);
    style.totalSums = checked(kPrintChecks[3]);
    style.monthSums = checked(kPrintChecks[4]);
    style.chart = checked(kPrintChecks[5]);
    if (const auto* header = Ctl<QXFontButton>(kHeaderFont)) {
        style.titleFont = PrintFontFrom(header->Font());
        style.titleColor = header->Colour();
    }
    if (const auto* text = Ctl<QXFontButton>(kTextFont)) {
        style.rowFont = PrintFontFrom(text->Font());
        style.rowColor = text->Colour();
    }
    preview->SetReport(style);
}

// ---- Page 314: language ----

void OptionsSheet::ExchangeLanguage(bool save) {
    auto* language = Ctl<QComboBox>(kLanguage);
    if (language == nullptr || save) {
        return;
    }
    if (language->count() == 0) {
        for (const std::string& name : m_parts.packs.LanguageNames()) {
            language->addItem(QString::fromStdString(name));
        }
    }
    language->setCurrentIndex(m_parts.packs.CurrentIndex());
}

// ---- Page 312: programs ----

void OptionsSheet::ExchangePrograms(bool save) {
    auto* list = Ctl<QListWidget>(kProgramList);
    auto* style = Ctl<QComboBox>(kProgramStyle);
    if (list == nullptr || style == nullptr || save) {
        return;
    }
    ++m_quiet;
    list->clear();
    for (const ProgramEntry& entry : m_work->Programs) {
        list->addItem(QString::fromStdString(entry.path));
    }
    if (list->count() > 0) {
        list->setCurrentRow(0);
    }
    style->setCurrentIndex(0);
    --m_quiet;
    ShowProgramSelection();
}

void OptionsSheet::ShowProgramSelection() {
    const auto* list = Ctl<QListWidget>(kProgramList);
    const int row = list != nullptr ? list->currentRow() : -1;
    if (row >= 0 && static_cast<std::size_t>(row) < m_work->Programs.size()) {
        const ProgramEntry& entry = m_work->Programs[static_cast<std::size_t>(row)];
        Ctl<QLineEdit>(kProgramPath)->setText(QString::fromStdString(entry.path));
        Ctl<QComboBox>(kProgramStyle)->setCurrentIndex(entry.style);
        Ctl<QCheckBox>(kProgramExit)->setChecked(entry.exit != 0);
    }
    UpdateProgramButtons();
}

void OptionsSheet::UpdateProgramButtons() {
    const auto* list = Ctl<QListWidget>(kProgramList);
    const auto* path = Ctl<QLineEdit>(kProgramPath);
    if (list == nullptr || path == nullptr) {
        return;
    }
    const ProgramButtons buttons =
        ProgramButtonsFor(list->currentRow() >= 0, path->text().isEmpty());
    Ctl<QPushButton>(kProgramAdd)->setEnabled(buttons.add);
    Ctl<QPushButton>(kProgramChange)->setEnabled(buttons.change);
    Ctl<QPushButton>(kProgramRemove)->setEnabled(buttons.remove);
}

void OptionsSheet::AddProgram(const std::string& path, int style, int exit) {
    m_work->Programs.push_back({path, style, exit});
    Ctl<QListWidget>(kProgramList)->addItem(QString::fromStdString(path));
    SetModified(true);
}

void OptionsSheet::OnProgramsCommand(unsigned id, int /*code*/) {
    auto* list = Ctl<QListWidget>(kProgramList);
    auto* path = Ctl<QLineEdit>(kProgramPath);
    auto* style = Ctl<QComboBox>(kProgramStyle);
    auto* exit = Ctl<QCheckBox>(kProgramExit);
    if (list == nullptr || path == nullptr || style == nullptr || exit == nullptr) {
        return;
    }
    const int row = list->currentRow();
    const bool rowValid = row >= 0 && static_cast<std::size_t>(row) < m_work->Programs.size();
    switch (id) {
        case kProgramList:
            ShowProgramSelection();
            return;
        case kProgramPath:
            UpdateProgramButtons();
            return;
        case kProgramAdd:
            if (!path->text().isEmpty()) {
                AddProgram(path->text().toStdString(), std::max(0, style->currentIndex()),
                           exit->isChecked() ? 1 : 0);
            }
            break;
        case kProgramChange:
            if (rowValid && !path->text().isEmpty()) {
                ProgramEntry& entry = m_work->Programs[static_cast<std::size_t>(row)];
                entry.path = path->text().toStdString();
                entry.style = std::max(0, style->currentIndex());
                entry.exit = exit->isChecked() ? 1 : 0;
                list->item(row)->setText(path->text());
                SetModified(true);
            }
            break;
        case kProgramRemove:
            if (rowValid) {
                ++m_quiet;
                m_work->Programs.erase(m_work->Programs.begin() + row);
                delete list->takeItem(row);
                --m_quiet;
                SetModified(true);
                ShowProgramSelection();
            }
            break;
        case kProgramBrowse: {
            QString chosen;
            if (m_hooks.browseProgram) {
                chosen = m_hooks.browseProgram();
            } else {
                QFileDialog dialog(this, m_parts.resources.Text(kBrowseTitle));
                dialog.setOption(QFileDialog::DontUseNativeDialog);
                dialog.setFileMode(QFileDialog::ExistingFile);
                // Programs are the executable files here; folders to get to them.
                dialog.setFilter(QDir::AllDirs | QDir::Files | QDir::Executable |
                                 QDir::NoDotAndDotDot);
                if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
                    chosen = dialog.selectedFiles().constFirst();
                }
            }
            if (!chosen.isEmpty()) {
                path->setText(chosen);
            }
            break;
        }
        case kProgramStyle:
        case kProgramExit:
        default:
            break;
    }
    UpdateProgramButtons();
}

void OptionsSheet::DropFiles(const QStringList& paths) {
    const sSheetDialogBase* current = CurrentPage();
    if (current == nullptr || current->TemplateId() != kPagePrograms) {
        Beep();
        return;
    }
    for (const QString& path : paths) {
        const std::string file = path.toStdString();
        if (AcceptsDroppedProgram(m_work->Programs, file)) {
            AddProgram(file, 0, 0);
        }
    }
    UpdateProgramButtons();
}

void OptionsSheet::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) {
        event->acceptProposedAction();
    }
}

void OptionsSheet::dropEvent(QDropEvent* event) {
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile()) {
            paths << url.toLocalFile();
        }
    }
    DropFiles(paths);
    event->acceptProposedAction();
}

// ---- Page 210: phone-book entries ----

void OptionsSheet::FillEntries() {
    auto* box = Ctl<QComboBox>(kEntryBox);
    RasLibrary* phoneBook = m_parts.phoneBook;
    if (box == nullptr || phoneBook == nullptr) {
        return;
    }
    ++m_quiet;
    const QString kept = box->currentText();
    phoneBook->EnumEntries();
    box->clear();
    for (const auto& entry : phoneBook->Entries()) {
        phoneBook->GetEntryProperties(entry->Name(), entry->Properties());
        box->addItem(QString::fromStdString(entry->Name()));
    }
    int index = kept.isEmpty() ? 0 : box->findText(kept, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index < 0 && box->count() > 0 && kept.isEmpty()) {
        index = 0;
    }
    box->setCurrentIndex(index);
    if (index < 0) {
        box->setEditText(kept);
    }
    --m_quiet;
}

void OptionsSheet::FillDevices() {
    auto* box = Ctl<QComboBox>(kDeviceBox);
    RasLibrary* phoneBook = m_parts.phoneBook;
    if (box == nullptr || phoneBook == nullptr) {
        return;
    }
    ++m_quiet;
    const QString kept = box->currentText();
    phoneBook->EnumDevices();
    box->clear();
    for (const std::string& name : phoneBook->DeviceNames()) {
        box->addItem(QString::fromStdString(name));
    }
    const int index = box->findText(kept, Qt::MatchExactly | Qt::MatchCaseSensitive);
    box->setCurrentIndex(index >= 0 ? index : (box->count() > 0 ? 0 : -1));
    --m_quiet;
}

void OptionsSheet::EnableAddressFields() {
    const auto* server = Ctl<QCheckBox>(kServerAddresses);
    const bool enabled = server != nullptr && !server->isChecked();
    for (const unsigned id : kAddressFields) {
        SetEnabledWithLabel(Ctl<QWidget>(id), enabled);
    }
    for (const unsigned id : kDnsFields) {
        SetEnabledWithLabel(Ctl<QWidget>(id), enabled);
    }
}

void OptionsSheet::ShowSelectedEntry() {
    auto* box = Ctl<QComboBox>(kEntryBox);
    RasLibrary* phoneBook = m_parts.phoneBook;
    if (box == nullptr || phoneBook == nullptr) {
        return;
    }
    if (PhoneBookEntry* entry = phoneBook->FindEntry(box->currentText().toStdString())) {
        ++m_quiet;
        const RASENTRY& properties = entry->Properties();
        Ctl<QCheckBox>(kServerAddresses)
            ->setChecked((properties.dwfOptions & RASEO_SpecificIpAddr) == 0);
        Ctl<QLineEdit>(kAreaCode)->setText(QString::fromLatin1(properties.szAreaCode));
        Ctl<QLineEdit>(kPhoneNumber)->setText(QString::fromLatin1(properties.szLocalPhoneNumber));
        const auto address = AddressParts(properties.ipaddr);
        const auto dns = AddressParts(properties.ipaddrDnsAlt);
        for (std::size_t i = 0; i < 4; ++i) {
            Ctl<QLineEdit>(kAddressFields[i])->setText(QString::number(address[i]));
            Ctl<QLineEdit>(kDnsFields[i])->setText(QString::number(dns[i]));
        }
        auto* devices = Ctl<QComboBox>(kDeviceBox);
        const int device = devices->findText(QString::fromLatin1(properties.szDeviceName),
                                             Qt::MatchExactly | Qt::MatchCaseSensitive);
        if (device >= 0) {
            devices->setCurrentIndex(device);
        }
        Ctl<QCheckBox>(kEntryShortcut)->setChecked(EntryShortcutExists(entry->Name()));
        --m_quiet;
    }
    EnableAddressFields();
    UpdateEntryButtons();
}

void OptionsSheet::UpdateEntryButtons() {
    const auto* box = Ctl<QComboBox>(kEntryBox);
    const auto* devices = Ctl<QComboBox>(kDeviceBox);
    if (box == nullptr || devices == nullptr || m_parts.phoneBook == nullptr) {
        return;
    }
    const EntryButtons buttons = EntryButtonsFor(
        devices->count() > 0, m_parts.phoneBook->EntryExists(box->currentText().toStdString()));
    Ctl<QPushButton>(kEntryCreate)->setEnabled(buttons.create);
    Ctl<QPushButton>(kEntryUpdate)->setEnabled(buttons.update);
    Ctl<QPushButton>(kEntryDelete)->setEnabled(buttons.remove);
}

void OptionsSheet::SaveEntry(bool create) {
    RasLibrary* phoneBook = m_parts.phoneBook;
    const std::string name = Ctl<QComboBox>(kEntryBox)->currentText().toStdString();
    const auto* devices = Ctl<QComboBox>(kDeviceBox);
    EntryFields fields;
    fields.serverAssignsAddresses = Ctl<QCheckBox>(kServerAddresses)->isChecked();
    fields.areaCode = Ctl<QLineEdit>(kAreaCode)->text().toStdString();
    fields.phoneNumber = Ctl<QLineEdit>(kPhoneNumber)->text().toStdString();
    const int device = devices->currentIndex();
    if (device >= 0 && static_cast<std::size_t>(device) < phoneBook->DeviceNames().size()) {
        fields.deviceName = phoneBook->DeviceNames()[static_cast<std::size_t>(device)];
        fields.deviceType = phoneBook->DeviceTypes()[static_cast<std::size_t>(device)];
    }
    for (std::size_t i = 0; i < 4; ++i) {
        fields.address[i] = AddressPart(Ctl<QLineEdit>(kAddressFields[i])->text().toStdString());
        fields.alternateDns[i] = AddressPart(Ctl<QLineEdit>(kDnsFields[i])->text().toStdString());
    }
    const PhoneBookEntry* found = create ? nullptr : phoneBook->FindEntry(name);
    RASENTRY properties =
        BuildEntryProperties(found != nullptr ? &found->Properties() : nullptr, fields);
    const bool saved = create ? phoneBook->CreateEntry(name, properties)
                              : phoneBook->UpdateEntry(name, properties);
    if (!saved) {
        Message(WithName(m_parts.packs.String(kEntryNotSaved), name));
        return;
    }
    if (create) {
        FillEntries();
        // The call list's filter learns the entry; the settings store it with the others.
        m_work->ListEntries.items.push_back(name);
    }
    if (Ctl<QCheckBox>(kEntryShortcut)->isChecked()) {
        const std::vector<std::string> command =
            m_hooks.dialCommand           ? m_hooks.dialCommand(name)
            : phoneBook->Api() != nullptr ? EntryDialCommand(name, phoneBook->Api()->Provider())
                                          : std::vector<std::string>{};
        if (!command.empty()) {
            CreateEntryShortcut(name, command);
        }
    }
    ShowSelectedEntry();
}

void OptionsSheet::DeleteEntry() {
    auto* box = Ctl<QComboBox>(kEntryBox);
    const std::string name = box->currentText().toStdString();
    if (!m_parts.phoneBook->DeleteEntry(name)) {
        Message(WithName(m_parts.packs.String(kEntryNotDeleted), name));
        return;
    }
    ++m_quiet;
    box->setEditText(QString());
    box->setCurrentIndex(-1);
    --m_quiet;
    FillEntries();
    ShowSelectedEntry();
}

void OptionsSheet::StartTool(unsigned id) {
    if (m_toolWindow == nullptr || m_tool != nullptr) {
        return;
    }
    RasLibrary& phoneBook = *m_parts.phoneBook;
    if (id == kToolButtons[0]) {
        m_tool = phoneBook.AddModem(m_toolWindow.get(), kAddModemDone);
    } else if (id == kToolButtons[1]) {
        m_tool = phoneBook.AddNetworkComponent(m_toolWindow.get(), kAddNetworkComponentDone);
    } else {
        m_tool = phoneBook.InstallNetworking(m_toolWindow.get(), kInstallNetworkingDone);
    }
    if (m_tool != nullptr) {
        for (const unsigned button : kToolButtons) {
            Ctl<QPushButton>(button)->setEnabled(false);
        }
    }
}

void OptionsSheet::OnToolDone(unsigned command) {
    m_tool.reset();
    for (const unsigned button : kToolButtons) {
        if (auto* control = Ctl<QPushButton>(button)) {
            control->setEnabled(true);
        }
    }
    if (command == static_cast<unsigned>(kAddModemDone)) {
        FillEntries();
        FillDevices();
        ShowSelectedEntry();
    }
}

void OptionsSheet::OnEntriesCommand(unsigned id, int code) {
    switch (id) {
        case kEntryBox:
            if (code == kNotifySelChange) {
                ShowSelectedEntry();
            } else {
                UpdateEntryButtons();
            }
            break;
        case kServerAddresses:
            EnableAddressFields();
            break;
        case kEntryCreate:
            SaveEntry(true);
            break;
        case kEntryUpdate:
            SaveEntry(false);
            break;
        case kEntryDelete:
            DeleteEntry();
            break;
        default:
            if (id == kToolButtons[0] || id == kToolButtons[1] || id == kToolButtons[2]) {
                StartTool(id);
            }
            break;
    }
}

// ---- Opening ----

int RunOptionsSheet(OptionsSheetParts parts, OptionsSheetHooks hooks, QWidget* parent) {
    if (OptionsSheet* open = OptionsSheet::Open()) {
        open->show();
        open->raise();
        open->activateWindow();
        return 0;
    }
    OptionsSheet sheet(parts, std::move(hooks), parent);
    if (!sheet.Initialise()) {
        return 0;
    }
    return sheet.exec();
}

}  // namespace ov
