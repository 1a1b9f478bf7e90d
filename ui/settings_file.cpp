#include "ui/settings_file.h"

#include <optional>
#include <utility>

#include "platform/codepage.h"
#include "platform/platform.h"

namespace qelvo::ui {
namespace {

constexpr std::string_view kLineEnd = "\r\n";

bool is_blank(char c) { return c == ' ' || c == '\t'; }

// The second byte of a two-byte character may look like an ASCII letter or
// bracket and must not be taken for one.
bool starts_two_byte_character(char c) {
    return codepage::is_lead_byte(static_cast<unsigned char>(c));
}

std::size_t character_length(std::string_view text, std::size_t position) {
    return starts_two_byte_character(text[position]) && position + 1 < text.size() ? 2 : 1;
}

std::string_view trim_blanks(std::string_view text) {
    while (!text.empty() && is_blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && is_blank(text.back())) text.remove_suffix(1);
    return text;
}

// Names compare without regard to the case of ASCII letters, so they are
// looked up by this form.
std::string folded_name(std::string_view name) {
    std::string folded(trim_blanks(name));
    for (std::size_t position = 0; position < folded.size();) {
        const std::size_t length = character_length(folded, position);
        char& c = folded[position];
        if (length == 1 && c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        position += length;
    }
    return folded;
}

// The name of a "[name]" line: the text between the opening bracket and the
// last closing bracket that starts a character, without blanks around it.
std::optional<std::string_view> section_name_of(std::string_view line) {
    const std::string_view trimmed = trim_blanks(line);
    if (trimmed.empty() || trimmed.front() != '[') return std::nullopt;
    std::optional<std::size_t> closing;
    for (std::size_t position = 1; position < trimmed.size();) {
        if (trimmed[position] == ']') closing = position;
        position += character_length(trimmed, position);
    }
    if (!closing) return std::nullopt;
    return trim_blanks(trimmed.substr(1, *closing - 1));
}

std::string_view unquoted(std::string_view value) {
    const bool quoted = value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
                        value.back() == value.front();
    return quoted ? value.substr(1, value.size() - 2) : value;
}

// The longest start of the value that fits the read buffer without cutting a
// two-byte character in half.
std::string_view cut_to_read_buffer(std::string_view value) {
    if (value.size() <= kSettingsValueLimit) return value;
    std::size_t end = 0;
    while (end < value.size()) {
        const std::size_t next = end + character_length(value, end);
        if (next > kSettingsValueLimit) break;
        end = next;
    }
    return value.substr(0, end);
}

bool holds_line_break_or_zero(std::string_view text) {
    return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

}  // namespace

IniDocument::IniDocument(std::string_view bytes) {
    while (!bytes.empty()) {
        const std::size_t end = bytes.find('\n');
        std::string_view line = bytes.substr(0, end);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        add_line(std::string(line));
        if (end == std::string_view::npos) break;
        bytes.remove_prefix(end + 1);
    }
}

IniDocument::Line IniDocument::parse_line(std::string text) {
    Line line;
    const std::size_t equals = text.find('=');
    const std::string_view name = std::string_view(text).substr(0, equals);
    line.folded_key = folded_name(name);
    if (equals != std::string::npos) {
        const std::string_view after = std::string_view(text).substr(equals + 1);
        const std::string_view value = trim_blanks(after);
        line.value_start = equals + 1 + static_cast<std::size_t>(value.data() - after.data());
        line.value_length = value.size();
    }
    line.text = std::move(text);
    return line;
}

void IniDocument::add_line(std::string text) {
    if (const std::optional<std::string_view> name = section_name_of(text)) {
        std::string folded = folded_name(*name);
        add_section(std::move(text), std::move(folded));
        return;
    }
    if (sections_.empty()) {
        preamble_.push_back(std::move(text));
        return;
    }
    Section& section = sections_.back();
    if (trim_blanks(text).empty()) {
        section.trailer.push_back(std::move(text));
        return;
    }
    // Blank lines followed by more of the section are inside it.
    for (std::string& blank : section.trailer) {
        Line line;
        line.text = std::move(blank);
        section.lines.push_back(std::move(line));
    }
    section.trailer.clear();
    section.lines.push_back(parse_line(std::move(text)));
    const std::string& key = section.lines.back().folded_key;
    if (!key.empty()) section.first_key_line.try_emplace(key, section.lines.size() - 1);
}

IniDocument::Section& IniDocument::add_section(std::string header, std::string folded_name) {
    Section section;
    section.header = std::move(header);
    sections_.push_back(std::move(section));
    first_section_.try_emplace(std::move(folded_name), sections_.size() - 1);
    return sections_.back();
}

const IniDocument::Line* IniDocument::find_key(std::string_view section,
                                               std::string_view key) const {
    const auto found_section = first_section_.find(folded_name(section));
    if (found_section == first_section_.end()) return nullptr;
    const Section& lines = sections_[found_section->second];
    const auto found_key = lines.first_key_line.find(folded_name(key));
    if (found_key == lines.first_key_line.end()) return nullptr;
    return &lines.lines[found_key->second];
}

std::string IniDocument::read(std::string_view section, std::string_view key) const {
    const Line* line = find_key(section, key);
    if (!line || line->value_start == std::string::npos) return {};
    const std::string_view value =
        std::string_view(line->text).substr(line->value_start, line->value_length);
    return std::string(cut_to_read_buffer(unquoted(value)));
}

bool IniDocument::write(std::string_view section, std::string_view key, std::string_view value) {
    if (holds_line_break_or_zero(section) || holds_line_break_or_zero(key) ||
        holds_line_break_or_zero(value)) {
        return false;
    }
    const std::string_view section_name = trim_blanks(section);
    const std::string_view key_name = trim_blanks(key);
    const std::string_view stored_value = trim_blanks(value);
    if (!reads_back(section_name, key_name, stored_value)) return false;
    set_value(section_for_writing(section_name), key_name, stored_value);
    return true;
}

// Whether the header and key line written for these would be read as them.
bool IniDocument::reads_back(std::string_view section, std::string_view key,
                             std::string_view value) {
    if (section.empty() || key.empty()) return false;
    const std::string header = header_line(section);
    const std::optional<std::string_view> header_name = section_name_of(header);
    if (!header_name || folded_name(*header_name) != folded_name(section)) return false;
    const Line line = parse_line(key_line(key, value));
    return !section_name_of(line.text) && line.folded_key == folded_name(key) &&
           line.value_length == value.size();
}

std::string IniDocument::header_line(std::string_view section) {
    return "[" + std::string(section) + "]";
}

std::string IniDocument::key_line(std::string_view key, std::string_view value) {
    return std::string(key) + "=" + std::string(value);
}

IniDocument::Section& IniDocument::section_for_writing(std::string_view section) {
    std::string folded = folded_name(section);
    const auto found = first_section_.find(folded);
    if (found != first_section_.end()) return sections_[found->second];
    separate_from_previous_text();
    return add_section(header_line(section), std::move(folded));
}

void IniDocument::set_value(Section& section, std::string_view key, std::string_view value) {
    const auto found = section.first_key_line.find(folded_name(key));
    if (found == section.first_key_line.end()) {
        section.lines.push_back(parse_line(key_line(key, value)));
        section.first_key_line.emplace(section.lines.back().folded_key, section.lines.size() - 1);
        modified_ = true;
        return;
    }
    Line& existing = section.lines[found->second];
    const std::string_view text = existing.text;
    if (existing.value_start != std::string::npos &&
        text.substr(existing.value_start, existing.value_length) == value) {
        return;
    }
    // The key keeps the spelling it has in the file.
    const std::string_view existing_name = trim_blanks(text.substr(0, text.find('=')));
    existing = parse_line(key_line(existing_name, value));
    modified_ = true;
}

// A blank line keeps a new section apart from the text before it.
void IniDocument::separate_from_previous_text() {
    if (sections_.empty()) {
        if (!preamble_.empty() && !trim_blanks(preamble_.back()).empty()) preamble_.emplace_back();
        return;
    }
    std::vector<std::string>& trailer = sections_.back().trailer;
    if (trailer.empty()) trailer.emplace_back();
}

std::string IniDocument::bytes() const {
    std::string bytes;
    const auto append = [&bytes](std::string_view line) {
        bytes.append(line);
        bytes.append(kLineEnd);
    };
    for (const std::string& line : preamble_) append(line);
    for (const Section& section : sections_) {
        append(section.header);
        for (const Line& line : section.lines) append(line.text);
        for (const std::string& line : section.trailer) append(line);
    }
    return bytes;
}

SettingsFile::SettingsFile(std::string path) : path_(std::move(path)) {}

std::string SettingsFile::read(std::string_view section, std::string_view key) const {
    return load().read(section, key);
}

bool SettingsFile::write(std::string_view section, std::string_view key, std::string_view value) {
    const SettingsValue single{key, value};
    return write_many(section, std::span(&single, 1));
}

IniDocument SettingsFile::load() const {
    if (path_.empty()) return {};
    const std::optional<std::string> bytes = platform::read_file(path_);
    return bytes ? IniDocument(*bytes) : IniDocument();
}

bool SettingsFile::write_many(std::string_view section, std::span<const SettingsValue> values) {
    if (path_.empty()) return false;
    const std::optional<std::string> bytes = platform::read_file(path_);
    if (!bytes && platform::exists(path_)) return false;
    IniDocument document(bytes.value_or(std::string()));
    bool all_stored = true;
    for (const SettingsValue& value : values) {
        all_stored = document.write(section, value.key, value.value) && all_stored;
    }
    if (document.modified() && !platform::write_file_atomic(path_, document.bytes())) return false;
    return all_stored;
}

std::string settings_file_path() {
    const std::string directory = platform::executable_directory();
    return directory.empty() ? std::string() : directory + "data.ini";
}

}  // namespace qelvo::ui
