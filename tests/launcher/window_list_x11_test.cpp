// The X11 window list against a private Xvfb server; skipped where Xvfb is not installed.
#include <gtest/gtest.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

#include "launcher/process_list.h"
#include "launcher/window_list.h"
#include "support/run_process.h"
#include "support/temp_dir.h"

namespace ov {
namespace {

constexpr const char* kXvfb = "/usr/bin/Xvfb";

/// Plays the part of the programs (and, when asked, of the window manager) on the display.
class X11Desktop : public ::testing::Test {
protected:
    void SetUp() override {
        if (::access(kXvfb, X_OK) != 0) {
            GTEST_SKIP() << "Xvfb is not installed";
        }
        m_server = std::make_unique<test::BackgroundProcess>(std::vector<std::string>{
            kXvfb, "-displayfd", "1", "-nolisten", "tcp", "-screen", "0", "320x240x24"});
        bool ok = false;
        const std::string number = m_server->ReadLine(std::chrono::seconds(20), &ok);
        ASSERT_TRUE(ok) << "Xvfb did not start";
        m_display = std::make_unique<test::ScopedEnv>("DISPLAY", ":" + number);
        m_connection = xcb_connect(nullptr, nullptr);
        ASSERT_EQ(xcb_connection_has_error(m_connection), 0);
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
    }
    void TearDown() override {
        if (m_connection != nullptr) {
            xcb_disconnect(m_connection);
        }
    }

    xcb_atom_t Atom(const char* name) {
        auto* reply = xcb_intern_atom_reply(
            m_connection,
            xcb_intern_atom(m_connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name),
            nullptr);
        const xcb_atom_t atom = reply->atom;
        std::free(reply);
        return atom;
    }
    /// A top-level window owned by this process (or by none with pid 0).
    xcb_window_t Window(std::int32_t pid, bool mapped) {
        const xcb_window_t window = xcb_generate_id(m_connection);
        xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, window, m_root, 0, 0, 10, 10, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
        if (pid != 0) {
            xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, window, Atom("_NET_WM_PID"),
                                XCB_ATOM_CARDINAL, 32, 1, &pid);
        }
        if (mapped) {
            xcb_map_window(m_connection, window);
        }
        return window;
    }
    void SetText(xcb_window_t window, const char* property, xcb_atom_t type,
                 const std::string& text) {
        xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, window, Atom(property), type, 8,
                            static_cast<std::uint32_t>(text.size()), text.data());
    }
    void SetClientList(const std::vector<xcb_window_t>& windows) {
        xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, m_root, Atom("_NET_CLIENT_LIST"),
                            XCB_ATOM_WINDOW, 32, static_cast<std::uint32_t>(windows.size()),
                            windows.data());
    }
    /// Waits until the server has carried out everything sent so far.
    void Sync() {
        std::free(
            xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
    }

    std::unique_ptr<test::BackgroundProcess> m_server;
    std::unique_ptr<test::ScopedEnv> m_display;
    xcb_connection_t* m_connection = nullptr;
    xcb_window_t m_root = 0;
};

TEST_F(X11Desktop, ReportsShownWindowsWithTheirProcessesAndTitles) {
    const auto self = static_cast<std::int32_t>(::getpid());
    const std::string longTitle = "Ünïcödé " + std::string(60, 'x');
    const xcb_window_t a = Window(self, true);
    SetText(a, "_NET_WM_NAME", Atom("UTF8_STRING"), longTitle);
    const xcb_window_t b = Window(self, true);
    SetText(b, "WM_NAME", XCB_ATOM_STRING, "Caf\xe9");
    const xcb_window_t hidden = Window(self, false);
    const xcb_window_t noPid = Window(0, true);
    SetText(noPid, "WM_NAME", XCB_ATOM_STRING, "whose?");
    Sync();

    // Without a window manager: the root's shown children that say their process.
    auto windows = MakeWindowList()->TopLevelWindows();
    ASSERT_EQ(windows.size(), 2u);
    EXPECT_EQ(windows[0].id, a);
    EXPECT_EQ(windows[0].processId, self);
    EXPECT_EQ(windows[0].title, longTitle);
    EXPECT_EQ(windows[1].id, b);
    EXPECT_EQ(windows[1].title, "Caf\xc3\xa9");

    ProcessList processes;
    ASSERT_TRUE(processes.Refresh());
    const ProcessEntry* entry = nullptr;
    for (const ProcessEntry& e : processes.Entries()) {
        if (e.processId == self) {
            entry = &e;
        }
    }
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->window, b);
    EXPECT_EQ(entry->title, "Caf\xc3\xa9");

    // A window manager's list counts, hidden (minimised) windows too, in its order.
    SetClientList({b, hidden, a});
    Sync();
    windows = MakeWindowList()->TopLevelWindows();
    ASSERT_EQ(windows.size(), 3u);
    EXPECT_EQ(windows[1].id, hidden);
    EXPECT_EQ(windows[1].title, "");
    ASSERT_TRUE(processes.Refresh());
    for (const ProcessEntry& e : processes.Entries()) {
        if (e.processId == self) {
            EXPECT_EQ(e.window, a);
            EXPECT_EQ(e.title, CutUtf8(longTitle, kMaxWindowTitle));
            EXPECT_LE(e.title.size(), kMaxWindowTitle);
        }
    }
}

TEST(WindowList, WithoutADisplayThereAreNoWindows) {
    test::ScopedEnv display("DISPLAY", std::nullopt);
    EXPECT_TRUE(MakeWindowList()->TopLevelWindows().empty());
    test::ScopedEnv unreachable("DISPLAY", ":987654");
    EXPECT_TRUE(MakeWindowList()->TopLevelWindows().empty());
}

}  // namespace
}  // namespace ov
