// The main frame over a million calls, side by side in one run.
//
// Opening (BM_OpenMainFrame): the frame made, shown and its list painted once, against what it
// cannot do without: the reload of every month and one screen of rows drawn (a grab of a call
// list view of the list pane's size over a list it has laid out already). Goal:
// open / (reload + screen) <= 1 (counter vs_reload_screen; cpu_ the same in CPU time of this
// thread). Beside it, to tell where the rest goes: the frame over a call log with no calls
// (empty_open), the frame's constructor with its reload (made), the layout of every row by a
// view that has them already (layout) and the first screen of a view that has not
// (first_screen, with vs_reload_first_screen).
//
// Scrolling (BM_ScrollTopToBottom): the frame's list paged with its scroll bar from the first
// row to the last, each page painted, with the resident set and the heap after opening and at
// the end. Goal: no growth beyond noise, < 1 % (counter rss_growth_ratio).
//
// Runs on the offscreen platform unless QT_QPA_PLATFORM names another. BENCH_LANG=sk takes the
// Slovak pack; BENCH_SHOT=FILE.png saves the frame as it shows the last page.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <time.h>
#include <unistd.h>

#include <QApplication>
#include <QEvent>
#include <QPixmap>
#include <QScrollBar>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "app/qt/language_packs.h"
#include "app/ui/main_frame.h"
#include "app/ui/pack_ui_resources.h"
#include "bench_month_files.h"
#include "platform/paths.h"
#include "platform/registry/registry.h"
#include "settings/settings.h"
#include "viewer/call_list.h"
#include "viewer/ui/ov_list_view.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

/// The CPU time of this thread so far: what a step costs itself, whatever else the machine runs.
double CpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

/// Wall and CPU time of a step, summed over the iterations.
struct Span {
    double wall = 0;
    double cpu = 0;
};

class Stopwatch {
public:
    Stopwatch() : m_wall(Clock::now()), m_cpu(CpuSeconds()) {}
    void AddTo(Span& span) const {
        span.wall += Seconds(Clock::now() - m_wall);
        span.cpu += CpuSeconds() - m_cpu;
    }

private:
    Clock::time_point m_wall;
    double m_cpu;
};

/// The resident set now (the second field of /proc/self/statm, in pages).
long ResidentBytes() {
    long size = 0;
    long resident = 0;
    std::FILE* f = std::fopen("/proc/self/statm", "r");
    if (f != nullptr) {
        if (std::fscanf(f, "%ld %ld", &size, &resident) != 2) {
            resident = 0;
        }
        std::fclose(f);
    }
    return resident * sysconf(_SC_PAGESIZE);
}

/// Bytes the heap hands out now.
double HeapBytes() {
    return static_cast<double>(mallinfo2().uordblks);
}

class FixedStore final : public ov::LanguageSettingsStore {
public:
    std::optional<std::uint32_t> ReadCurrentLng() const override {
        return qgetenv("BENCH_LANG") == "sk" ? ov::kPackSlovak : ov::kPackEnglish;
    }
    bool WriteCurrentLng(std::uint32_t) override { return true; }
    std::uint32_t SystemLanguage() const override { return ov::kPackEnglish; }
    std::string LanguageName(std::uint32_t) const override { return {}; }
};

/// Counts the paint events a widget gets.
class PaintCounter final : public QObject {
public:
    explicit PaintCounter(QWidget* widget) { widget->installEventFilter(this); }
    int Count() const { return m_count; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            ++m_count;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    int m_count = 0;
};

/// Processes events until `counter` saw a paint beyond `seen` (the paint is over once the
/// event it came with is). False when none came within ten seconds.
bool WaitForPaint(const PaintCounter& counter, int seen) {
    const auto deadline = Clock::now() + std::chrono::seconds(10);
    while (counter.Count() <= seen && Clock::now() < deadline) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    QCoreApplication::processEvents();  // the rest of that update
    return counter.Count() > seen;
}

/// What every frame is made with: the shipped English pack, default settings, the month files.
struct Environment {
    FixedStore store;
    ov::LanguagePacks packs{store};
    ov::PackUiResources resources{packs};
    ov::Settings settings{packs};

    Environment() {
        packs.AddStandardPacks();
        if (!packs.ChooseAtStartup()) {
            std::fprintf(stderr, "no language pack: %s\n", packs.LastError().c_str());
            std::abort();
        }
    }

    std::unique_ptr<ov::MainFrame> Frame(const std::string& folder) {
        return std::make_unique<ov::MainFrame>(ov::MainFrame::Parts{
            settings, packs, resources, folder, nullptr, [] { return false; }, {}});
    }
};

Environment& TheEnvironment() {
    static Environment environment;
    return environment;
}

/// Made over the call log in `folder` (the month files by default), shown and painted once: the
/// time until the list's first paint is over.
std::unique_ptr<ov::MainFrame> OpenFrame(
    Span& span, const std::string& folder = ov::bench::TheMonthFiles().folder,
    Span* made = nullptr) {
    auto& env = TheEnvironment();
    const Stopwatch watch;
    auto frame = env.Frame(folder);
    if (made != nullptr) {
        watch.AddTo(*made);
    }
    PaintCounter painted(frame->ListView()->viewport());
    frame->show();
    if (!WaitForPaint(painted, 0)) {
        std::fprintf(stderr, "the list was never painted\n");
        std::abort();
    }
    watch.AddTo(span);
    return frame;
}

// Each iteration, under the same load: the reload of every month into a list of its own, one
// screen of rows drawn (a grab of a view of the frame list's size over a list loaded and laid
// out before the loop), and the frame opened; the time is the opening's.
void BM_OpenMainFrame(benchmark::State& state) {
    auto& env = TheEnvironment();
    const auto& files = ov::bench::TheMonthFiles();
    ov::CallList reloaded(env.settings, env.packs, files.folder);

    // The frame's list pane at the frame's first size, over a list of its own.
    Span ignored;
    QSize paneSize = OpenFrame(ignored)->ListView()->size();
    ov::CallList shownList(env.settings, env.packs, files.folder);
    ov::OVListView view(shownList, env.resources);
    {
        ov::CallListHooks hooks;
        view.FillHooks(hooks);
        shownList.SetHooks(std::move(hooks));
    }
    shownList.RebuildColumns(false);
    shownList.Reload();
    view.resize(paneSize);
    PaintCounter viewPainted(view.viewport());
    view.show();
    WaitForPaint(viewPainted, 0);
    // What the view pays after each reset before its next paint: the layout of its rows.
    Span layout;
    {
        const Stopwatch watch;
        view.doItemsLayout();
        watch.AddTo(layout);
    }

    Span reload;
    Span screen;
    Span open;
    Span empty;
    Span made;
    Span firstScreen;
    const std::string emptyFolder = files.root + "/NoCalls";
    int step = 0;
    for (auto _ : state) {
        state.PauseTiming();
        {
            const Stopwatch watch;
            reloaded.Reload();
            benchmark::DoNotOptimize(reloaded.Count());
            watch.AddTo(reload);
        }

        // Somewhere else in the list each time, so that no row is drawn from a cache.
        view.verticalScrollBar()->setValue(static_cast<int>(
            (++step * 99'991L) % std::max(1, view.verticalScrollBar()->maximum())));
        QCoreApplication::processEvents();
        {
            const Stopwatch watch;
            benchmark::DoNotOptimize(view.grab());
            watch.AddTo(screen);
        }
        state.ResumeTiming();

        auto frame = OpenFrame(open, files.folder, &made);

        state.PauseTiming();
        // The frame's own cost: the same frame over a call log with no calls.
        OpenFrame(empty, emptyFolder).reset();
        // The first screen of a view that has not seen the rows yet: the view lays out every
        // row before it draws the first screen.
        {
            const Stopwatch watch;
            ov::OVListView fresh(shownList, env.resources);
            fresh.resize(paneSize);
            PaintCounter freshPainted(fresh.viewport());
            fresh.show();
            WaitForPaint(freshPainted, 0);
            watch.AddTo(firstScreen);
        }
        if (frame->List().Count() != static_cast<std::size_t>(ov::bench::kRecords)) {
            state.SkipWithError("not every record was loaded");
        }
        frame.reset();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    const double n = static_cast<double>(state.iterations());
    // In wall time, and again in CPU time of this thread: the steady figure on a machine
    // shared with others.
    for (const auto& [prefix, time] :
         {std::pair<std::string, double Span::*>{"", &Span::wall}, {"cpu_", &Span::cpu}}) {
        state.counters[prefix + "reload_ms"] = reload.*time / n * 1e3;
        state.counters[prefix + "screen_ms"] = screen.*time / n * 1e3;
        state.counters[prefix + "open_ms"] = open.*time / n * 1e3;
        state.counters[prefix + "layout_ms"] = layout.*time * 1e3;
        state.counters[prefix + "empty_open_ms"] = empty.*time / n * 1e3;
        state.counters[prefix + "made_ms"] = made.*time / n * 1e3;
        state.counters[prefix + "first_screen_ms"] = firstScreen.*time / n * 1e3;
        state.counters[prefix + "vs_reload_first_screen"] =
            open.*time / (reload.*time + firstScreen.*time);
        state.counters[prefix + "vs_reload_screen"] = open.*time / (reload.*time + screen.*time);
    }
    state.counters["rows"] = static_cast<double>(reloaded.Count());
}
BENCHMARK(BM_OpenMainFrame)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(5)
    ->DisplayAggregatesOnly(true)
    ->UseRealTime();

// The frame's list paged from the first row to the last with its scroll bar, each page
// painted; the resident set and the heap after opening, after the first pages (the caches a
// first scroll fills) and at the end.
void BM_ScrollTopToBottom(benchmark::State& state) {
    for (auto _ : state) {
        Span ignored;
        auto frame = OpenFrame(ignored);
        ov::OVListView* view = frame->ListView();
        QScrollBar* bar = view->verticalScrollBar();
        PaintCounter painted(view->viewport());
        const long rssOpen = ResidentBytes();
        const double heapOpen = HeapBytes();
        long rssWarm = rssOpen;
        double heapWarm = heapOpen;
        int pages = 0;
        while (bar->value() < bar->maximum()) {
            const int seen = painted.Count();
            bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
            if (!WaitForPaint(painted, seen)) {
                state.SkipWithError("a page was never painted");
                break;
            }
            if (++pages == 100) {
                rssWarm = ResidentBytes();
                heapWarm = HeapBytes();
            }
        }
        const long rssEnd = ResidentBytes();
        const double heapEnd = HeapBytes();
        // The top row of the last page, and the last row on that page.
        const int top = view->indexAt(QPoint(1, 1)).row();
        if (top != bar->maximum() || top + bar->pageStep() < ov::bench::kRecords) {
            state.SkipWithError("the last page does not show the last row");
        }
        if (const QString shot = qEnvironmentVariable("BENCH_SHOT"); !shot.isEmpty()) {
            frame->grab().save(shot);
        }
        state.counters["pages"] = pages;
        state.counters["rows_per_page"] = bar->pageStep();
        state.counters["rss_open_MB"] = static_cast<double>(rssOpen) / 1e6;
        state.counters["rss_growth_bytes"] = static_cast<double>(rssEnd - rssOpen);
        state.counters["rss_growth_ratio"] =
            static_cast<double>(rssEnd - rssOpen) / static_cast<double>(rssOpen);
        state.counters["rss_growth_after_100_pages"] = static_cast<double>(rssEnd - rssWarm);
        state.counters["heap_growth_bytes"] = heapEnd - heapOpen;
        state.counters["heap_growth_after_100_pages"] = heapEnd - heapWarm;
    }
}
BENCHMARK(BM_ScrollTopToBottom)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    // The settings and anything the frame would store stay in the month files' data root.
    const auto& files = ov::bench::TheMonthFiles();
    ov::RegistryStore::UseDefaultPaths(ov::ProgramPaths::InFolder(files.root));
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
