// What every fuzz target shares: reading its inputs out of the fuzzer's bytes, holding texts in
// buffers of their exact size, and stopping with a readable report at the first difference.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "tests/byte_literal.h"

namespace qelvo::fuzz {

// The fuzzer's bytes taken from the front: single bytes for choices, then texts. A text runs up
// to a backslash followed by anything but a second backslash (both are dropped), and a doubled
// backslash stands for one, so seeds can be written by hand: "find\Ntext" is the text "find"
// followed by whatever comes after the N.
class FuzzInput {
  public:
    FuzzInput(const std::uint8_t* data, std::size_t size)
        : rest_(reinterpret_cast<const char*>(data), size) {}

    // 0 once the bytes are used up, so every input means something.
    std::uint8_t take_byte() {
        if (rest_.empty()) return 0;
        const auto byte = static_cast<std::uint8_t>(rest_.front());
        rest_.remove_prefix(1);
        return byte;
    }

    std::string take_text() {
        std::string text;
        while (!rest_.empty()) {
            const char byte = rest_.front();
            rest_.remove_prefix(1);
            if (byte != '\\') {
                text.push_back(byte);
                continue;
            }
            if (rest_.empty()) break;
            const char next = rest_.front();
            rest_.remove_prefix(1);
            if (next != '\\') break;
            text.push_back('\\');
        }
        return text;
    }

    bool empty() const { return rest_.empty(); }

    // Everything not taken yet, as it is.
    std::string take_rest() {
        std::string rest(rest_);
        rest_ = {};
        return rest;
    }

  private:
    std::string_view rest_;
};

// A text in a heap block of exactly its size: a std::string keeps spare capacity and a short
// one lives inside the object, so AddressSanitizer would not see a read past its end. An empty
// text has a block of its own too, so its begin is never a null pointer.
class ExactBytes {
  public:
    explicit ExactBytes(std::string_view bytes)
        : bytes_(new char[bytes.size()]), size_(bytes.size()) {
        std::copy(bytes.begin(), bytes.end(), bytes_.get());
    }

    const char* begin() const { return bytes_.get(); }
    const char* end() const { return bytes_.get() + size_; }
    std::size_t size() const { return size_; }
    std::string_view view() const { return {bytes_.get(), size_}; }

  private:
    std::unique_ptr<char[]> bytes_;
    std::size_t size_;
};

inline std::string describe(std::string_view bytes) { return testing::byte_literal(bytes); }
inline std::string describe(const std::string& bytes) { return testing::byte_literal(bytes); }
inline std::string describe(const char* bytes) { return testing::byte_literal(bytes); }
inline std::string describe(bool value) { return value ? "true" : "false"; }
template <typename Number>
std::string describe(Number value) requires std::is_arithmetic_v<Number> {
    return std::to_string(value);
}
template <typename Item>
std::string describe(const std::vector<Item>& items) {
    std::string text = "{";
    for (std::size_t i = 0; i < items.size(); ++i) {
        text += (i == 0 ? "" : ", ") + describe(items[i]);
    }
    return text + "}";
}

// The inputs of one run and the checks on it. The first failed check prints the inputs, what
// differed, and aborts, which libFuzzer takes for a crash and saves the input of.
class Checks {
  public:
    explicit Checks(std::string target) : target_(std::move(target)) {}

    // An input to show in the report; a second note of a name replaces the first.
    template <typename Value>
    void note(std::string_view name, const Value& value) {
        for (auto& [noted, text] : notes_) {
            if (noted == name) {
                text = describe(value);
                return;
            }
        }
        notes_.emplace_back(std::string(name), describe(value));
    }

    void that(bool holds, std::string_view what) const {
        if (!holds) fail(what, {});
    }

    template <typename Got, typename Expected>
    void equal(const Got& got, const Expected& expected, std::string_view what) const {
        if (got == expected) return;
        fail(what, "\n  got       " + describe(got) + "\n  expected  " + describe(expected));
    }

  private:
    [[noreturn]] void fail(std::string_view what, const std::string& difference) const {
        std::string report = target_ + ": " + std::string(what) + difference;
        for (const auto& [name, value] : notes_) report += "\n  " + name + " = " + value;
        std::fprintf(stderr, "%s\n", report.c_str());
        std::abort();
    }

    std::string target_;
    std::vector<std::pair<std::string, std::string>> notes_;
};

}  // namespace qelvo::fuzz
