// The settings file: an INI file of GBK bytes beside the executable that
// keeps the combo boxes' input histories. It behaves as the Windows
// private-profile functions do, implemented here so that it works the same
// on every platform:
// - "[section]" lines open sections, "key=value" lines under them hold
//   values; section and key names match without regard to the case of the
//   ASCII letters (the second byte of a two-byte character is never folded).
// - Spaces and tabs around names and values are not part of them. A value
//   read back loses one pair of matching surrounding quotes ("..." or '...').
// - The first section of a name and the first key of a name in it count;
//   lines before the first section belong to none.
// - A read value is cut to 10239 bytes (a 10240-byte buffer), never inside a
//   two-byte character; a missing file, section or key reads as empty text.
// - A written key replaces its line in place, or goes after the last
//   non-blank line of its section; a missing section is added at the end of
//   the file. Every line is written with CR LF; files with LF alone are read
//   as well and come back with CR LF after the next write.
// - Names or values holding a line break (CR or LF) or a zero byte are
//   refused: the Windows functions would write them raw and the text after
//   the break would turn into other keys or sections. So are empty names and
//   any name or value whose line would not read back as written, such as a
//   key holding "=". A refused write changes nothing and reports failure.
// - The file is replaced atomically, so a crash during a save leaves either
//   the old or the new file. A file that exists but cannot be read is not
//   written, so that a passing read failure never wipes the histories.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace qelvo::ui {

// Room for a read value: Windows callers pass a buffer of 10240 bytes, one of
// which holds the terminating zero.
inline constexpr std::size_t kSettingsValueLimit = 10239;

// The parsed text of an INI file, kept line for line so that a write changes
// only the line of its key.
class IniDocument {
  public:
    IniDocument() = default;
    explicit IniDocument(std::string_view bytes);

    // The value as the Windows read function gives it: trimmed, unquoted and
    // cut to kSettingsValueLimit; empty when missing.
    std::string read(std::string_view section, std::string_view key) const;
    // False when the names or the value are refused (see above).
    bool write(std::string_view section, std::string_view key, std::string_view value);

    // Whether a write changed anything since the document was parsed.
    bool modified() const { return modified_; }
    // The file's bytes, every line ending in CR LF.
    std::string bytes() const;

  private:
    struct Line {
        std::string text;
        // The folded key name of a key line, empty for other lines.
        std::string folded_key;
        // Where the value starts in text and how long it is, blanks trimmed;
        // npos for a line without an equals sign.
        std::size_t value_start = std::string::npos;
        std::size_t value_length = 0;
    };
    struct Section {
        std::string header;
        std::vector<Line> lines;           // up to and with the last non-blank line
        std::vector<std::string> trailer;  // blank lines after it
        std::unordered_map<std::string, std::size_t> first_key_line;
    };

    static Line parse_line(std::string text);
    void add_line(std::string text);
    Section& add_section(std::string header, std::string folded_name);
    void separate_from_previous_text();
    const Line* find_key(std::string_view section, std::string_view key) const;
    static bool reads_back(std::string_view section, std::string_view key, std::string_view value);
    static std::string header_line(std::string_view section);
    static std::string key_line(std::string_view key, std::string_view value);
    Section& section_for_writing(std::string_view section);
    void set_value(Section& section, std::string_view key, std::string_view value);

    std::vector<std::string> preamble_;  // lines before the first section
    std::vector<Section> sections_;
    std::unordered_map<std::string, std::size_t> first_section_;
    bool modified_ = false;
};

struct SettingsValue {
    std::string_view key;
    std::string_view value;
};

class SettingsFile {
  public:
    // An engine path (GBK). An empty path names no file: reads give empty
    // text and writes fail.
    explicit SettingsFile(std::string path);

    const std::string& path() const { return path_; }

    // The file is read anew for every call, as the Windows functions do.
    std::string read(std::string_view section, std::string_view key) const;
    bool write(std::string_view section, std::string_view key, std::string_view value);

    // For many keys at once: one parse of the file, then read() on the
    // document gives what read() here would give for each key.
    IniDocument load() const;
    // Writes the values in order with one read and one save of the file,
    // with the result of one write() per value; refused values are skipped.
    // True when every value was stored.
    bool write_many(std::string_view section, std::span<const SettingsValue> values);

  private:
    std::string path_;
};

// The executable's directory followed by "data.ini"; empty when the
// executable's directory cannot be written in GBK.
std::string settings_file_path();

}  // namespace qelvo::ui
