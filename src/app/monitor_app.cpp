#include "app/monitor_app.h"

#include "app/startup_settings.h"
#include "platform/file_util.h"
#include "platform/ras/ras_factory.h"
#include "platform/text_util.h"

namespace ov {

namespace {

/// Asks the metering window to cancel the hang-up countdown of an open limit notification.
constexpr std::uint32_t WM_CANCEL_COUNTDOWN = WM_APP + 1100;

}  // namespace

std::chrono::milliseconds MonitorPollPeriod(const char* text) {
    if (text != nullptr) {
        if (const auto ms = ParseInteger(text); ms && *ms >= 10 && *ms <= 60000) {
            return std::chrono::milliseconds(*ms);
        }
    }
    return std::chrono::milliseconds(2000);
}

/// The front end's timers, with the identifiers set kept: an expiry posted just before its
/// timer was killed still arrives, and is dropped.
class MonitorApp::TrackedTimer final : public WindowTimer {
public:
    explicit TrackedTimer(std::unique_ptr<WindowTimer> timer) : m_timer(std::move(timer)) {}

    bool SetTimer(unsigned id, unsigned periodMs) override {
        if (!m_timer->SetTimer(id, periodMs)) {
            return false;
        }
        m_set.insert(id);
        return true;
    }
    void KillTimer(unsigned id) override {
        m_set.erase(id);
        m_timer->KillTimer(id);
    }
    bool IsSet(unsigned id) const { return m_set.contains(id); }

private:
    std::unique_ptr<WindowTimer> m_timer;
    std::set<unsigned> m_set;
};

/// What the live display does without its window: meters each call with the limit rule. It
/// receives the timer and cancel messages of the metering on the window thread.
class MonitorApp::MeteringWindow final : public MessageWindow, public MonitorObserver {
public:
    explicit MeteringWindow(MessageLoop& loop) : MessageWindow(loop) {}

    /// Metering from here on, by `host` over `timer` (both outlive the window's messages).
    void SetMetering(MeteringHost* host, const TrackedTimer* timer) {
        m_host = host;
        m_timer = timer;
    }

    void OnDialing(const ConnectionRecord& connection) override {
        if (m_host != nullptr) {
            m_host->OnDialing(connection.entryName, connection.startTime);
        }
    }
    void OnConnected(const ConnectionRecord& connection) override {
        if (m_host != nullptr) {
            m_host->OnConnected(connection.entryName, connection.startTime);
        }
    }
    void OnEnded(const ConnectionRecord* /*connection*/) override {
        if (m_host != nullptr) {
            m_host->OnEnded();
        }
    }

    std::intptr_t HandleMessage(std::uint32_t message, std::uintptr_t wParam,
                                std::intptr_t /*lParam*/) override {
        if (m_host == nullptr) {
            return 0;
        }
        if (message == WM_TIMER && m_timer->IsSet(static_cast<unsigned>(wParam))) {
            m_host->OnTimer(static_cast<unsigned>(wParam));
        } else if (message == WM_CANCEL_COUNTDOWN) {
            m_host->CancelNotification();
        }
        return 0;
    }

private:
    MeteringHost* m_host = nullptr;
    const TrackedTimer* m_timer = nullptr;
};

/// The countdown's hang-up: every phone-book entry's connection, each one told to the front
/// end; asking first through the front end's question, when it has one.
class MonitorApp::EntryListHangUp final : public HangUpService {
public:
    EntryListHangUp(RasLibrary& entries, MonitorFrontEnd& frontEnd, const TextSource& texts)
        : m_entries(entries), m_frontEnd(frontEnd), m_texts(texts) {}

    void HangUpAll(bool ask) override {
        HangUpQuestion* question = m_frontEnd.Question();
        std::optional<HangUpAsker> asker;
        if (question != nullptr) {
            asker.emplace(HangUpAsker{*question, m_texts});
        }
        ov::HangUpAll(&m_entries, ask, asker ? &*asker : nullptr,
                      [this](const std::string& entry, std::uint32_t result) {
                          if (result == 0) {
                              m_frontEnd.OnHungUp(entry);
                          } else {
                              m_frontEnd.OnHangUpFailed(entry, RasErrorText(result));
                          }
                      });
    }

private:
    RasLibrary& m_entries;
    MonitorFrontEnd& m_frontEnd;
    const TextSource& m_texts;
};

MonitorApp::MonitorApp(MonitorFrontEnd& frontEnd, const Clock& clock, const ProgramPaths& paths,
                       std::chrono::milliseconds pollPeriod)
    : m_frontEnd(frontEnd), m_clock(clock), m_paths(paths), m_pollPeriod(pollPeriod) {}

MonitorApp::~MonitorApp() {
    if (m_meteringWindow) {
        m_meteringWindow->SetMetering(nullptr, nullptr);
    }
}

bool MonitorApp::Start(std::string* error) {
    // Only one monitor logs to a data root: a second would log every call twice.
    if (!m_paths.EnsureDataRoot(error)) {
        return false;
    }
    m_rootLock = DataRootLock::Acquire(m_paths.dataRoot, error);
    if (!m_rootLock) {
        return false;
    }

    // As start-up: the pack's texts, the settings, the log folder (a folder that cannot be
    // made shows at the first write, as a failed write).
    std::string why;
    m_texts = m_frontEnd.Texts(&why);
    if (m_texts == nullptr) {
        m_frontEnd.OnBuiltInTexts(why);
        m_texts = &BuiltInEnglishTexts();
    }
    m_settings = LoadStartupSettings(*m_texts, m_paths.tariffFile, m_frontEnd.Screen());
    m_writer = std::make_unique<CallLogWriter>(*m_settings, *m_texts, m_clock, m_frontEnd,
                                               m_paths.logFolder);
    EnsureFolder(m_writer->Folder());
    m_session =
        std::make_unique<MonitorSession>(m_loop, *m_settings, *m_writer, m_appPaths, m_processes);

    m_provider =
        MakeRasProvider([this](const std::string& message) { m_frontEnd.OnProviderError(message); },
                        m_paths.simulatorState, error);
    if (!m_provider) {
        return false;
    }
    m_providerName = m_provider->Name();
    // Only calls are watched and hung up, by the stored choice of which connections are calls.
    m_provider->SetCallRule(m_settings->CallRuleSetting());
    m_ras = std::make_unique<RasApi>(*m_provider);
    m_entries = std::make_unique<RasLibrary>(m_ras.get());
    m_entries->Load();

    // The live display's metering and the limit rule, when ShowEvnWnd asks for them.
    m_meteringWindow = std::make_unique<MeteringWindow>(m_loop);
    m_timer = std::make_unique<TrackedTimer>(m_frontEnd.MakeTimer(*m_meteringWindow));
    m_hangUp = std::make_unique<EntryListHangUp>(*m_entries, m_frontEnd, *m_texts);
    MeteringHost::Hooks hooks;
    hooks.limit = [this](const std::string& message) { m_frontEnd.OnLimit(message); };
    // As the live display does when it closes: the totals are kept with the event settings.
    hooks.saveEvents = [this] { m_settings->ExchangeEvents(true); };
    m_metering = std::make_unique<MeteringHost>(*m_settings, *m_texts, m_clock, *m_timer, *m_hangUp,
                                                std::move(hooks));
    m_meteringWindow->SetMetering(m_metering.get(), m_timer.get());
    // The display closes before the call is logged: the metering hears of an end first.
    m_session->AddObserver(m_meteringWindow.get());

    ConnectionMonitor::Options options;
    options.pollPeriod = m_pollPeriod;
    options.polledWithoutConnections = false;  // no front end reads the empty cycles
    m_monitor = std::make_unique<ConnectionMonitor>(*m_ras, m_clock, options);
    return true;
}

void MonitorApp::AddObserver(MonitorObserver* observer) {
    m_session->AddObserver(observer);
}

bool MonitorApp::StartMonitor() {
    return m_monitor->Start(m_session.get());
}

void MonitorApp::Exit() {
    m_session->Exit(*m_monitor);
    m_meteringWindow->SetMetering(nullptr, nullptr);
}

void MonitorApp::CancelCountdown() {
    if (m_meteringWindow) {
        m_loop.Post(*m_meteringWindow, WM_CANCEL_COUNTDOWN);
    }
}

}  // namespace ov
