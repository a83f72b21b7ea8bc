// The window list of an X11 desktop (or of XWayland), read with libxcb.
#include <dlfcn.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "launcher/window_list.h"

namespace ov {

namespace {

template <typename T>
using Reply = std::unique_ptr<T, decltype(&std::free)>;

template <typename T>
Reply<T> Own(T* reply) {
    return Reply<T>(reply, &std::free);
}

// A title needs no more than this many 32-bit units: it is cut to 63 characters anyway.
constexpr std::uint32_t kTitleUnits = 256;

/// ISO 8859-1 (the encoding of a STRING property) as UTF-8.
std::string Latin1ToUtf8(const char* data, int length) {
    std::string out;
    for (int i = 0; i < length; ++i) {
        const auto c = static_cast<unsigned char>(data[i]);
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

/// The few libxcb calls the list needs, from the library opened on the first reading: a
/// program that never lists windows (the headless monitor ends no program's windows while it
/// idles) does not load the X11 libraries at all.
struct Xcb {
    decltype(&xcb_connect) connect = nullptr;
    decltype(&xcb_connection_has_error) connection_has_error = nullptr;
    decltype(&xcb_disconnect) disconnect = nullptr;
    decltype(&xcb_intern_atom) intern_atom = nullptr;
    decltype(&xcb_intern_atom_reply) intern_atom_reply = nullptr;
    decltype(&xcb_setup_roots_iterator) setup_roots_iterator = nullptr;
    decltype(&xcb_get_setup) get_setup = nullptr;
    decltype(&xcb_screen_next) screen_next = nullptr;
    decltype(&xcb_get_property) get_property = nullptr;
    decltype(&xcb_get_property_reply) get_property_reply = nullptr;
    decltype(&xcb_get_property_value) get_property_value = nullptr;
    decltype(&xcb_get_property_value_length) get_property_value_length = nullptr;
    decltype(&xcb_query_tree) query_tree = nullptr;
    decltype(&xcb_query_tree_reply) query_tree_reply = nullptr;
    decltype(&xcb_query_tree_children) query_tree_children = nullptr;
    decltype(&xcb_query_tree_children_length) query_tree_children_length = nullptr;
    decltype(&xcb_get_window_attributes) get_window_attributes = nullptr;
    decltype(&xcb_get_window_attributes_reply) get_window_attributes_reply = nullptr;
};

template <typename F>
bool Bind(void* handle, const char* name, F& function) {
    function = reinterpret_cast<F>(dlsym(handle, name));
    return function != nullptr;
}

/// Null when libxcb cannot be loaded: then no window can be listed, as without a display.
const Xcb* LoadXcb() {
    static const Xcb* const loaded = []() -> const Xcb* {
        void* handle = dlopen("libxcb.so.1", RTLD_NOW | RTLD_LOCAL);
        if (handle == nullptr) {
            return nullptr;
        }
        static Xcb table;
        bool ok = true;
        ok = Bind(handle, "xcb_connect", table.connect) && ok;
        ok = Bind(handle, "xcb_connection_has_error", table.connection_has_error) && ok;
        ok = Bind(handle, "xcb_disconnect", table.disconnect) && ok;
        ok = Bind(handle, "xcb_intern_atom", table.intern_atom) && ok;
        ok = Bind(handle, "xcb_intern_atom_reply", table.intern_atom_reply) && ok;
        ok = Bind(handle, "xcb_setup_roots_iterator", table.setup_roots_iterator) && ok;
        ok = Bind(handle, "xcb_get_setup", table.get_setup) && ok;
        ok = Bind(handle, "xcb_screen_next", table.screen_next) && ok;
        ok = Bind(handle, "xcb_get_property", table.get_property) && ok;
        ok = Bind(handle, "xcb_get_property_reply", table.get_property_reply) && ok;
        ok = Bind(handle, "xcb_get_property_value", table.get_property_value) && ok;
        ok = Bind(handle, "xcb_get_property_value_length", table.get_property_value_length) && ok;
        ok = Bind(handle, "xcb_query_tree", table.query_tree) && ok;
        ok = Bind(handle, "xcb_query_tree_reply", table.query_tree_reply) && ok;
        ok = Bind(handle, "xcb_query_tree_children", table.query_tree_children) && ok;
        ok = Bind(handle, "xcb_query_tree_children_length", table.query_tree_children_length) && ok;
        ok = Bind(handle, "xcb_get_window_attributes", table.get_window_attributes) && ok;
        ok = Bind(handle, "xcb_get_window_attributes_reply", table.get_window_attributes_reply) &&
             ok;
        return ok ? &table : nullptr;
    }();
    return loaded;
}

class X11WindowList final : public WindowList {
public:
    std::vector<DesktopWindow> TopLevelWindows() override {
        m_xcb = LoadXcb();
        if (m_xcb == nullptr) {
            return {};
        }
        int screenNumber = 0;
        xcb_connection_t* connection = m_xcb->connect(nullptr, &screenNumber);
        std::vector<DesktopWindow> windows;
        if (m_xcb->connection_has_error(connection) == 0) {
            windows = Read(connection, screenNumber);
        }
        m_xcb->disconnect(connection);
        return windows;
    }

private:
    xcb_atom_t Atom(const char* name) {
        const auto cookie = m_xcb->intern_atom(m_connection, 0,
                                               static_cast<std::uint16_t>(std::strlen(name)), name);
        const auto reply = Own(m_xcb->intern_atom_reply(m_connection, cookie, nullptr));
        return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    }

    std::vector<DesktopWindow> Read(xcb_connection_t* connection, int screenNumber) {
        m_connection = connection;
        auto screens = m_xcb->setup_roots_iterator(m_xcb->get_setup(connection));
        for (int i = 0; i < screenNumber && screens.rem > 0; ++i) {
            m_xcb->screen_next(&screens);
        }
        if (screens.rem <= 0) {
            return {};
        }
        const xcb_window_t root = screens.data->root;
        m_clientList = Atom("_NET_CLIENT_LIST");
        m_pid = Atom("_NET_WM_PID");
        m_netName = Atom("_NET_WM_NAME");
        m_utf8 = Atom("UTF8_STRING");

        std::vector<xcb_window_t> candidates = ClientList(root);
        if (candidates.empty()) {
            candidates = MappedChildren(root);
        }
        return Describe(candidates);
    }

    /// The windows a window manager manages: every one is shown, minimised ones included.
    std::vector<xcb_window_t> ClientList(xcb_window_t root) {
        const auto cookie =
            m_xcb->get_property(m_connection, 0, root, m_clientList, XCB_ATOM_WINDOW, 0, 1u << 16);
        const auto reply = Own(m_xcb->get_property_reply(m_connection, cookie, nullptr));
        if (!reply || reply->type != XCB_ATOM_WINDOW || reply->format != 32) {
            return {};
        }
        const auto* ids = static_cast<const xcb_window_t*>(m_xcb->get_property_value(reply.get()));
        const int count = m_xcb->get_property_value_length(reply.get()) / 4;
        return std::vector<xcb_window_t>(ids, ids + count);
    }

    /// Without a window manager the top-level windows are the root's children that are shown.
    std::vector<xcb_window_t> MappedChildren(xcb_window_t root) {
        const auto tree = Own(
            m_xcb->query_tree_reply(m_connection, m_xcb->query_tree(m_connection, root), nullptr));
        if (!tree) {
            return {};
        }
        const xcb_window_t* children = m_xcb->query_tree_children(tree.get());
        const int count = m_xcb->query_tree_children_length(tree.get());
        std::vector<xcb_get_window_attributes_cookie_t> cookies;
        cookies.reserve(static_cast<std::size_t>(count));
        for (int i = 0; i < count; ++i) {
            cookies.push_back(m_xcb->get_window_attributes(m_connection, children[i]));
        }
        std::vector<xcb_window_t> shown;
        for (int i = 0; i < count; ++i) {
            const auto attributes = Own(m_xcb->get_window_attributes_reply(
                m_connection, cookies[static_cast<std::size_t>(i)], nullptr));
            if (attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE &&
                attributes->override_redirect == 0) {
                shown.push_back(children[i]);
            }
        }
        return shown;
    }

    std::vector<DesktopWindow> Describe(const std::vector<xcb_window_t>& candidates) {
        struct Pending {
            xcb_get_property_cookie_t pid, netName, name;
        };
        // Every request goes out before the first answer is read: one round trip in all.
        std::vector<Pending> pending;
        pending.reserve(candidates.size());
        for (const xcb_window_t window : candidates) {
            pending.push_back(
                {m_xcb->get_property(m_connection, 0, window, m_pid, XCB_ATOM_CARDINAL, 0, 1),
                 m_xcb->get_property(m_connection, 0, window, m_netName, m_utf8, 0, kTitleUnits),
                 m_xcb->get_property(m_connection, 0, window, XCB_ATOM_WM_NAME, XCB_ATOM_ANY, 0,
                                     kTitleUnits)});
        }
        std::vector<DesktopWindow> windows;
        for (std::size_t i = 0; i < candidates.size(); ++i) {
            const auto pid = Own(m_xcb->get_property_reply(m_connection, pending[i].pid, nullptr));
            const auto netName =
                Own(m_xcb->get_property_reply(m_connection, pending[i].netName, nullptr));
            const auto name =
                Own(m_xcb->get_property_reply(m_connection, pending[i].name, nullptr));
            // A window that does not say its process cannot be given to one.
            if (!pid || pid->type != XCB_ATOM_CARDINAL || pid->format != 32 ||
                m_xcb->get_property_value_length(pid.get()) < 4) {
                continue;
            }
            DesktopWindow window;
            window.id = candidates[i];
            window.processId =
                *static_cast<const std::int32_t*>(m_xcb->get_property_value(pid.get()));
            window.title = Title(netName.get(), name.get());
            windows.push_back(std::move(window));
        }
        return windows;
    }

    std::string Title(xcb_get_property_reply_t* netName, xcb_get_property_reply_t* name) const {
        if (netName && netName->type == m_utf8 && netName->format == 8) {
            const int length = m_xcb->get_property_value_length(netName);
            if (length > 0) {
                return std::string(static_cast<const char*>(m_xcb->get_property_value(netName)),
                                   static_cast<std::size_t>(length));
            }
        }
        if (name && name->format == 8) {
            const auto* data = static_cast<const char*>(m_xcb->get_property_value(name));
            const int length = m_xcb->get_property_value_length(name);
            if (name->type == XCB_ATOM_STRING) {
                return Latin1ToUtf8(data, length);
            }
            if (name->type == m_utf8) {
                return std::string(data, static_cast<std::size_t>(length));
            }
        }
        return {};
    }

    const Xcb* m_xcb = nullptr;
    xcb_connection_t* m_connection = nullptr;
    xcb_atom_t m_clientList = XCB_ATOM_NONE;
    xcb_atom_t m_pid = XCB_ATOM_NONE;
    xcb_atom_t m_netName = XCB_ATOM_NONE;
    xcb_atom_t m_utf8 = XCB_ATOM_NONE;
};

}  // namespace

std::unique_ptr<WindowList> MakeX11WindowList() {
    return std::make_unique<X11WindowList>();
}

}  // namespace ov
