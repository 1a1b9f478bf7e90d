// How quickly the skinned main window answers while a run over a large tree
// lists its hits and moves its progress bar, and what the skin's two most
// frequent drawings cost.
//
//   qelvo_bench_ui_response.exe CORPUS_DIRECTORY FIND_TEXT
//
// First a copy of qelvo.exe is driven from outside (tests/gui_harness.h): a
// find run over the directory and its subfolders, during which a second
// thread sends the window WM_NULL every 5 ms and times each answer. The find
// job is the one measured because it paints the same rows and progress as a
// replace run while leaving the corpus as it was for the next run.
//
// Then a window of the main window's size is skinned as the main window is,
// in this process, and full renders and caption-button hover frames of it
// are timed one by one.
//
// Each measurement is one line "name samples=N median_ms=... p99_ms=...
// max_ms=..." followed by its own facts, for bench/ui_response.sh to read.
#include <windows.h>

// CommandLineToArgvW; needs the types of windows.h.
#include <shellapi.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstddef>
#include <iomanip>
#include <iostream>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "engine/gbk_literal.h"
#include "resources/skin_images.h"
#include "skin/skin_engine.h"
#include "tests/gui_harness.h"

namespace qelvo::bench {
namespace {

using namespace std::chrono_literals;
using gui_test::GuiApp;

// The find panel's controls, as the layout names them.
constexpr std::string_view kFindPanelButton = "按钮2";
constexpr std::string_view kFindPanel = "分组框5";
constexpr std::string_view kPathBox = "组合框_文件路径2";
constexpr std::string_view kFindBox = "组合框_查找内容2";
constexpr std::string_view kPatternBox = "组合框_文件格式2";
constexpr std::string_view kSubfoldersBox = "选择框_包含子文件夹2";
constexpr std::string_view kStartButton = "按钮_开始查找";
constexpr std::string_view kIdleCaption = "开始查找";
// The find panel's pattern box starts empty, which the start click refuses.
constexpr std::string_view kEveryFile = "*.*";

constexpr auto kProbeInterval = 5ms;
// An answer slower than this counts as none; the window is then hung.
constexpr UINT kProbeTimeoutMs = 5000;
// Looking for the run's end costs the window a message too: seldom enough
// that it adds next to nothing to the load being measured.
constexpr auto kEndPollInterval = 100ms;
constexpr auto kRunTimeout = 30min;

// The main window's frame: its size and style, and the skin's settings for
// it (ui/win32/main_window.cpp).
constexpr int kMainWidth = 559;
constexpr int kMainHeight = 522;
constexpr DWORD kMainStyle = WS_POPUP | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr int kMainCaptionHeight = 110;
constexpr int kMainBarHeight = 25;
constexpr int kStretchedPictureFill = 3;
constexpr wchar_t kBenchWindowClass[] = L"QelvoUiResponseBench";

constexpr int kFullRenders = 200;
constexpr int kHoverFrames = 2000;
// The caption buttons fade in over eight timer steps of growing alpha.
constexpr int kFadeSteps = 8;
constexpr int kAlphaPerFadeStep = 30;
constexpr int kMinimizeButton = 1;

bool fail(std::string_view why) {
    std::cerr << "ui_response: " << why << "\n";
    return false;
}

// Milliseconds from the performance counter, the finest clock there is.
class Stopwatch {
  public:
    Stopwatch() { QueryPerformanceCounter(&start_); }
    double elapsed_ms() const {
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        return static_cast<double>(now.QuadPart - start_.QuadPart) * 1000.0 /
               static_cast<double>(frequency());
    }

  private:
    static LONGLONG frequency() {
        static const LONGLONG ticks_per_second = [] {
            LARGE_INTEGER value;
            QueryPerformanceFrequency(&value);
            return value.QuadPart;
        }();
        return ticks_per_second;
    }
    LARGE_INTEGER start_;
};

struct Summary {
    std::size_t samples = 0;
    double median_ms = 0;
    double p99_ms = 0;
    double max_ms = 0;
};

// Nearest rank: the smallest sample that at least that share of all the
// samples does not exceed.
double percentile(const std::vector<double>& sorted, double share) {
    const auto rank =
        static_cast<std::size_t>(std::ceil(share * static_cast<double>(sorted.size())));
    return sorted[std::max<std::size_t>(rank, 1) - 1];
}

Summary summarize(std::vector<double> samples) {
    if (samples.empty()) return {};
    std::sort(samples.begin(), samples.end());
    return {samples.size(), percentile(samples, 0.5), percentile(samples, 0.99), samples.back()};
}

// The summary's part of a result line; the caller ends the line.
void print_summary(std::string_view name, const Summary& summary) {
    std::cout << name << " samples=" << summary.samples << std::fixed << std::setprecision(3)
              << " median_ms=" << summary.median_ms << " p99_ms=" << summary.p99_ms
              << " max_ms=" << summary.max_ms;
}

// --- The window's answers during a run --------------------------------------

struct ProbeResult {
    std::vector<double> answers_ms;
    std::size_t unanswered = 0;
};

// Sends WM_NULL at a steady pace until asked to stop. A slow answer uses up
// the slots it overran: the next message goes at once, never in a burst.
void probe_window(HWND window, const std::stop_token& stop, ProbeResult& result) {
    auto next = std::chrono::steady_clock::now();
    while (!stop.stop_requested()) {
        const Stopwatch watch;
        DWORD_PTR ignored = 0;
        const bool answered =
            SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, kProbeTimeoutMs, &ignored) != 0;
        result.answers_ms.push_back(watch.elapsed_ms());
        if (!answered) ++result.unanswered;
        next = std::max(next + kProbeInterval, std::chrono::steady_clock::now());
        std::this_thread::sleep_until(next);
    }
}

bool is_directory(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(gui_test::wide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Texts are set as a tool outside the window sets them, with the change
// notification typing would send; the corpus lies in subfolders.
bool fill_find_panel(GuiApp& app, const std::string& corpus, const std::string& find_text) {
    app.click(kFindPanelButton);
    if (!gui_test::wait_until([&] { return app.on_screen(kFindPanel); }))
        return fail("the find panel did not show");
    if (!app.set_text(kPathBox, corpus, true) || !app.set_text(kFindBox, find_text, true) ||
        !app.set_text(kPatternBox, kEveryFile, true) || !app.set_checked(kSubfoldersBox, true))
        return fail("the find panel did not take the texts");
    return true;
}

// Once the click is handled the run goes on, unless a message box names the
// input the window refused.
bool start_run(GuiApp& app) {
    app.click(kStartButton);
    if (!app.settle()) return fail("the window did not handle the start click");
    if (!app.message_box()) return true;
    const std::string message = app.wait_for_message_box().value_or("");
    app.close_message_box();
    return fail("the run did not start: " + message);
}

// The run ends when the last worker gives the start button back its idle
// caption, or with a message box, which is closed.
bool wait_for_end(GuiApp& app) {
    const auto deadline = std::chrono::steady_clock::now() + kRunTimeout;
    while (app.text(kStartButton) != kIdleCaption) {
        if (!app.running()) return fail("qelvo.exe ended during the run");
        if (app.message_box()) {
            std::cout << "message box: " << app.wait_for_message_box().value_or("") << "\n";
            app.close_message_box();
            return true;
        }
        if (std::chrono::steady_clock::now() >= deadline)
            return fail("the run did not end within 30 minutes");
        std::this_thread::sleep_for(kEndPollInterval);
    }
    return true;
}

bool measure_window_response(const std::string& corpus, const std::string& find_text) {
    if (!is_directory(corpus)) return fail("no directory " + corpus);
    GuiApp app;
    if (!app.launch()) return fail(app.error());
    if (!fill_find_panel(app, corpus, find_text)) return false;

    const Stopwatch run_time;
    if (!start_run(app)) return false;
    ProbeResult probe;
    bool ended = false;
    {
        const std::jthread prober(
            [&](const std::stop_token& stop) { probe_window(app.window(), stop, probe); });
        ended = wait_for_end(app);
    }
    const double run_seconds = run_time.elapsed_ms() / 1000.0;
    if (!ended) return false;

    print_summary("window_response", summarize(std::move(probe.answers_ms)));
    std::cout << " unanswered=" << probe.unanswered << " rows=" << app.row_count()
              << " progress=" << app.progress_position() << "/" << app.progress_maximum()
              << std::setprecision(1) << " run_s=" << run_seconds << "\n";
    return true;
}

// --- The skin's drawing -----------------------------------------------------

// Destroys the window before the engine that skinned it goes.
class OwnedWindow {
  public:
    explicit OwnedWindow(HWND window) : window_(window) {}
    ~OwnedWindow() {
        if (window_) DestroyWindow(window_);
    }
    OwnedWindow(const OwnedWindow&) = delete;
    OwnedWindow& operator=(const OwnedWindow&) = delete;
    HWND get() const { return window_; }

  private:
    HWND window_;
};

HWND create_main_sized_window() {
    WNDCLASSW window_class{};
    window_class.lpfnWndProc = DefWindowProcW;
    window_class.hInstance = GetModuleHandleW(nullptr);
    window_class.lpszClassName = kBenchWindowClass;
    if (!RegisterClassW(&window_class)) return nullptr;
    return CreateWindowExW(0, kBenchWindowClass, L"ui response bench", kMainStyle, 40, 40,
                           kMainWidth, kMainHeight, nullptr, nullptr, GetModuleHandleW(nullptr),
                           nullptr);
}

// The main window's skin calls, in its order: the stretched picture, the
// controls skinned without a veil, the frame, the bar and its text.
void skin_like_main_window(skin::SkinEngine& engine, HWND window) {
    engine.setBackground({}, resources::kBackgroundJpg, std::nullopt, std::nullopt,
                         kStretchedPictureFill);
    engine.setOptions(1, 0);
    skin::WindowSkinOptions options;
    options.captionHeight = kMainCaptionHeight;
    options.resizable = 0;
    options.barHeight = kMainBarHeight;
    engine.skinWindow(window, options);
    engine.setBarItem(window, 1, gbk("Qelvo文本替换 首发网站 Varnek"));
    engine.setBarStyle(window, 1, 1);
}

// Lets the window handle what showing it queued, so that no paint of its
// own falls into a timed drawing.
void handle_pending_messages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

template <typename Drawing>
std::vector<double> time_each(int count, Drawing draw) {
    std::vector<double> times;
    times.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        const Stopwatch watch;
        draw(i);
        times.push_back(watch.elapsed_ms());
    }
    return times;
}

// A full render rebuilds the background, caption and bar layers and copies
// the window's picture to its DC.
Summary time_full_renders(skin::SkinEngine& engine, int index, HWND window) {
    HDC dc = GetDC(window);
    std::vector<double> times =
        time_each(kFullRenders, [&](int) { engine.renderWindow(index, dc, true); });
    ReleaseDC(window, dc);
    return summarize(std::move(times));
}

// A hover frame is one step of a caption button's fade: its rectangle
// restored, the highlight at that step's alpha, the image, and the copy to
// the window.
Summary time_hover_frames(skin::SkinEngine& engine, int index) {
    return summarize(time_each(kHoverFrames, [&](int i) {
        const int step = 1 + i % kFadeSteps;
        engine.drawCaptionButton(index, kMinimizeButton, nullptr, false, false,
                                 kAlphaPerFadeStep * step);
    }));
}

bool measure_skin_drawing() {
    skin::SkinEngine engine;
    engine.start(GetModuleHandleW(nullptr));
    if (engine.settings.gdiplusToken == 0) return fail("GDI+ did not start");
    const OwnedWindow window(create_main_sized_window());
    if (!window.get()) return fail("cannot create the window to skin");
    skin_like_main_window(engine, window.get());
    const int index = engine.findSkinWindow(window.get());
    if (index == 0) return fail("the skin kept no record of the window");
    ShowWindow(window.get(), SW_SHOWNOACTIVATE);
    UpdateWindow(window.get());
    handle_pending_messages();
    if (!engine.window(index)->backgroundLayer.dc) return fail("showing rendered no layers");

    print_summary("full_render", time_full_renders(engine, index, window.get()));
    std::cout << " size=" << kMainWidth << "x" << kMainHeight << "\n";
    handle_pending_messages();
    print_summary("hover_frame", time_hover_frames(engine, index));
    std::cout << " button=" << kMinimizeButton << "\n";
    return true;
}

// The arguments as UTF-8, whatever the code page.
std::vector<std::string> arguments() {
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> result;
    for (int i = 0; wide && i < count; ++i) result.push_back(gui_test::utf8(wide[i]));
    LocalFree(wide);
    return result;
}

}  // namespace
}  // namespace qelvo::bench

int main() {
    const std::vector<std::string> args = qelvo::bench::arguments();
    if (args.size() != 3) {
        std::cerr << "usage: qelvo_bench_ui_response CORPUS_DIRECTORY FIND_TEXT\n"
                     "  CORPUS_DIRECTORY is a Windows path (Z:\\... under Wine)\n";
        return 2;
    }
    const bool window_measured = qelvo::bench::measure_window_response(args[1], args[2]);
    const bool skin_measured = qelvo::bench::measure_skin_drawing();
    return window_measured && skin_measured ? 0 : 1;
}
