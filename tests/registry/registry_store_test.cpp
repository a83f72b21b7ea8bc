// The hive store: keys and values with the registry's error numbers, saving under a lock so
// that two processes never lose each other's values, and damaged hives kept aside.
#include "platform/registry/registry.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <thread>

#include "support/temp_dir.h"

namespace ov {
namespace {

/// A store over hive files in a temporary folder; a second one over the same files stands for
/// another process.
class StoreTest : public ::testing::Test {
protected:
    std::unique_ptr<RegistryStore> MakeStore() {
        return std::make_unique<RegistryStore>(
            [this] { return m_dir.File("machine.reg"); }, [this] { return m_dir.File("user.reg"); },
            [this](const std::string& message) { m_reports.push_back(message); });
    }

    static std::string Query(RegistryStore& store, HKEY key, const char* name,
                             std::uint32_t* error = nullptr) {
        std::uint8_t buffer[4096];
        std::uint32_t size = sizeof buffer;
        std::uint32_t type = 0;
        const auto rc = store.QueryValue(key, name, &type, buffer, &size);
        if (error) {
            *error = rc;
        }
        return rc == ERROR_SUCCESS ? std::string(reinterpret_cast<char*>(buffer), size) : "";
    }

    static std::uint32_t SetText(RegistryStore& store, HKEY key, const char* name,
                                 std::string_view text) {
        return store.SetValue(key, name, REG_SZ, reinterpret_cast<const std::uint8_t*>(text.data()),
                              static_cast<std::uint32_t>(text.size()));
    }

    /// Creates `path` under HKLM with KEY_ALL_ACCESS, sets one text value and closes (saves).
    static void Write(RegistryStore& store, const char* path, const char* name,
                      std::string_view text) {
        HKEY key = 0;
        ASSERT_EQ(store.CreateKey(HKEY_LOCAL_MACHINE, path, KEY_ALL_ACCESS, &key, nullptr), 0u);
        ASSERT_EQ(SetText(store, key, name, text), 0u);
        ASSERT_EQ(store.CloseKey(key), 0u);
    }

    test::TempDir m_dir;
    std::vector<std::string> m_reports;
};

TEST_F(StoreTest, WithoutNamedHiveFilesChangesStayInMemoryAndNothingIsWrittenWhereWeRun) {
    // The process's store before a program names its hives: no file, not even a lock file in
    // the working folder.
    const std::filesystem::path here = std::filesystem::current_path();
    std::filesystem::current_path(m_dir.Path());
    {
        RegistryStore store([] { return std::string(); }, [] { return std::string(); },
                            [this](const std::string& message) { m_reports.push_back(message); });
        HKEY key = 0;
        ASSERT_EQ(store.CreateKey(HKEY_CURRENT_USER, "Software\\X", KEY_ALL_ACCESS, &key, nullptr),
                  0u);
        EXPECT_EQ(SetText(store, key, "Name", "value"), 0u);
        EXPECT_EQ(Query(store, key, "Name"), std::string("value", 6));  // with its terminator
        EXPECT_EQ(store.FlushKey(key), ERROR_ACCESS_DENIED);
        store.CloseKey(key);
    }
    std::filesystem::current_path(here);
    EXPECT_TRUE(std::filesystem::is_empty(m_dir.Path()));
}

TEST_F(StoreTest, OpeningAMissingKeyFailsAndCreatesNothing) {
    auto store = MakeStore();
    HKEY key = 0;
    EXPECT_EQ(store->OpenKey(HKEY_LOCAL_MACHINE, "Software\\Quorvex", KEY_ALL_ACCESS, &key),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(key, 0u);
    store.reset();
    EXPECT_FALSE(std::filesystem::exists(m_dir.File("machine.reg")));
}

TEST_F(StoreTest, CreatingMakesTheWholePathAndClosingSavesIt) {
    auto store = MakeStore();
    HKEY key = 0;
    std::uint32_t disposition = 0;
    ASSERT_EQ(store->CreateKey(HKEY_CURRENT_USER, "Software\\Quorvex\\Orvanta", KEY_WRITE, &key,
                               &disposition),
              0u);
    EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
    ASSERT_EQ(SetText(*store, key, nullptr, "Belvarro"), 0u);
    ASSERT_EQ(store->CloseKey(key), 0u);

    const std::string text = test::ReadFileOrEmpty(m_dir.File("user.reg"));
    EXPECT_NE(text.find("[HKEY_CURRENT_USER\\Software\\Quorvex\\Orvanta]\n@=\"Belvarro\""),
              std::string::npos)
        << text;
    struct stat st {};
    ASSERT_EQ(::stat(m_dir.File("user.reg").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    auto other = MakeStore();
    ASSERT_EQ(other->CreateKey(HKEY_CURRENT_USER, "SOFTWARE\\quorvex\\ORVANTA", KEY_READ, &key,
                               &disposition),
              0u);
    EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
    EXPECT_EQ(Query(*other, key, ""), std::string("Belvarro\0", 9));
}

TEST_F(StoreTest, QueryAnswersAsTheRegistryDoes) {
    auto store = MakeStore();
    HKEY key = 0;
    ASSERT_EQ(store->CreateKey(HKEY_LOCAL_MACHINE, "K", KEY_ALL_ACCESS, &key, nullptr), 0u);
    ASSERT_EQ(SetText(*store, key, "Text", "abc"), 0u);  // stored without its zero
    const std::uint8_t bytes[] = {1, 2, 3};
    ASSERT_EQ(store->SetValue(key, "Bin", REG_BINARY, bytes, 3), 0u);

    const struct {
        const char* name;
        std::uint32_t capacity;
        std::uint32_t error;
        std::uint32_t size;  // the length, or the needed size on ERROR_MORE_DATA
    } cases[] = {
        {"Text", 4, ERROR_SUCCESS, 4},  // the terminating zero comes back and counts
        {"Text", 3, ERROR_MORE_DATA, 4},
        {"TEXT", 100, ERROR_SUCCESS, 4},
        {"Bin", 3, ERROR_SUCCESS, 3},  // bytes get no terminator
        {"Bin", 2, ERROR_MORE_DATA, 3},
        {"Missing", 100, ERROR_FILE_NOT_FOUND, 100},
        {nullptr, 100, ERROR_FILE_NOT_FOUND, 100},
    };
    for (const auto& c : cases) {
        std::uint8_t buffer[100];
        std::uint32_t size = c.capacity;
        EXPECT_EQ(store->QueryValue(key, c.name, nullptr, buffer, &size), c.error)
            << (c.name ? c.name : "@") << " in " << c.capacity;
        EXPECT_EQ(size, c.size) << (c.name ? c.name : "@") << " in " << c.capacity;
    }
    std::uint32_t size = 0;
    std::uint32_t type = 0;
    EXPECT_EQ(store->QueryValue(key, "Bin", &type, nullptr, &size), 0u);
    EXPECT_EQ(type, REG_BINARY);
    EXPECT_EQ(size, 3u);
    EXPECT_EQ(store->QueryValue(0x1234, "Bin", nullptr, nullptr, nullptr), ERROR_INVALID_HANDLE);
    EXPECT_EQ(store->CloseKey(key), 0u);
    EXPECT_EQ(store->CloseKey(key), ERROR_INVALID_HANDLE);
}

TEST_F(StoreTest, AHandleAllowsOnlyTheRightsItWasOpenedWith) {
    auto store = MakeStore();
    Write(*store, "K", "Name", "v");
    const struct {
        std::uint32_t access;
        std::uint32_t query;
        std::uint32_t set;
    } cases[] = {
        {KEY_READ, ERROR_SUCCESS, ERROR_ACCESS_DENIED},
        {KEY_WRITE, ERROR_ACCESS_DENIED, ERROR_SUCCESS},
        {KEY_ALL_ACCESS, ERROR_SUCCESS, ERROR_SUCCESS},
        {KEY_SET_VALUE, ERROR_ACCESS_DENIED, ERROR_SUCCESS},
    };
    for (const auto& c : cases) {
        HKEY key = 0;
        ASSERT_EQ(store->OpenKey(HKEY_LOCAL_MACHINE, "K", c.access, &key), 0u);
        std::uint32_t error = 0;
        Query(*store, key, "Name", &error);
        EXPECT_EQ(error, c.query) << std::hex << c.access;
        EXPECT_EQ(SetText(*store, key, "Name", "w"), c.set) << std::hex << c.access;
        EXPECT_EQ(store->DeleteValue(key, "Other"),
                  c.set == ERROR_SUCCESS ? ERROR_FILE_NOT_FOUND : ERROR_ACCESS_DENIED);
        store->CloseKey(key);
    }
}

TEST_F(StoreTest, BadPathsAndTheReadOnlyRootAreRefused) {
    auto store = MakeStore();
    HKEY key = 0;
    const struct {
        HKEY root;
        const char* path;
        std::uint32_t error;
    } cases[] = {
        {HKEY_LOCAL_MACHINE, "A\\\\B", ERROR_BAD_PATHNAME},
        {HKEY_LOCAL_MACHINE, "\\A", ERROR_BAD_PATHNAME},
        {HKEY_LOCAL_MACHINE, "A\nB", ERROR_INVALID_PARAMETER},
        {HKEY_CLASSES_ROOT, "Anything", ERROR_ACCESS_DENIED},
        {0x4242, "A", ERROR_INVALID_HANDLE},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(store->CreateKey(c.root, c.path, KEY_WRITE, &key, nullptr), c.error) << c.path;
    }
    ASSERT_EQ(store->OpenKey(HKEY_CLASSES_ROOT, "MIME\\Database\\Rfc1766", KEY_ALL_ACCESS, &key),
              0u);
    EXPECT_EQ(SetText(*store, key, "0409", "x"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(store->DeleteValue(key, "0409"), ERROR_ACCESS_DENIED);
    store->CloseKey(key);
}

TEST_F(StoreTest, ASubkeyOpensRelativeToAnOpenKey) {
    auto store = MakeStore();
    Write(*store, "Software\\Quorvex\\Orvanta\\Dates", "Count", "2");
    HKEY parent = 0;
    HKEY child = 0;
    ASSERT_EQ(store->OpenKey(HKEY_LOCAL_MACHINE, "Software\\Quorvex", KEY_READ, &parent), 0u);
    ASSERT_EQ(store->OpenKey(parent, "Orvanta\\Dates", KEY_READ, &child), 0u);
    EXPECT_EQ(Query(*store, child, "Count"), std::string("2\0", 2));
    std::vector<RegValue> values;
    std::vector<std::string> subkeys;
    ASSERT_EQ(store->ListKey(parent, &values, &subkeys), 0u);
    EXPECT_TRUE(values.empty());
    EXPECT_EQ(subkeys, std::vector<std::string>{"Orvanta"});
    store->CloseKey(child);
    store->CloseKey(parent);
}

TEST_F(StoreTest, TwoProcessesSavingInTurnsLoseNothing) {
    auto first = MakeStore();
    auto second = MakeStore();
    // Both have the hive loaded before either saves, so each holds a stale copy when it saves.
    HKEY a = 0;
    HKEY b = 0;
    ASSERT_EQ(first->CreateKey(HKEY_LOCAL_MACHINE, "Shared", KEY_ALL_ACCESS, &a, nullptr), 0u);
    ASSERT_EQ(second->CreateKey(HKEY_LOCAL_MACHINE, "Shared", KEY_ALL_ACCESS, &b, nullptr), 0u);
    for (int round = 0; round < 5; ++round) {
        const std::string n = std::to_string(round);
        ASSERT_EQ(SetText(*first, a, ("First" + n).c_str(), n), 0u);
        ASSERT_EQ(first->FlushKey(a), 0u);
        ASSERT_EQ(SetText(*second, b, ("Second" + n).c_str(), n), 0u);
        ASSERT_EQ(second->FlushKey(b), 0u);
    }
    ASSERT_EQ(SetText(*first, a, "Both", "first"), 0u);
    first->CloseKey(a);
    ASSERT_EQ(SetText(*second, b, "Both", "second"), 0u);
    second->CloseKey(b);

    auto reader = MakeStore();
    HKEY key = 0;
    ASSERT_EQ(reader->OpenKey(HKEY_LOCAL_MACHINE, "Shared", KEY_READ, &key), 0u);
    std::vector<RegValue> values;
    ASSERT_EQ(reader->ListKey(key, &values, nullptr), 0u);
    EXPECT_EQ(values.size(), 11u);
    for (int round = 0; round < 5; ++round) {
        EXPECT_NE(Query(*reader, key, ("First" + std::to_string(round)).c_str()), "");
        EXPECT_NE(Query(*reader, key, ("Second" + std::to_string(round)).c_str()), "");
    }
    EXPECT_EQ(Query(*reader, key, "Both"), std::string("second\0", 7));  // the later save wins
}

TEST_F(StoreTest, AnotherProcessesSaveIsSeenAtTheNextOpen) {
    auto first = MakeStore();
    auto second = MakeStore();
    Write(*first, "K", "V", "old");
    HKEY key = 0;
    ASSERT_EQ(second->OpenKey(HKEY_LOCAL_MACHINE, "K", KEY_READ, &key), 0u);
    EXPECT_EQ(Query(*second, key, "V"), std::string("old\0", 4));
    second->CloseKey(key);
    Write(*first, "K", "V", "new");
    ASSERT_EQ(second->OpenKey(HKEY_LOCAL_MACHINE, "K", KEY_READ, &key), 0u);
    EXPECT_EQ(Query(*second, key, "V"), std::string("new\0", 4));
    second->CloseKey(key);
}

TEST_F(StoreTest, ADamagedHiveIsKeptAsideAndReportedOnce) {
    const std::string damaged = "Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\K\n";
    test::WriteFileOrDie(m_dir.File("machine.reg"), damaged);
    auto store = MakeStore();
    HKEY key = 0;
    EXPECT_EQ(store->OpenKey(HKEY_LOCAL_MACHINE, "K", KEY_READ, &key), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(store->OpenKey(HKEY_LOCAL_MACHINE, "K", KEY_READ, &key), ERROR_FILE_NOT_FOUND);
    Write(*store, "K", "V", "fresh");
    ASSERT_EQ(m_reports.size(), 1u);
    EXPECT_NE(m_reports[0].find("is damaged (line 2: "), std::string::npos) << m_reports[0];

    std::vector<std::string> kept;
    for (const auto& entry : std::filesystem::directory_iterator(m_dir.Path())) {
        if (entry.path().filename().string().starts_with("machine.reg.damaged-")) {
            kept.push_back(entry.path());
        }
    }
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(test::ReadFileOrEmpty(kept[0]), damaged);
    EXPECT_NE(test::ReadFileOrEmpty(m_dir.File("machine.reg")).find("\"V\"=\"fresh\""),
              std::string::npos);
}

TEST_F(StoreTest, ReadingADamagedHiveDamagesNothing) {
    const std::string damaged =
        "Windows Registry Editor Version 5.00\n"
        "[HKEY_LOCAL_MACHINE\\K]\n"
        "\"Good\"=\"kept\"\n"
        "\"Bad\"=what is this\n"
        "\"Later\"=dword:00000007\n";
    test::WriteFileOrDie(m_dir.File("machine.reg"), damaged);
    {
        auto store = MakeStore();
        HKEY key = 0;
        ASSERT_EQ(store->OpenKey(HKEY_LOCAL_MACHINE, "K", KEY_READ, &key), 0u);
        EXPECT_EQ(Query(*store, key, "Good"), std::string("kept\0", 5));
        EXPECT_EQ(Query(*store, key, "Later"), std::string("\x07\0\0\0", 4));
        store->CloseKey(key);
    }
    // Read, closed and gone: the file is as it was, nothing was kept aside or said.
    EXPECT_EQ(test::ReadFileOrEmpty(m_dir.File("machine.reg")), damaged);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(m_dir.Path()),
                            std::filesystem::directory_iterator()),
              1);
    EXPECT_TRUE(m_reports.empty());

    // A write keeps the damaged file aside first, says so by name, and saves what was read.
    auto store = MakeStore();
    Write(*store, "K", "New", "x");
    ASSERT_EQ(m_reports.size(), 1u);
    const auto kept = m_reports[0].substr(m_reports[0].find("kept aside as ") + 14);
    EXPECT_EQ(test::ReadFileOrEmpty(kept.substr(0, kept.find(','))), damaged) << m_reports[0];
    const std::string saved = test::ReadFileOrEmpty(m_dir.File("machine.reg"));
    EXPECT_NE(saved.find("\"Good\"=\"kept\""), std::string::npos) << saved;
    EXPECT_NE(saved.find("\"Later\"=dword:00000007"), std::string::npos) << saved;
    EXPECT_NE(saved.find("\"New\"=\"x\""), std::string::npos) << saved;
}

/// The identity of a file's version: every save makes a new one.
std::string Version(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        return "missing";
    }
    return std::to_string(st.st_ino) + "." + std::to_string(st.st_mtim.tv_nsec);
}

TEST_F(StoreTest, AGroupOfKeysIsSavedOnceWhenItsLastKeyCloses) {
    auto store = MakeStore();
    const std::string file = m_dir.File("machine.reg");
    HKEY group = 0;
    ASSERT_EQ(store->CreateKey(HKEY_LOCAL_MACHINE, "Group", KEY_ALL_ACCESS, &group, nullptr), 0u);
    for (const char* name : {"Group\\A", "Group\\B", "Group\\C"}) {
        Write(*store, name, "V", name);
        EXPECT_EQ(Version(file), "missing") << name;  // not one save per key
    }
    ASSERT_EQ(store->CloseKey(group), 0u);
    const std::string saved = Version(file);
    EXPECT_NE(saved, "missing");
    EXPECT_NE(test::ReadFileOrEmpty(file).find("[HKEY_LOCAL_MACHINE\\Group\\C]"),
              std::string::npos);

    // Writing what the keys hold already is no change and saves nothing.
    Write(*store, "Group\\A", "V", "Group\\A");
    EXPECT_EQ(Version(file), saved);
}

TEST_F(StoreTest, OurUnchangedCopyDoesNotUndoAnotherProcessesEdit) {
    auto ours = MakeStore();
    auto other = MakeStore();
    Write(*ours, "K", "Edited", "5");
    Write(*ours, "K", "Ours", "a");
    HKEY key = 0;
    ASSERT_EQ(ours->OpenKey(HKEY_LOCAL_MACHINE, "K", KEY_READ, &key), 0u);
    std::vector<RegValue> loaded;
    ASSERT_EQ(ours->ListKey(key, &loaded, nullptr), 0u);  // as settings are loaded at start
    std::uint32_t missing = 0;
    Query(*ours, key, "Default", &missing);  // not stored: our copy holds its default
    EXPECT_EQ(missing, ERROR_FILE_NOT_FOUND);
    ours->CloseKey(key);

    Write(*other, "K", "Edited", "99");  // the user edits settings meanwhile
    Write(*other, "K", "Default", "set");

    // Our save at the end writes every value back: the unchanged ones are no change.
    Write(*ours, "K", "Edited", "5");
    Write(*ours, "K", "Default", "default");
    Write(*ours, "K", "Ours", "b");
    auto reader = MakeStore();
    ASSERT_EQ(reader->OpenKey(HKEY_LOCAL_MACHINE, "K", KEY_READ, &key), 0u);
    EXPECT_EQ(Query(*reader, key, "Edited"), std::string("99\0", 3));
    EXPECT_EQ(Query(*reader, key, "Default"), std::string("set\0", 4));
    EXPECT_EQ(Query(*reader, key, "Ours"), std::string("b\0", 2));
    reader->CloseKey(key);

    // A change of our own after that is a change again.
    Write(*ours, "K", "Edited", "6");
    ASSERT_EQ(reader->OpenKey(HKEY_LOCAL_MACHINE, "K", KEY_READ, &key), 0u);
    EXPECT_EQ(Query(*reader, key, "Edited"), std::string("6\0", 2));
    reader->CloseKey(key);
}

TEST_F(StoreTest, AHiveThatCannotBeReadOrMovedIsNeverWritten) {
    const std::string folder = m_dir.File("hives");
    const std::string hive = folder + "/machine.reg";
    const struct {
        const char* what;
        bool needsUser;  // root renames in a read-only folder
        std::function<void()> prepare;
    } cases[] = {
        {"unreadable", false, [&] { std::filesystem::create_directories(hive); }},
        {"damaged in a read-only folder", true,
         [&] {
             std::filesystem::create_directories(folder);
             test::WriteFileOrDie(hive, "garbage\n");
             ::chmod(folder.c_str(), 0500);
         }},
    };
    for (const auto& c : cases) {
        if (c.needsUser && ::geteuid() == 0) {
            continue;
        }
        SCOPED_TRACE(c.what);
        m_reports.clear();
        c.prepare();
        {
            RegistryStore store(
                [&] { return hive; }, [&] { return folder + "/user.reg"; },
                [this](const std::string& message) { m_reports.push_back(message); });
            HKEY key = 0;
            EXPECT_EQ(store.CreateKey(HKEY_LOCAL_MACHINE, "K", KEY_WRITE, &key, nullptr),
                      ERROR_ACCESS_DENIED);
            ASSERT_EQ(store.OpenKey(HKEY_LOCAL_MACHINE, "", KEY_ALL_ACCESS, &key), 0u);
            EXPECT_EQ(SetText(store, key, "V", "x"), ERROR_ACCESS_DENIED);
            store.CloseKey(key);
            EXPECT_EQ(store.OpenKey(HKEY_LOCAL_MACHINE, "", KEY_READ, &key), 0u);
            store.CloseKey(key);
        }
        ::chmod(folder.c_str(), 0700);
        EXPECT_EQ(m_reports.size(), 1u);
        if (std::filesystem::is_regular_file(hive)) {
            EXPECT_EQ(test::ReadFileOrEmpty(hive), "garbage\n");
        }
        std::filesystem::remove_all(folder);
    }
}

TEST_F(StoreTest, ThreadsShareTheStore) {
    auto store = MakeStore();
    auto worker = [&](const std::string& name) {
        for (int i = 0; i < 20; ++i) {
            HKEY key = 0;
            ASSERT_EQ(store->CreateKey(HKEY_CURRENT_USER, "T", KEY_ALL_ACCESS, &key, nullptr), 0u);
            ASSERT_EQ(SetText(*store, key, name.c_str(), std::to_string(i)), 0u);
            std::uint32_t error = 1;
            Query(*store, key, name.c_str(), &error);
            EXPECT_EQ(error, 0u);
            store->CloseKey(key);
        }
    };
    std::thread a(worker, "A");
    std::thread b(worker, "B");
    a.join();
    b.join();
    const std::string text = test::ReadFileOrEmpty(m_dir.File("user.reg"));
    EXPECT_NE(text.find("\"A\"=\"19\""), std::string::npos) << text;
    EXPECT_NE(text.find("\"B\"=\"19\""), std::string::npos) << text;
}

}  // namespace
}  // namespace ov
