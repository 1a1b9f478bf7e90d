// The settings file of ui/settings_file.h: any bytes parse, the text it writes parses to the
// same values, a written value reads back as the rules of the header say, a refused write
// changes nothing, and the file on disk goes through the same steps as the document in memory.
//
// Input: a byte of choices (bit 0 lengthens the last value past the read buffer), the file's
// bytes, then up to eight writes of three texts each: section, key and value.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/codepage.h"
#include "tests/fuzz/fuzz_support.h"
#include "tests/fuzz/temp_directory.h"
#include "ui/settings_file.h"

namespace qelvo::fuzz {
namespace {

using ui::IniDocument;

constexpr std::string_view kName = "data.ini";
constexpr std::size_t kMostWrites = 8;

struct Write {
    std::string section;
    std::string key;
    std::string value;
};

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

// What reading a written value gives: without blanks around it, one pair of matching quotes
// taken off, and cut to the read buffer without cutting a two-byte character.
std::string value_read_back(std::string_view value) {
    value = trimmed(value);
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    std::size_t end = 0;
    while (end < value.size()) {
        const bool pair = codepage::is_lead_byte(static_cast<unsigned char>(value[end])) &&
                          end + 1 < value.size();
        const std::size_t next = end + (pair ? 2 : 1);
        if (next > ui::kSettingsValueLimit) break;
        end = next;
    }
    return std::string(value.substr(0, end));
}

bool holds_line_break_or_zero(std::string_view text) {
    return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

// Names of letters, digits, underscores and blanks, not blank throughout: nothing in them can
// make their lines read back otherwise.
bool is_plain_name(std::string_view name) {
    if (trimmed(name).empty()) return false;
    for (const char c : name) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                           (c >= '0' && c <= '9') || c == '_' || c == ' ' || c == '\t';
        if (!plain) return false;
    }
    return true;
}

// Parsing the document's own text again gives the same text and the same values.
void check_reparse(const Checks& checks, const IniDocument& document,
                   const std::vector<Write>& writes, std::string_view when) {
    const std::string bytes = document.bytes();
    const IniDocument reparsed(bytes);
    checks.equal(reparsed.bytes(), bytes, std::string(when) + ": the text parsed again");
    for (const Write& write : writes) {
        checks.equal(reparsed.read(write.section, write.key),
                     document.read(write.section, write.key),
                     std::string(when) + ": a value read from the text parsed again");
    }
}

bool check_write(const Checks& checks, IniDocument& document, const Write& write) {
    const std::string before = document.bytes();
    const bool was_modified = document.modified();
    const bool stored = document.write(write.section, write.key, write.value);
    if (stored) {
        checks.equal(document.read(write.section, write.key), value_read_back(write.value),
                     "a written value read back");
    } else {
        checks.equal(document.bytes(), before, "a refused write leaves the text");
        checks.equal(document.modified(), was_modified, "a refused write modifies nothing");
    }
    const bool refused_for_a_break = holds_line_break_or_zero(write.section) ||
                                     holds_line_break_or_zero(write.key) ||
                                     holds_line_break_or_zero(write.value);
    if (refused_for_a_break) checks.that(!stored, "a line break or zero byte is refused");
    if (!refused_for_a_break && is_plain_name(write.section) && is_plain_name(write.key)) {
        checks.that(stored, "plain names are stored");
    }
    return stored;
}

// The same writes through the file, one read and save each, then all at once with write_many.
void check_file(const Checks& checks, std::string_view original, const std::vector<Write>& writes,
                const IniDocument& expected, const std::vector<bool>& stored) {
    const TempDirectory& directory = TempDirectory::instance();
    directory.put(kName, original);
    ui::SettingsFile file(directory.path(kName));
    for (std::size_t i = 0; i < writes.size(); ++i) {
        checks.equal(file.write(writes[i].section, writes[i].key, writes[i].value), bool(stored[i]),
                     "SettingsFile::write stores what the document stores");
    }
    for (const Write& write : writes) {
        checks.equal(file.read(write.section, write.key), expected.read(write.section, write.key),
                     "SettingsFile::read");
    }
    checks.equal(directory.read(kName),
                 expected.modified() ? expected.bytes() : std::string(original),
                 "the file after the writes");
    checks.equal(directory.entries(), std::vector<std::string>{std::string(kName)},
                 "the directory holds the file alone");
}

void check_write_many(const Checks& checks, std::string_view original,
                      const std::vector<Write>& writes) {
    const std::string& section = writes.front().section;
    IniDocument expected(original);
    bool all_stored = true;
    std::vector<ui::SettingsValue> values;
    for (const Write& write : writes) {
        all_stored = expected.write(section, write.key, write.value) && all_stored;
        values.push_back({write.key, write.value});
    }
    const TempDirectory& directory = TempDirectory::instance();
    directory.put(kName, original);
    ui::SettingsFile file(directory.path(kName));
    checks.equal(file.write_many(section, values), all_stored, "SettingsFile::write_many");
    checks.equal(directory.read(kName),
                 expected.modified() ? expected.bytes() : std::string(original),
                 "the file after write_many");
}

}  // namespace
}  // namespace qelvo::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace qelvo::fuzz;
    FuzzInput input(data, size);
    const std::uint8_t choices = input.take_byte();
    const std::string original = input.take_text();
    std::vector<Write> writes;
    while (!input.empty() && writes.size() < kMostWrites) {
        Write write{input.take_text(), input.take_text(), input.take_text()};
        writes.push_back(std::move(write));
    }
    if ((choices & 1) != 0 && !writes.empty() && !writes.back().value.empty()) {
        std::string& value = writes.back().value;
        while (value.size() <= qelvo::ui::kSettingsValueLimit) value += value;
    }

    Checks checks("fuzz_settings_file");
    checks.note("file", original);
    for (std::size_t i = 0; i < writes.size(); ++i) {
        const std::string n = std::to_string(i);
        checks.note("section " + n, writes[i].section);
        checks.note("key " + n, writes[i].key);
        checks.note("value " + n, writes[i].value);
    }

    qelvo::ui::IniDocument document(original);
    check_reparse(checks, document, writes, "as read");
    std::vector<bool> stored;
    for (const Write& write : writes) stored.push_back(check_write(checks, document, write));
    check_reparse(checks, document, writes, "after the writes");
    if (writes.empty()) return 0;
    check_file(checks, original, writes, document, stored);
    check_write_many(checks, original, writes);
    return 0;
}
