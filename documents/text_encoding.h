// The encodings of the files the program reads.  The libraries know
// English words in ASCII only, so the program turns every file into a
// byte-for-byte ASCII view for the checker, counts columns in characters
// of the file's own encoding, and writes in the locale's encoding.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace lumo::tool {

enum class FileEncoding { Utf8, ShiftJis, EucJp, Latin1 };

// "utf-8", "shift-jis" (also "sjis", "cp932", "windows-31j"), "euc-jp",
// "latin-1" (also "iso-8859-1"), in any case, '_' for '-'.  "auto" gives
// an empty value; an unknown name gives false.
bool parse_encoding_name(std::string_view name, std::optional<FileEncoding>& encoding);

// The name the program shows ("utf-8", "shift-jis", "euc-jp", "latin-1").
const char* encoding_name(FileEncoding encoding);

// The encoding a locale's codeset (nl_langinfo(CODESET)) names, if it is
// one of ours; ASCII counts as UTF-8.
std::optional<FileEncoding> encoding_of_codeset(std::string_view codeset);

// Decides a file's encoding from its bytes, fed in pieces cut anywhere:
// valid UTF-8 (so plain ASCII too), else valid Shift-JIS, else valid
// EUC-JP, else Latin-1, which every byte sequence is.  A Japanese encoding
// must also hold a kana, a Japanese punctuation mark or another character
// of the first eight rows (Japanese text always does): much Latin-1 text,
// "na\xEFve" or "r\xE9seau", is valid Shift-JIS byte for byte.
class EncodingDetector {
public:
    void feed(std::string_view bytes);
    // A character cut at the end (a truncated file, or only the first
    // block of one fed) leaves its encoding valid.
    FileEncoding decide() const;

private:
    // Bytes still expected by the character under way; -1 once invalid.
    int utf8_pending_ = 0;
    int sjis_pending_ = 0;
    int euc_pending_ = 0;
    // UTF-8: the range the next continuation byte must lie in (no
    // overlong forms, no surrogates, nothing above U+10FFFF).
    unsigned char utf8_low_ = 0x80, utf8_high_ = 0xBF;
    unsigned char sjis_lead_ = 0, euc_lead_ = 0;
    bool sjis_kana_ = false, euc_kana_ = false;
};

FileEncoding detect_encoding(std::string_view bytes);

// A NUL in the first 64 KB given, or the signature of an image, archive or
// program; UTF-16 text, which holds NULs, is told by its byte-order mark.
bool looks_binary(std::string_view bytes);

enum class Utf16Order { None, Little, Big };
// The byte order a UTF-16 byte-order mark at the start names.
Utf16Order utf16_order(std::string_view bytes);

// UTF-16 to UTF-8, fed in pieces cut anywhere; an unpaired surrogate or a
// last odd byte becomes U+FFFD, the byte-order mark is left out.
class Utf16Decoder {
public:
    explicit Utf16Decoder(Utf16Order order) : big_(order == Utf16Order::Big) {}
    void feed(std::string_view bytes, std::string& out);
    void finish(std::string& out);

private:
    void unit(unsigned u, std::string& out);
    bool big_;
    bool started_ = false;
    int odd_ = -1;       // a byte waiting for its pair
    unsigned high_ = 0;  // a high surrogate waiting for its low one
};

// Makes the checker's view of text, byte for byte in place: every byte of
// a non-ASCII character becomes a blank, so a double-byte character
// separates words and never joins one (the Shift-JIS katakana "te" is
// 0x83 0x65, an 'e' behind its lead byte), and a word that holds a letter
// outside ASCII ("naive" with a diaeresis, Greek, Cyrillic) is blanked
// whole rather than checked in pieces.  Bytes that form no character of
// the encoding are read as Latin-1 (UTF-8) or blanked.  Successive pieces
// of a text may be given one by one when each ends at a line end.
void make_checker_view(std::string& text, FileEncoding encoding);

// The length of the longest prefix of text that ends at a character
// boundary (text starting at one), so that a reader of blocks can keep
// the rest for the next block.
size_t complete_prefix(std::string_view text, FileEncoding encoding);

struct TextPosition {
    size_t line = 1;    // from 1
    size_t column = 1;  // characters of the encoding from the line's start, from 1
};

// Line and column of byte offsets of one text, asked in increasing order:
// linear in the text's length however many are asked.
class PositionCounter {
public:
    PositionCounter(std::string_view text, FileEncoding encoding)
        : text_(text), encoding_(encoding) {}
    // offset must not be less than the one asked before.
    TextPosition at(size_t offset);

private:
    std::string_view text_;
    FileEncoding encoding_;
    size_t scanned_ = 0;
    TextPosition position_;
};

// Converts the program's output (words, lines of the file) from the file's
// encoding to the locale's (UTF-8 for the C locale's ASCII); characters
// the locale cannot show, and bytes that form no character, become '?'.
class OutputConverter {
public:
    // to_codeset as nl_langinfo(CODESET) gives it.
    OutputConverter(FileEncoding from, const char* to_codeset);
    ~OutputConverter();
    OutputConverter(const OutputConverter&) = delete;
    OutputConverter& operator=(const OutputConverter&) = delete;

    std::string convert(std::string_view text);
    bool is_identity() const { return identity_; }

private:
    FileEncoding from_;
    bool identity_ = true;
    void* iconv_ = nullptr;  // iconv_t, or null when iconv knows no such conversion
};

}  // namespace lumo::tool
