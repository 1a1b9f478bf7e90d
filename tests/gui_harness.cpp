// Built with the window only: it copies and drives qelvo.exe and links GDI+.
#if defined(_WIN32) && defined(QELVO_GUI_PATH)

#include "tests/gui_harness.h"

#include <windows.h>

// GDI+ needs the COM declarations that WIN32_LEAN_AND_MEAN leaves out.
#include <objidl.h>

#include <commctrl.h>
#include <gdiplus.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <sstream>
#include <thread>

#include "platform/codepage.h"

namespace qelvo::gui_test {
namespace {

using namespace std::chrono_literals;

// A message to a window of another process must never hang the test, even
// when that process is stuck.
constexpr UINT kSendTimeoutMs = 5000;

LRESULT send(HWND window, UINT message, WPARAM wparam = 0, LPARAM lparam = 0) {
    DWORD_PTR result = 0;
    if (!window) return 0;
    if (!SendMessageTimeoutW(window, message, wparam, lparam, SMTO_ABORTIFHUNG, kSendTimeoutMs,
                             &result)) {
        return 0;
    }
    return static_cast<LRESULT>(result);
}

bool same_ascii_letters(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

std::string describe_children(HWND parent) {
    std::ostringstream out;
    for (HWND child : child_windows(parent)) out << "\n    " << describe(window_facts(child));
    return out.str();
}

// Memory inside the program's process, where the list view's messages that
// carry pointers must point: those messages are not copied across
// processes by the system.
class RemoteMemory {
  public:
    RemoteMemory(HANDLE process, std::size_t size)
        : process_(process),
          address_(
              VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE)) {}
    ~RemoteMemory() {
        if (address_) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
    }
    RemoteMemory(const RemoteMemory&) = delete;
    RemoteMemory& operator=(const RemoteMemory&) = delete;

    bool valid() const { return address_ != nullptr; }
    char* at(std::size_t offset) const { return static_cast<char*>(address_) + offset; }

    bool write(std::size_t offset, const void* bytes, std::size_t size) const {
        SIZE_T written = 0;
        return WriteProcessMemory(process_, at(offset), bytes, size, &written) && written == size;
    }
    bool read(std::size_t offset, void* bytes, std::size_t size) const {
        SIZE_T got = 0;
        return ReadProcessMemory(process_, at(offset), bytes, size, &got) && got == size;
    }

  private:
    HANDLE process_;
    void* address_;
};

constexpr std::size_t kRemoteTextChars = 4096;

// Reads one cell of a list view in another process: an LVITEMW and its text
// buffer live in that process, the text is copied back.
std::string remote_item_text(HWND list, const RemoteMemory& memory, int row, int column) {
    const std::size_t text_offset = sizeof(LVITEMW);
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.iSubItem = column;
    item.pszText = reinterpret_cast<LPWSTR>(memory.at(text_offset));
    item.cchTextMax = static_cast<int>(kRemoteTextChars);
    const wchar_t nothing = L'\0';
    if (!memory.write(0, &item, sizeof item) ||
        !memory.write(text_offset, &nothing, sizeof nothing))
        return "<unwritable>";
    const auto length = static_cast<std::size_t>(send(
        list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(memory.at(0))));
    std::wstring text(std::min(length, kRemoteTextChars - 1), L'\0');
    if (!text.empty() && !memory.read(text_offset, text.data(), text.size() * sizeof(wchar_t)))
        return "<unreadable>";
    return utf8(text);
}

BOOL CALLBACK collect_top_level(HWND window, LPARAM context) {
    auto& [process_id, windows] = *reinterpret_cast<std::pair<DWORD, std::vector<HWND>>*>(context);
    DWORD owner_process = 0;
    GetWindowThreadProcessId(window, &owner_process);
    if (owner_process == process_id) windows.push_back(window);
    return TRUE;
}

HWND find_top_level(DWORD process_id, const std::function<bool(HWND)>& wanted) {
    for (HWND window : top_level_windows(process_id)) {
        if (wanted(window)) return window;
    }
    return nullptr;
}

constexpr std::string_view kMessageBoxCaption = "信息：";

bool is_message_box(HWND window) {
    return class_name(window) == "#32770" && window_text(window) == kMessageBoxCaption;
}

// The PNG encoder of GDI+, looked up by its MIME type.
std::optional<CLSID> png_encoder() {
    UINT count = 0;
    UINT size = 0;
    if (Gdiplus::DllExports::GdipGetImageEncodersSize(&count, &size) != Gdiplus::Ok || size == 0)
        return std::nullopt;
    std::vector<unsigned char> buffer(size);
    auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
    if (Gdiplus::DllExports::GdipGetImageEncoders(count, size, codecs) != Gdiplus::Ok)
        return std::nullopt;
    for (UINT i = 0; i < count; ++i) {
        if (codecs[i].MimeType && std::wstring_view(codecs[i].MimeType) == L"image/png")
            return codecs[i].Clsid;
    }
    return std::nullopt;
}

bool save_bitmap_as_png(HBITMAP bitmap, const std::filesystem::path& file) {
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) return false;
    bool saved = false;
    Gdiplus::GpBitmap* image = nullptr;
    const std::optional<CLSID> encoder = png_encoder();
    if (encoder &&
        Gdiplus::DllExports::GdipCreateBitmapFromHBITMAP(bitmap, nullptr, &image) == Gdiplus::Ok) {
        saved = Gdiplus::DllExports::GdipSaveImageToFile(image, file.wstring().c_str(), &*encoder,
                                                         nullptr) == Gdiplus::Ok;
        Gdiplus::DllExports::GdipDisposeImage(image);
    }
    Gdiplus::GdiplusShutdown(token);
    return saved;
}

}  // namespace

bool save_screen_rectangle(const RECT& area, const std::filesystem::path& file) {
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    if (width <= 0 || height <= 0) return false;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    const bool copied =
        BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY | CAPTUREBLT);
    SelectObject(memory, previous);
    const bool saved = copied && save_bitmap_as_png(bitmap, file);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return saved;
}

bool wait_until(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline) return condition();
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

std::wstring wide(std::string_view utf8_text) {
    const std::u16string units = codepage::utf8_to_utf16(utf8_text);
    return std::wstring(units.begin(), units.end());
}

std::string utf8(std::wstring_view wide_text) {
    return codepage::utf16_to_utf8(
        std::u16string_view(reinterpret_cast<const char16_t*>(wide_text.data()), wide_text.size()));
}

std::filesystem::path windows_path(std::string_view build_path) {
    std::string path(build_path);
    if (!path.empty() && path.front() == '/') path = "Z:" + path;  // Wine's drive for "/"
    for (char& c : path) {
        if (c == '/') c = '\\';
    }
    return std::filesystem::path(wide(path));
}

std::string window_text(HWND window) {
    const auto length = static_cast<std::size_t>(send(window, WM_GETTEXTLENGTH));
    std::wstring text(length + 1, L'\0');
    const auto copied = static_cast<std::size_t>(
        send(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data())));
    text.resize(std::min(copied, length));
    return utf8(text);
}

std::string class_name(HWND window) {
    wchar_t name[256] = {};
    const int length = GetClassNameW(window, name, 256);
    return utf8(std::wstring_view(name, length > 0 ? static_cast<std::size_t>(length) : 0));
}

Geometry geometry_in_parent(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    POINT corners[2] = {{rect.left, rect.top}, {rect.right, rect.bottom}};
    MapWindowPoints(HWND_DESKTOP, GetAncestor(window, GA_PARENT), corners, 2);
    return {corners[0].x, corners[0].y, corners[1].x - corners[0].x, corners[1].y - corners[0].y};
}

WindowFacts window_facts(HWND window) {
    WindowFacts facts;
    facts.handle = window;
    facts.class_name = class_name(window);
    facts.parent = GetAncestor(window, GA_PARENT);
    facts.geometry = geometry_in_parent(window);
    facts.text = window_text(window);
    facts.style = GetWindowLongPtrW(window, GWL_STYLE);
    facts.shown = (facts.style & WS_VISIBLE) != 0;
    return facts;
}

std::vector<HWND> child_windows(HWND parent) {
    std::vector<HWND> children;
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    return children;
}

std::vector<HWND> top_level_windows(DWORD process_id) {
    std::pair<DWORD, std::vector<HWND>> search{process_id, {}};
    EnumWindows(collect_top_level, reinterpret_cast<LPARAM>(&search));
    return search.second;
}

std::string describe(const WindowFacts& facts) {
    std::ostringstream out;
    const Geometry& g = facts.geometry;
    out << facts.class_name << " \"" << facts.text << "\" at " << g.left << "," << g.top << " "
        << g.width << "x" << g.height << (facts.shown ? "" : " hidden");
    return out.str();
}

std::string_view class_for(ControlKind kind) {
    switch (kind) {
        case ControlKind::group_box:
        case ControlKind::button:
        case ControlKind::check_box:
            return "Button";
        case ControlKind::label:
        case ControlKind::picture_box:
            return "Static";
        case ControlKind::combo_box:
            return "ComboBox";
        case ControlKind::edit_box:
            return "Edit";
        case ControlKind::progress_bar:
            return "msctls_progress32";
        case ControlKind::report_list:
            return "SysListView32";
        case ControlKind::popup_menu:
            break;
    }
    return "";
}

const ControlLayout* layout_entry(std::string_view name) {
    for (const ControlLayout& control : main_window_layout()) {
        if (control.name == name) return &control;
    }
    return nullptr;
}

bool file_exists(const std::filesystem::path& file) {
    return GetFileAttributesW(file.wstring().c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool write_bytes(const std::filesystem::path& file, std::string_view bytes) {
    HANDLE handle = CreateFileW(file.wstring().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok =
        bytes.empty() ||
        (WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
         written == bytes.size());
    CloseHandle(handle);
    return ok;
}

std::optional<std::string> read_bytes(const std::filesystem::path& file) {
    HANDLE handle = CreateFileW(file.wstring().c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return std::nullopt;
    std::string bytes;
    char buffer[65536];
    DWORD got = 0;
    bool ok = true;
    while ((ok = ReadFile(handle, buffer, sizeof buffer, &got, nullptr)) && got > 0)
        bytes.append(buffer, got);
    CloseHandle(handle);
    if (!ok) return std::nullopt;
    return bytes;
}

IniFile parse_ini(std::string_view bytes) {
    IniFile ini;
    std::string section;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find('\n', start);
        if (end == std::string_view::npos) end = bytes.size();
        std::string_view line = bytes.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            section = std::string(line.substr(1, line.size() - 2));
            ini[section];
            continue;
        }
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos) continue;
        ini[section][std::string(line.substr(0, equals))] = std::string(line.substr(equals + 1));
    }
    return ini;
}

// --- GuiApp -----------------------------------------------------------------

GuiApp::GuiApp() {
    static std::atomic<int> serial{0};
    std::error_code failure;
    directory_ = std::filesystem::temp_directory_path(failure) /
                 ("qelvo-gui-" + std::to_string(GetCurrentProcessId()) + "-" +
                  std::to_string(GetTickCount64()) + "-" + std::to_string(serial.fetch_add(1)));
    if (!failure) std::filesystem::create_directories(directory_, failure);
    if (failure) {
        error_ = "cannot create " + utf8(directory_.wstring()) + ": " + failure.message();
        return;
    }
    copy_program();
}

GuiApp::~GuiApp() {
    stop();
    // Wine may hold the program's files for a moment after it ended.
    wait_until(
        [&] {
            std::error_code ignored;
            std::filesystem::remove_all(directory_, ignored);
            return !std::filesystem::exists(directory_, ignored);
        },
        3s);
}

bool GuiApp::copy_program() {
    const std::filesystem::path program = windows_path(QELVO_GUI_PATH);
    if (!CopyFileW(program.wstring().c_str(), (directory_ / L"qelvo.exe").wstring().c_str(),
                   FALSE)) {
        error_ = "cannot copy " + utf8(program.wstring()) + " (error " +
                 std::to_string(GetLastError()) + ")";
        return false;
    }
    return true;
}

bool GuiApp::launch() {
    if (!error_.empty()) return false;
    const std::wstring program = (directory_ / L"qelvo.exe").wstring();
    std::wstring command_line = L"\"" + program + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    if (!CreateProcessW(program.c_str(), command_line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        directory_.wstring().c_str(), &startup, &process_)) {
        error_ = "CreateProcessW failed with error " + std::to_string(GetLastError());
        return false;
    }
    process_id_ = process_.dwProcessId;
    WaitForInputIdle(process_.hProcess, static_cast<DWORD>(kWaitTimeout.count()));
    const bool found = wait_until([&] {
        window_ = find_main_window();
        return (window_ && IsWindowVisible(window_)) || !running();
    });
    if (!found || !window_ || !running()) {
        DWORD code = 0;
        GetExitCodeProcess(process_.hProcess, &code);
        error_ = running() ? "no visible main window titled " + std::string(kMainWindowTitle)
                           : "qelvo.exe ended at start with exit code " + std::to_string(code);
        return false;
    }
    // The window start routine (settings loaded into the combo boxes) has
    // run once the message loop waits for input.
    WaitForInputIdle(process_.hProcess, static_cast<DWORD>(kWaitTimeout.count()));
    return true;
}

bool GuiApp::running() const {
    return process_.hProcess && WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT;
}

std::optional<DWORD> GuiApp::wait_for_exit(std::chrono::milliseconds timeout) {
    if (!process_.hProcess) return std::nullopt;
    if (WaitForSingleObject(process_.hProcess, static_cast<DWORD>(timeout.count())) !=
        WAIT_OBJECT_0)
        return std::nullopt;
    DWORD code = 0;
    GetExitCodeProcess(process_.hProcess, &code);
    return code;
}

void GuiApp::stop() {
    if (!process_.hProcess) return;
    if (running()) {
        TerminateProcess(process_.hProcess, 1);
        WaitForSingleObject(process_.hProcess, static_cast<DWORD>(kWaitTimeout.count()));
    }
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
    process_ = {};
}

HWND GuiApp::find_main_window() const {
    return find_top_level(process_id_, [&](HWND window) {
        return GetWindow(window, GW_OWNER) == nullptr && class_name(window) != "#32770" &&
               window_text(window) == kMainWindowTitle;
    });
}

HWND GuiApp::find_control(std::string_view name, std::string* why) {
    if (const auto known = controls_.find(name); known != controls_.end()) return known->second;
    const ControlLayout* entry = layout_entry(name);
    if (!entry || entry->kind == ControlKind::popup_menu) {
        if (why) *why = "no window of that name in the layout";
        return nullptr;
    }
    HWND parent = entry->parent.empty() ? window_ : find_control(entry->parent, why);
    if (!parent) return nullptr;
    // A control is known by its class and its place; its height alone may
    // be off (a combo box's field height follows its font), which the
    // layout test reports, while the other tests can still use it.
    std::vector<HWND> matches;
    const Geometry& want = entry->geometry;
    for (HWND child : child_windows(parent)) {
        const Geometry g = geometry_in_parent(child);
        if (g.left == want.left && g.top == want.top && g.width == want.width &&
            same_ascii_letters(class_name(child), class_for(entry->kind)))
            matches.push_back(child);
    }
    if (matches.size() > 1) {
        std::vector<HWND> exact = matches;
        std::erase_if(exact, [&](HWND match) { return geometry_in_parent(match) != want; });
        if (!exact.empty()) matches = exact;
    }
    // Panels that share one place differ only in their captions.
    if (matches.size() > 1) {
        std::erase_if(matches, [&](HWND match) { return window_text(match) != entry->text; });
    }
    if (matches.size() == 1) {
        controls_.emplace(std::string(name), matches.front());
        return matches.front();
    }
    if (why) {
        const Geometry& g = entry->geometry;
        std::ostringstream out;
        out << matches.size() << " windows of class " << class_for(entry->kind) << " at " << g.left
            << "," << g.top << " " << g.width << "x" << g.height << " in "
            << (entry->parent.empty() ? std::string("the main window") : std::string(entry->parent))
            << "; it holds:" << describe_children(parent);
        *why = out.str();
    }
    return nullptr;
}

HWND GuiApp::control(std::string_view name) {
    std::string why;
    HWND found = find_control(name, &why);
    if (!found) {
        ADD_FAILURE() << "control " << name << " not found: " << why;
    }
    return found;
}

std::string GuiApp::text(std::string_view name) {
    HWND window = control(name);
    return window ? window_text(window) : "<no control>";
}

bool GuiApp::shown(std::string_view name) {
    HWND window = control(name);
    return window && (GetWindowLongPtrW(window, GWL_STYLE) & WS_VISIBLE) != 0;
}

bool GuiApp::on_screen(std::string_view name) {
    HWND window = control(name);
    return window && IsWindowVisible(window);
}

bool GuiApp::checked(std::string_view name) {
    return send(control(name), BM_GETCHECK) == BST_CHECKED;
}

std::vector<std::string> GuiApp::items(std::string_view name) {
    HWND combo = control(name);
    std::vector<std::string> result;
    const auto count = static_cast<int>(send(combo, CB_GETCOUNT));
    for (int i = 0; i < count; ++i) {
        const auto length = send(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(i));
        if (length < 0) {
            result.push_back("<unreadable>");
            continue;
        }
        std::wstring item(static_cast<std::size_t>(length) + 1, L'\0');
        const auto copied = send(combo, CB_GETLBTEXT, static_cast<WPARAM>(i),
                                 reinterpret_cast<LPARAM>(item.data()));
        item.resize(copied > 0 ? std::min<std::size_t>(static_cast<std::size_t>(copied),
                                                       static_cast<std::size_t>(length))
                               : 0);
        result.push_back(utf8(item));
    }
    return result;
}

int GuiApp::selected_item(std::string_view name) {
    return static_cast<int>(send(control(name), CB_GETCURSEL));
}

HWND GuiApp::edit_field(std::string_view name) {
    HWND window = control(name);
    const ControlLayout* entry = layout_entry(name);
    if (window && entry && entry->kind == ControlKind::combo_box)
        return FindWindowExW(window, nullptr, L"Edit", nullptr);
    return window;
}

bool GuiApp::type(std::string_view name, std::string_view utf8_text) {
    HWND field = edit_field(name);
    if (!field) return false;
    // Select everything and delete it, then type character by character:
    // each keystroke reaches the window as the user's would.
    PostMessageW(field, EM_SETSEL, 0, -1);
    PostMessageW(field, WM_CHAR, VK_BACK, 1);
    for (wchar_t unit : wide(utf8_text)) PostMessageW(field, WM_CHAR, unit, 1);
    return wait_until([&] { return text(name) == utf8_text; });
}

bool GuiApp::set_text(std::string_view name, std::string_view utf8_text, bool notify) {
    HWND control_window = control(name);
    const ControlLayout* entry = layout_entry(name);
    if (!control_window || !entry) return false;
    const std::wstring new_text = wide(utf8_text);
    send(control_window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(new_text.c_str()));
    if (notify) {
        const WORD code = entry->kind == ControlKind::combo_box ? CBN_EDITCHANGE : EN_CHANGE;
        const auto id = static_cast<WORD>(GetDlgCtrlID(control_window));
        PostMessageW(GetAncestor(control_window, GA_PARENT), WM_COMMAND, MAKEWPARAM(id, code),
                     reinterpret_cast<LPARAM>(control_window));
    }
    return wait_until([&] { return text(name) == utf8_text; });
}

bool GuiApp::choose_item(std::string_view name, int index, bool notify) {
    HWND combo = control(name);
    if (!combo) return false;
    send(combo, CB_SETCURSEL, static_cast<WPARAM>(index));
    if (notify) {
        const auto id = static_cast<WORD>(GetDlgCtrlID(combo));
        PostMessageW(GetAncestor(combo, GA_PARENT), WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(combo));
    }
    return selected_item(name) == index;
}

bool GuiApp::set_checked(std::string_view name, bool checked) {
    HWND box = control(name);
    if (!box) return false;
    send(box, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED);
    return this->checked(name) == checked;
}

void GuiApp::press_key(std::string_view name, UINT virtual_key) {
    HWND field = edit_field(name);
    if (!field) return;
    const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyW(virtual_key, MAPVK_VK_TO_VSC)) << 16;
    PostMessageW(field, WM_KEYDOWN, virtual_key, scan | 1);
    PostMessageW(field, WM_KEYUP, virtual_key, scan | 1 | (LPARAM{1} << 30) | (LPARAM{1} << 31));
}

void GuiApp::click(std::string_view name) {
    if (HWND button = control(name)) PostMessageW(button, BM_CLICK, 0, 0);
}

bool GuiApp::settle() {
    // A posted step change to the progress bar queues behind everything
    // posted before it; once it shows, those messages have been handled.
    // The step only matters to PBM_STEPIT, which the window does not use.
    HWND progress = control("进度条1");
    if (!progress) return false;
    const LPARAM step = 1000 + (++barrier_step_ % 20000);
    PostMessageW(progress, PBM_SETSTEP, static_cast<WPARAM>(step), 0);
    return wait_until([&] { return send(progress, PBM_GETSTEP) == step; });
}

int GuiApp::row_count() { return static_cast<int>(send(control("超级列表框1"), LVM_GETITEMCOUNT)); }

std::vector<ListRow> GuiApp::rows() {
    HWND list = control("超级列表框1");
    std::vector<ListRow> result;
    if (!list) return result;
    const auto column_count =
        static_cast<int>(send(reinterpret_cast<HWND>(send(list, LVM_GETHEADER)), HDM_GETITEMCOUNT));
    RemoteMemory memory(process_.hProcess, sizeof(LVITEMW) + kRemoteTextChars * sizeof(wchar_t));
    if (!memory.valid()) {
        ADD_FAILURE() << "cannot reach the memory of qelvo.exe (error " << GetLastError() << ")";
        return result;
    }
    const int count = row_count();
    for (int row = 0; row < count; ++row) {
        ListRow cells;
        for (int column = 0; column < column_count; ++column)
            cells.push_back(remote_item_text(list, memory, row, column));
        result.push_back(std::move(cells));
    }
    return result;
}

std::vector<ListColumn> GuiApp::columns() {
    HWND list = control("超级列表框1");
    std::vector<ListColumn> result;
    if (!list) return result;
    const auto count =
        static_cast<int>(send(reinterpret_cast<HWND>(send(list, LVM_GETHEADER)), HDM_GETITEMCOUNT));
    constexpr std::size_t kTitleChars = 256;
    RemoteMemory memory(process_.hProcess, sizeof(LVCOLUMNW) + kTitleChars * sizeof(wchar_t));
    if (!memory.valid()) return result;
    for (int index = 0; index < count; ++index) {
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.pszText = reinterpret_cast<LPWSTR>(memory.at(sizeof(LVCOLUMNW)));
        column.cchTextMax = static_cast<int>(kTitleChars);
        wchar_t title[kTitleChars] = {};
        if (!memory.write(0, &column, sizeof column) ||
            !memory.write(sizeof(LVCOLUMNW), title, sizeof title) ||
            !send(list, LVM_GETCOLUMNW, static_cast<WPARAM>(index),
                  reinterpret_cast<LPARAM>(memory.at(0))) ||
            !memory.read(0, &column, sizeof column) ||
            !memory.read(sizeof(LVCOLUMNW), title, sizeof title)) {
            result.push_back({"<unreadable>", 0});
            continue;
        }
        title[kTitleChars - 1] = L'\0';
        result.push_back({utf8(title), column.cx});
    }
    return result;
}

int GuiApp::progress_maximum() {
    return static_cast<int>(send(control("进度条1"), PBM_GETRANGE, FALSE, 0));
}

int GuiApp::progress_position() { return static_cast<int>(send(control("进度条1"), PBM_GETPOS)); }

HWND GuiApp::message_box() { return find_top_level(process_id_, is_message_box); }

std::optional<std::string> GuiApp::wait_for_message_box() {
    HWND box = nullptr;
    if (!wait_until([&] { return (box = message_box()) != nullptr; })) return std::nullopt;
    // The text is the dialog's one static control with a text; the icon's
    // static has none.
    for (HWND child : child_windows(box)) {
        if (same_ascii_letters(class_name(child), "Static")) {
            std::string text = window_text(child);
            if (!text.empty()) return text;
        }
    }
    return std::string();
}

bool GuiApp::close_message_box() {
    HWND box = message_box();
    if (!box) return false;
    HWND ok = GetDlgItem(box, IDOK);
    if (!ok) return false;
    PostMessageW(ok, BM_CLICK, 0, 0);
    return wait_until([&] { return !IsWindow(box); });
}

bool GuiApp::save_screenshot(const std::filesystem::path& file) {
    if (!window_) return false;
    // Other tests' windows open at the same place: keep this one on top
    // while it is copied, and let it finish painting first.
    SetWindowPos(window_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    RedrawWindow(window_, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    settle();
    std::this_thread::sleep_for(500ms);
    settle();
    RECT area{};
    GetWindowRect(window_, &area);
    std::error_code ignored;
    std::filesystem::create_directories(file.parent_path(), ignored);
    return save_screen_rectangle(area, file);
}

RECT area_in_window(HWND window, HWND control) {
    RECT outer{}, inner{};
    GetWindowRect(window, &outer);
    GetWindowRect(control, &inner);
    return RECT{inner.left - outer.left, inner.top - outer.top, inner.right - outer.left,
                inner.bottom - outer.top};
}

std::vector<COLORREF> screen_pixels(HWND window, const RECT& area) {
    RECT outer{};
    GetWindowRect(window, &outer);
    RECT on_screen = area;
    OffsetRect(&on_screen, outer.left, outer.top);
    HDC screen = GetDC(nullptr);
    std::vector<COLORREF> pixels = copy_pixels(screen, on_screen, SRCCOPY | CAPTUREBLT);
    ReleaseDC(nullptr, screen);
    return pixels;
}

void replace_screenshot(GuiApp& app, const std::filesystem::path& file) {
    // Saved aside and renamed over the last picture, so that another run
    // never leaves half a file.
    std::filesystem::path draft = file;
    draft += L"." + std::to_wstring(GetCurrentProcessId()) + L"-" +
             std::to_wstring(GetTickCount64()) + L".part";
    ASSERT_TRUE(app.save_screenshot(draft)) << utf8(draft.wstring());
    const std::string png = read_bytes(draft).value_or("");
    EXPECT_TRUE(
        MoveFileExW(draft.wstring().c_str(), file.wstring().c_str(), MOVEFILE_REPLACE_EXISTING))
        << "error " << GetLastError();
    EXPECT_EQ(png.substr(0, 8), "\x89PNG\r\n\x1a\n");
    // A window with its controls drawn does not compress to almost nothing.
    EXPECT_GT(png.size(), 5000u);
}

}  // namespace qelvo::gui_test

#endif  // _WIN32 && QELVO_GUI_PATH

// Outside the guard above: the in-process skin tests, built whether or not
// the program is, read their windows with this copy as well.
#ifdef _WIN32

#include "tests/gui_harness.h"

namespace qelvo::gui_test {

std::vector<COLORREF> copy_pixels(HDC source, const RECT& area, DWORD raster_operation) {
    const int width = area.right - area.left, height = area.bottom - area.top;
    HDC copy = CreateCompatibleDC(source);
    HBITMAP bitmap = CreateCompatibleBitmap(source, width, height);
    HGDIOBJ previous = SelectObject(copy, bitmap);
    BitBlt(copy, 0, 0, width, height, source, area.left, area.top, raster_operation);
    std::vector<COLORREF> pixels;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) pixels.push_back(GetPixel(copy, x, y));
    }
    SelectObject(copy, previous);
    DeleteObject(bitmap);
    DeleteDC(copy);
    return pixels;
}

}  // namespace qelvo::gui_test

#endif  // _WIN32
