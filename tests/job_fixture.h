// A headless engine for job tests: the model of the controls, the engine
// state, a message box that records what it was asked to show, and a
// temporary tree to work in.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "engine/gbk_literal.h"
#include "platform/codepage.h"
#include "tests/temp_tree.h"

namespace qelvo::testing {

class RecordingMessages : public MessageDialog {
  public:
    void show(const std::string& gbk_text) override {
        std::lock_guard lock(mutex_);
        shown_.push_back(codepage::gbk_to_utf8(gbk_text));
    }
    std::vector<std::string> shown() const {
        std::lock_guard lock(mutex_);
        return shown_;
    }

  private:
    mutable std::mutex mutex_;
    std::vector<std::string> shown_;
};

class JobTest : public ::testing::Test {
  protected:
    explicit JobTest(ThreadStarter starter = platform::start_detached_thread)
        : state(std::move(starter)) {}
    ~JobTest() override { state.wait_until_no_threads(); }

    // Sets a text or caption from a UTF-8 literal.
    void set(std::string_view control, std::string_view utf8) {
        controls.set_text(control, gbk(utf8));
    }
    // A control's text as UTF-8.
    std::string shown(std::string_view control) const {
        return codepage::gbk_to_utf8(controls.text(control));
    }
    void wait() { state.wait_until_no_threads(); }

    // Acts once, on the first write of the property after which the
    // condition holds, on the thread that writes it: a stop or a new start
    // lands at a known point of a run, as a click on the user-interface
    // thread could.
    void act_once_when(std::string_view control, ControlProperty property,
                       std::function<bool()> condition, std::function<void()> action) {
        controls.set_change_listener([this, control, property, condition = std::move(condition),
                                      action = std::move(action)](const ControlChange& change) {
            if (change.name == control && change.property == property && condition() &&
                !acted_.exchange(true)) {
                action();
            }
        });
    }

    // The engine paths in the result list, in row order.
    std::vector<std::string> listed_paths() const {
        std::vector<std::string> paths;
        for (const ReportRow& row : controls.rows("超级列表框1")) paths.push_back(row.at(1));
        return paths;
    }

    ControlModel controls;
    EngineState state;
    RecordingMessages messages;
    Engine engine{controls, state, messages};
    TempTree tree;

  private:
    std::atomic<bool> acted_{false};
};

}  // namespace qelvo::testing
