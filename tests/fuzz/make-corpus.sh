#!/usr/bin/env bash
# Writes the seed inputs of the fuzz targets, tests/fuzz/corpus/<target>/<name>, a few tiny
# files each. Run it again after changing a seed here; the files it writes are committed.
#
# Each seed is given to printf %b, in single quotes: \xHH is a byte, and a field of an input
# ends at a backslash followed by another byte, written '\\|' here ('\\\\' is one backslash
# inside a field). GBK bytes: 中 D6 D0, 文 CE C4, the full-width space A1 A1, full-width
# digits A3 B0 to A3 B9, the full-width minus A3 AD; in UTF-8, 中 is E4 B8 AD and € E2 82 AC.
set -euo pipefail

corpus="$(cd "$(dirname "$0")" && pwd)/corpus"
rm -rf "$corpus"

seed() {
    local target="$1" name="$2" bytes="$3"
    mkdir -p "$corpus/$target"
    printf '%b' "$bytes" >"$corpus/$target/$name"
}

# Choices, start, count, then sought, replacement and text.
seed fuzz_text ascii '\x00\x03\xff''ab\\|X\\|''xxabyyABab'
seed fuzz_text ignoring-case '\x01\x00\x02''aB\\|\xD6\xD0\\|''AbabAB\x81\x61b'
seed fuzz_text chinese '\x00\x00\xff''\xD6\xD0\\|\xCE\xC4\\|''a\xD6\xD0\xD0\xD6\xD0b\xD6'
seed fuzz_text line-ends '\x00\x00\xff''\r\n\\|\\|''a\r\nb\r\n\r\n\x81\r\nc\r\n'
seed fuzz_text blanks-and-number '\x00\x00\x00''\x7f\xff\xff\xff\\|\\|'' \xA1\xA1\xA3\xAD\xA3\xB1\xA3\xB22x\xA1\xA1 '

# Choices, place, then sought, alternative and text; texts past 64 bytes reach the vectors.
seed fuzz_byte_search needle '\x00\x35''needle\\|\\|''xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxneedlexxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxneedl'
seed fuzz_byte_search folded '\x01\x10''aB\\|\\|''xxABxabxAbxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxaBxxxxxxxxxxxxxxxxxxxxxxxxxxab'
seed fuzz_byte_search either '\x02\x42''ab\\|cd\\|''..cd..ab..ad..cb...................................................cdab'
seed fuzz_byte_search gbk-starts '\x00\x21''\xD6\xD0\\|\\|''a\xD6\xD0\xD6\xD0\xD6\xD0\xD0\xD6\xD0\xD6a\xD0\xD6\x81\x61\x81'

# Choices, then sought, replacement and text.
seed fuzz_file_contents utf8 '\x00''ab\\|X\\|''xab\xE4\xB8\xAD\xF0\x9F\x98\x80ab\xEF\xBB\xBF'
seed fuzz_file_contents gbk-to-utf8 '\x03''\xD6\xD0\\|\xCE\xC4\\|''a\xD6\xD0b\x80\xFF\xD6\xD0'
seed fuzz_file_contents invalid-utf8 '\x00''a\\|b\\|''\xC0\x80\xED\xA0\x80a\xE4\xB8\xF4\x90\x80\x80a'

# Choices (bit 0 UTF-8, bit 1 ignoring case, bit 2 the rest's UTF-8 form, bits 3-7 the small
# piece size less one), then find, replacement and file.
seed fuzz_file_search gbk-with-zero '\x00''ab\\|X\\|''xxab\xD6\xD0ab\x00ab'
seed fuzz_file_search utf8-converted '\x07''\xD6\xD0\\|\xCE\xC4\\|''a\xD6\xD0\x80b\xD6\xD0'
seed fuzz_file_search utf8-euro '\x11''ab\\|\x81\\|''ab\xE2\x82\xACab'
seed fuzz_file_search second-byte-letter '\x3a''\x81\x61\\|z\\|''\x81\x41\x81\x61a\x81\x61'

# Choices (bit 0 lengthens the last value), the file, then section, key and value, repeated.
seed fuzz_settings_file history '\x00''[History]\r\nfind0=abc\r\n\r\n[Other]\nx = '"'"'q'"'"'\n\\|History\\|find1\\|  new value \\|history\\|FIND0\\|"quoted"'
seed fuzz_settings_file refused '\x00''pre\r\n[a]\r\n\\|a\\|k=\\|v\\|a\\|[k\\|v]\\|a\r\\|k\\|v'
seed fuzz_settings_file gbk-names '\x00''[\xD6\xD0]\r\n\x81\x61=1\r\n\\|\xD6\xD0\\|\x81\x41\\|2\\|\xD6\xD0\\|\x81\x61\\|3'
seed fuzz_settings_file long-value '\x01''\\|s\\|k\\|\xD6\xD0a'

# Pattern, then name.
seed fuzz_wildcard extension '*.txt\\|README.TXT'
seed fuzz_wildcard dot-star 'a.*\\|a'
seed fuzz_wildcard question-marks '??\\|\xD6\xD0a'
seed fuzz_wildcard second-byte-letter '*\x81\x61*\\|x\x81\x41y\x81\x61'
seed fuzz_wildcard stars 'a*b*c*d*?e\\|aaabbbcccdddeeeee'
seed fuzz_wildcard invalid 'a\\\\b|\\|a\\b|'

# The cache file's bytes.
seed fuzz_directory_cache paths 'Z:\\a\\x.txt\r\nZ:\\a\\\xD6\xD0.txt\r\n'
seed fuzz_directory_cache empty-lines '\r\n\r\na\r\n\x81\r\nb'
seed fuzz_directory_cache zero-byte 'a\r\nb\x00c\r\n'
seed fuzz_directory_cache path-box 'C:\\www\\site.ldz'

echo "make-corpus: wrote $(find "$corpus" -type f | wc -l) seeds to $corpus"
