#include "app/qt/language_packs.h"
#include "app/ui/pack_images.h"

#include "support/qt_application.h"
#include "support/temp_dir.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QGuiApplication>
#include <QImage>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

namespace ov {
namespace {

/// One widget application for the whole program, on the offscreen platform.
const auto* const kQtEnvironment =
    ::testing::AddGlobalTestEnvironment(new test::QtApplicationEnvironment<QApplication>);

/// A store whose answers the test sets and whose writes it sees.
class FakeStore final : public LanguageSettingsStore {
public:
    std::optional<std::uint32_t> ReadCurrentLng() const override { return stored; }
    bool WriteCurrentLng(std::uint32_t langId) override {
        written.push_back(langId);
        return true;
    }
    std::uint32_t SystemLanguage() const override { return system; }
    std::string LanguageName(std::uint32_t langId) const override {
        return langId == kPackSlovak ? "Slovak" : "Language " + std::to_string(langId);
    }

    std::optional<std::uint32_t> stored;
    std::uint32_t system = 0;
    std::vector<std::uint32_t> written;
};

/// The packs the build made beside the test program.
std::unique_ptr<LanguagePacks> ShippedPacks(FakeStore& store) {
    auto packs = std::make_unique<LanguagePacks>(store);
    packs->AddStandardPacks();
    return packs;
}

QRgb CentreColour(const QPixmap& pixmap) {
    const QImage image = pixmap.toImage();
    return image.pixel(image.width() / 2, image.height() / 2) & 0xFFFFFFu;
}

TEST(LanguagePacks, ChoosesStoredLanguageElseSystemLanguageElseEnglish) {
    constexpr std::uint32_t kGerman = 1031;
    constexpr std::uint32_t kFrench = 1036;
    const struct {
        std::optional<std::uint32_t> stored;
        std::uint32_t system;
        int expected;
        const char* january;
    } cases[] = {
        {std::nullopt, kPackEnglish, 0, "January"},
        {std::nullopt, kPackSlovak, 1, "január"},
        {std::nullopt, kLanguageCzech, 1, "január"},  // Slovak serves Czech
        {std::nullopt, kGerman, 0, "January"},
        {std::nullopt, 0, 0, "January"},  // system language unreadable
        {kPackSlovak, kPackEnglish, 1, "január"},
        {kPackEnglish, kLanguageCzech, 0, "January"},
        {kGerman, kLanguageCzech, 1, "január"},  // a stored language without a pack
        {kGerman, kFrench, 0, "January"},
    };
    for (const auto& c : cases) {
        FakeStore store;
        store.stored = c.stored;
        store.system = c.system;
        auto packs = ShippedPacks(store);
        ASSERT_TRUE(packs->ChooseAtStartup()) << packs->LastError();
        EXPECT_EQ(packs->CurrentIndex(), c.expected)
            << "stored " << c.stored.value_or(0) << " system " << c.system;
        EXPECT_EQ(packs->Texts().Entry(0), c.january);
    }
}

TEST(LanguagePacks, SwitchReloadsTheTextTableAndEveryLaterLookup) {
    FakeStore store;
    store.system = kPackEnglish;
    auto packs = ShippedPacks(store);
    ASSERT_TRUE(packs->ChooseAtStartup());
    EXPECT_EQ(packs->Texts().Entry(30), "Connected");
    EXPECT_EQ(packs->Texts().Entry(57), "Orvanta");

    ASSERT_TRUE(packs->SwitchTo(kPackSlovak)) << packs->LastError();
    EXPECT_EQ(packs->CurrentIndex(), 1);
    EXPECT_EQ(packs->Texts().Entry(0), "január");
    EXPECT_EQ(packs->Texts().Entry(30), "Spojené");
    EXPECT_EQ(packs->String(3402), "Zavesiť spojenie %s?");  // not in the table
    EXPECT_EQ(packs->Text(3360), QStringLiteral("Čas"));

    // An unknown language or a bare check changes nothing.
    EXPECT_FALSE(packs->SwitchTo(1031));
    EXPECT_TRUE(packs->SwitchTo(kPackEnglish, false));
    EXPECT_EQ(packs->CurrentIndex(), 1);
    EXPECT_EQ(packs->Texts().Entry(0), "január");

    ASSERT_TRUE(packs->SwitchTo(kPackEnglish));
    EXPECT_EQ(packs->Texts().Entry(0), "January");
    EXPECT_EQ(packs->String(3402), "Hang up the connection %s?");

    // Switching to the current pack reloads it and keeps its resources reachable.
    ASSERT_TRUE(packs->SwitchTo(kPackEnglish));
    EXPECT_EQ(packs->Texts().Entry(0), "January");
    EXPECT_FALSE(PackIcon(*packs, 128).isNull());
}

TEST(LanguagePacks, TrayIconsAreDrawnForTwiceThePixelDensity) {
    FakeStore store;
    store.system = kPackEnglish;
    auto packs = ShippedPacks(store);
    ASSERT_TRUE(packs->ChooseAtStartup());
    for (const unsigned number : {128u, 129u, 315u}) {
        const QIcon icon = PackIcon(*packs, number);
        // On a screen of ratio 2 the icon gives the large drawing, not the small one scaled.
        const QPixmap sharp = icon.pixmap(QSize(32, 32), 2.0);
        EXPECT_EQ(sharp.size(), QSize(64, 64)) << number;
        EXPECT_EQ(sharp.devicePixelRatio(), 2.0) << number;
        EXPECT_EQ(icon.pixmap(QSize(32, 32), 1.0).size(), QSize(32, 32)) << number;
    }
}

TEST(LanguagePacks, ReleaseStoresTheCurrentLanguage) {
    FakeStore store;
    store.system = kPackEnglish;
    auto packs = ShippedPacks(store);
    ASSERT_TRUE(packs->ChooseAtStartup());
    ASSERT_TRUE(packs->SwitchTo(kPackSlovak));
    packs->Release();
    EXPECT_EQ(store.written, std::vector<std::uint32_t>{kPackSlovak});
    EXPECT_EQ(packs->String(3316), "");  // the pack is gone

    FakeStore none;
    LanguagePacks empty(none);
    EXPECT_FALSE(empty.ChooseAtStartup());
    empty.Release();
    EXPECT_TRUE(none.written.empty());
}

TEST(LanguagePacks, NamesThePacksAndFillsTheLanguageList) {
    FakeStore store;
    store.system = kLanguageCzech;
    auto packs = ShippedPacks(store);
    ASSERT_TRUE(packs->ChooseAtStartup());
    EXPECT_EQ(packs->LanguageNames(), (std::vector<std::string>{"Language 1033", "Slovak"}));
    QComboBox combo;
    combo.addItem("left over");
    FillLanguageComboBox(*packs, combo);
    ASSERT_EQ(combo.count(), 2);
    EXPECT_EQ(combo.currentIndex(), 1);
    EXPECT_EQ(combo.itemData(1).toUInt(), kPackSlovak);
}

TEST(LanguagePacks, ImagesAfterASwitchComeFromTheNewPack) {
    FakeStore store;
    store.system = kPackEnglish;
    LanguagePacks packs(store, OV_TEST_PACKS_DIR);
    packs.Add(kPackEnglish, "Alpha/Alpha.rcc", "");
    packs.Add(kPackSlovak, "Beta/Beta.rcc", "");
    ASSERT_TRUE(packs.ChooseAtStartup()) << packs.LastError();

    const QIcon alphaIcon = PackIcon(packs, 128);
    EXPECT_EQ(CentreColour(PackBitmap(packs, 128)), 0xFF0000u);
    ASSERT_TRUE(packs.SwitchTo(kPackSlovak));
    EXPECT_EQ(CentreColour(PackBitmap(packs, 128)), 0x0000FFu);
    EXPECT_EQ(CentreColour(PackIcon(packs, 128).pixmap(4, 4)), 0x0000FFu);
    EXPECT_EQ(packs.Texts().Entry(0), "Beta January");
    // An icon handed out before the switch keeps its image.
    EXPECT_EQ(CentreColour(alphaIcon.pixmap(4, 4)), 0xFF0000u);
    EXPECT_TRUE(PackIcon(packs, 129).isNull());
}

TEST(LanguagePacks, WithoutAnyPackEveryLookupIsEmptyAndTheErrorNamesTheBundle) {
    test::TempDir langs;
    FakeStore store;
    store.system = kPackEnglish;
    LanguagePacks packs(store, langs.Path());
    packs.AddStandardPacks();
    EXPECT_FALSE(packs.ChooseAtStartup());
    EXPECT_NE(packs.LastError().find(langs.Path() + "/English/OVEngRes.rcc"), std::string::npos)
        << packs.LastError();
    EXPECT_FALSE(packs.Loaded());
    EXPECT_EQ(packs.String(3316), "");
    EXPECT_EQ(packs.Texts().Entry(57), "");
    EXPECT_TRUE(PackIcon(packs, 128).isNull());
    EXPECT_TRUE(packs.ImagePath(128).isEmpty());
    EXPECT_TRUE(packs.TemplatePath(215).isEmpty());
    packs.Release();
    EXPECT_EQ(store.written, std::vector<std::uint32_t>{kPackEnglish});  // the choice stands
}

TEST(LanguagePacks, DamagedOrMissingChosenPackFallsBackToAnother) {
    namespace fs = std::filesystem;
    test::TempDir langs;
    fs::create_directories(langs.File("English"));
    fs::create_directories(langs.File("Slovak"));
    test::WriteFileOrDie(langs.File("English/OVEngRes.rcc"), "not a resource bundle");
    fs::copy_file(LangsFolder() + "/Slovak/OVSlvRes.rcc", langs.File("Slovak/OVSlvRes.rcc"));

    FakeStore store;
    store.system = kPackEnglish;
    LanguagePacks packs(store, langs.Path());
    packs.AddStandardPacks();
    ASSERT_TRUE(packs.ChooseAtStartup());
    EXPECT_EQ(packs.CurrentIndex(), 1);
    EXPECT_NE(packs.LastError().find("OVEngRes.rcc"), std::string::npos);

    // A damaged bundle leaves the current pack in place.
    EXPECT_FALSE(packs.SwitchTo(kPackEnglish));
    EXPECT_NE(packs.LastError().find("not a resource bundle"), std::string::npos);
    EXPECT_EQ(packs.CurrentIndex(), 1);
    EXPECT_EQ(packs.String(3316), "Orvanta");
}

TEST(LanguagePacks, KeepTheChoiceInTheUserHiveAcrossRuns) {
    test::TempHome home;
    test::ScopedEnv czech("LC_ALL", "cs_CZ.UTF-8");
    RegistryLanguageSettingsStore store;
    {
        // First run: nothing stored, so the system language picks the pack serving Czech.
        auto packs = std::make_unique<LanguagePacks>(store);
        packs->AddStandardPacks();
        ASSERT_TRUE(packs->ChooseAtStartup()) << packs->LastError();
        EXPECT_EQ(packs->CurrentIndex(), 1);
        EXPECT_EQ(packs->LanguageNames(),
                  (std::vector<std::string>{"English (United States)", "Slovak"}));
        ASSERT_TRUE(packs->SwitchTo(kPackEnglish));
        packs->Release();
    }
    EXPECT_EQ(store.ReadCurrentLng(), kPackEnglish);

    const struct {
        std::uint32_t stored;
        int expected;
    } runs[] = {
        {kPackEnglish, 0},  // the stored choice beats the system language
        {kPackSlovak, 1},
        {1031, 1},  // a stored language without a pack: the system rule again
    };
    for (const auto& run : runs) {
        ASSERT_TRUE(store.WriteCurrentLng(run.stored));
        LanguagePacks packs(store);
        packs.AddStandardPacks();
        ASSERT_TRUE(packs.ChooseAtStartup());
        EXPECT_EQ(packs.CurrentIndex(), run.expected) << run.stored;
    }
}

TEST(ShippedPacks, CarryEveryTextTableEntryImageAndDocument) {
    FakeStore store;
    auto packs = ShippedPacks(store);
    const struct {
        std::uint32_t langId;
        const char* documents[2];
    } cases[] = {
        {kPackEnglish, {"English/License.txt", "English/Readme.txt"}},
        {kPackSlovak, {"Slovak/Licencia.txt", "Slovak/Citajma.txt"}},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(packs->SwitchTo(c.langId)) << packs->LastError();
        for (int i = 0; i < kTextTableSize; ++i) {
            EXPECT_FALSE(packs->Texts().Entry(i).empty()) << c.langId << " entry " << i;
        }
        for (const unsigned icon : {128u, 129u, 315u, 3404u, 3405u, 26501u, 26502u}) {
            EXPECT_EQ(PackIcon(*packs, icon).pixmap(32, 32).size(), QSize(32, 32)) << icon;
        }
        EXPECT_EQ(PackBitmap(*packs, 313).size(), QSize(5 * 16, 16));  // one image per record kind
        EXPECT_EQ(PackBitmap(*packs, 322).height(), 20);
        EXPECT_EQ(PackBitmap(*packs, 322).width() % 20, 0);
        // Magenta is the kind strip's key: its corner pixel is see-through once masked.
        EXPECT_EQ(PackBitmap(*packs, 313, QColor(255, 0, 255)).toImage().pixelColor(0, 0).alpha(),
                  0);
        const QCursor hand = PackCursor(*packs, 25216);
        EXPECT_FALSE(hand.pixmap().isNull());
        EXPECT_EQ(hand.hotSpot(), QPoint(11, 1));
        for (const char* document : c.documents) {
            EXPECT_TRUE(QFile::exists(QString::fromStdString(LangsFolder() + "/" + document)))
                << document;
        }
        // Both packs open the English help, at the contexts' anchors.
        const std::string help = test::ReadFileOrEmpty(packs->HelpPath());
        EXPECT_EQ(packs->HelpPath(), LangsFolder() + "/English/OVEng.html");
        EXPECT_NE(help.find("id=\"ctx-20081\""), std::string::npos);
        EXPECT_NE(help.find("id=\"ctx-20082\""), std::string::npos);
        EXPECT_EQ(packs->HelpUrl(kHelpContents).fragment(), QStringLiteral("ctx-20082"));
    }
}

}  // namespace
}  // namespace ov
