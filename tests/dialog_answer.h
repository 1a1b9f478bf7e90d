// Answers a modal system dialog (a folder browser, an open-file dialog) that
// a call on this thread shows, from a second thread once the dialog is up.
#pragma once
#ifdef _WIN32

#include <windows.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <string_view>
#include <thread>

namespace qelvo::testing {

// `answer` gets the dialog window.
class DialogAnswer {
  public:
    explicit DialogAnswer(std::function<void(HWND)> answer)
        : ui_thread_(GetCurrentThreadId()), answer_(std::move(answer)) {
        thread_ = std::thread([this] { run(); });
    }
    ~DialogAnswer() {
        stop_ = true;
        thread_.join();
    }
    DialogAnswer(const DialogAnswer&) = delete;
    DialogAnswer& operator=(const DialogAnswer&) = delete;

    bool answered() const { return answered_; }

  private:
    void run() {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!stop_ && std::chrono::steady_clock::now() < deadline) {
            if (HWND dialog = find_dialog()) {
                // Give the dialog time to fill itself before it is answered.
                std::this_thread::sleep_for(std::chrono::milliseconds(300));
                answer_(dialog);
                answered_ = true;
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }

    HWND find_dialog() const {
        HWND found = nullptr;
        EnumThreadWindows(
            ui_thread_,
            [](HWND window, LPARAM result) {
                wchar_t class_name[16] = {};
                GetClassNameW(window, class_name, 16);
                if (std::wstring_view(class_name) != L"#32770" || !IsWindowVisible(window)) {
                    return TRUE;
                }
                *reinterpret_cast<HWND*>(result) = window;
                return FALSE;
            },
            reinterpret_cast<LPARAM>(&found));
        return found;
    }

    DWORD ui_thread_;
    std::function<void(HWND)> answer_;
    std::atomic<bool> stop_ = false;
    std::atomic<bool> answered_ = false;
    std::thread thread_;
};

}  // namespace qelvo::testing

#endif  // _WIN32
