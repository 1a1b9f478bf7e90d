// Where a front end hears of the files a run could not write, restore or
// delete. The window shows only its count labels; the headless front end
// names each file.
#pragma once

#include <string>
#include <string_view>

namespace qelvo {

class FailureReport {
  public:
    virtual ~FailureReport() = default;
    // Called on the worker's thread: path is an engine path, what says what
    // did not happen ("not written"), reason why.
    virtual void file_failed(const std::string& path, std::string_view what,
                             const std::string& reason) = 0;
};

// Tells the engine's report, if it has one.
inline void report_failure(FailureReport* report, const std::string& path, std::string_view what,
                           const std::string& reason) {
    if (report != nullptr) report->file_failed(path, what, reason);
}

}  // namespace qelvo
