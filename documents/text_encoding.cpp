#include "documents/text_encoding.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>

#include "common/char_class.h"
#include "common/shift_jis.h"
#include "documents/utf8.h"

namespace lumo::tool {

namespace {

using common::is_word_char;

std::string normalised_name(std::string_view name) {
    std::string out;
    for (char c : name) {
        if (c == '-' || c == '_') continue;
        out.push_back(common::to_lower(c));
    }
    return out;
}

struct NamedEncoding {
    const char* name;  // normalised
    FileEncoding encoding;
};

// Shift-JIS goes by the shared list of its names.
constexpr NamedEncoding Names[] = {
    {"utf8", FileEncoding::Utf8},     {"eucjp", FileEncoding::EucJp},
    {"latin1", FileEncoding::Latin1}, {"iso88591", FileEncoding::Latin1},
    {"l1", FileEncoding::Latin1},
};

const char* iconv_name(FileEncoding encoding) {
    switch (encoding) {
        case FileEncoding::ShiftJis: return "CP932";
        case FileEncoding::EucJp: return "EUC-JP";
        case FileEncoding::Latin1: return "ISO-8859-1";
        case FileEncoding::Utf8: break;
    }
    return "UTF-8";
}

using common::is_shift_jis_lead_byte;
bool is_sjis_trail(unsigned char c) { return c >= 0x40 && c <= 0xFC && c != 0x7F; }
bool is_euc_byte(unsigned char c) { return c >= 0xA1 && c <= 0xFE; }

bool is_latin_letter(unsigned cp) {
    if (cp >= 0xC0 && cp <= 0x24F) return cp != 0xD7 && cp != 0xF7;
    return cp >= 0x300 && cp < 0x2000;  // combining marks, Greek, Cyrillic, ...
}

// One character: its length in bytes (at least 1) and whether it is a
// letter that makes its word foreign.
struct Character {
    size_t length = 1;
    bool foreign_letter = false;
};

Character utf8_character(const unsigned char* p, size_t n) {
    unsigned cp = 0;
    const size_t len = utf8_sequence(p, n, &cp);
    if (len == 0) return {1, is_latin_letter(p[0])};  // read as Latin-1
    return {len, is_latin_letter(cp)};
}

// JIS X 0208 rows 6 and 7 hold Greek and Cyrillic.
bool is_foreign_jis_row(unsigned row) { return row == 6 || row == 7; }

Character sjis_character(const unsigned char* p, size_t n) {
    if (!is_shift_jis_lead_byte(p[0]) || n < 2 || !is_sjis_trail(p[1])) return {1, false};
    const unsigned pair = (p[0] <= 0x9F ? p[0] - 0x81u : p[0] - 0xC1u) * 2;
    return {2, is_foreign_jis_row(pair + (p[1] >= 0x9F ? 2u : 1u))};
}

Character euc_character(const unsigned char* p, size_t n) {
    if (p[0] == 0x8E && n >= 2 && p[1] >= 0xA1 && p[1] <= 0xDF) return {2, false};
    if (p[0] == 0x8F && n >= 3 && is_euc_byte(p[1]) && is_euc_byte(p[2])) {
        // JIS X 0212: rows 6 and 7 Greek and Cyrillic, 9 to 11 accented Latin.
        const unsigned row = p[1] - 0xA0u;
        return {3, is_foreign_jis_row(row) || (row >= 9 && row <= 11)};
    }
    if (is_euc_byte(p[0]) && n >= 2 && is_euc_byte(p[1]))
        return {2, is_foreign_jis_row(p[0] - 0xA0u)};
    return {1, false};
}

// The bytes a character that starts with lead takes when it is valid.
size_t expected_length(unsigned char lead, FileEncoding encoding) {
    switch (encoding) {
        case FileEncoding::ShiftJis: return is_shift_jis_lead_byte(lead) ? 2 : 1;
        case FileEncoding::EucJp:
            return lead == 0x8F ? 3 : (lead == 0x8E || is_euc_byte(lead)) ? 2 : 1;
        case FileEncoding::Latin1: return 1;
        case FileEncoding::Utf8: break;
    }
    return utf8_lead(lead).length;
}

Character next_character(const unsigned char* p, size_t n, FileEncoding encoding) {
    if (p[0] < 0x80) return {1, false};
    switch (encoding) {
        case FileEncoding::ShiftJis: return sjis_character(p, n);
        case FileEncoding::EucJp: return euc_character(p, n);
        case FileEncoding::Latin1: return {1, is_latin_letter(p[0])};
        case FileEncoding::Utf8: break;
    }
    return utf8_character(p, n);
}

void append_utf8(unsigned code, std::string& out) {
    if (code < 0x80) {
        out.push_back(static_cast<char>(code));
    } else if (code < 0x800) {
        out.push_back(static_cast<char>(0xC0 | code >> 6));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | code >> 12));
        out.push_back(static_cast<char>(0x80 | (code >> 6 & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | code >> 18));
        out.push_back(static_cast<char>(0x80 | (code >> 12 & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code >> 6 & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
}

// The first byte from i on that is not ASCII, else n: eight bytes at a
// time, since most text is ASCII throughout.
size_t next_high_byte(const unsigned char* p, size_t i, size_t n) {
    for (; i + 8 <= n; i += 8) {
        uint64_t w;
        std::memcpy(&w, p + i, sizeof w);
        if ((w & 0x8080808080808080u) != 0) break;
    }
    while (i < n && p[i] < 0x80) ++i;
    return i;
}

}  // namespace

bool parse_encoding_name(std::string_view name, std::optional<FileEncoding>& encoding) {
    const std::string key = normalised_name(name);
    if (key == "auto") {
        encoding.reset();
        return true;
    }
    for (const NamedEncoding& named : Names) {
        if (key == named.name) {
            encoding = named.encoding;
            return true;
        }
    }
    for (const char* sjis : common::ShiftJisNames) {
        if (key == normalised_name(sjis)) {
            encoding = FileEncoding::ShiftJis;
            return true;
        }
    }
    return false;
}

const char* encoding_name(FileEncoding encoding) {
    switch (encoding) {
        case FileEncoding::ShiftJis: return "shift-jis";
        case FileEncoding::EucJp: return "euc-jp";
        case FileEncoding::Latin1: return "latin-1";
        case FileEncoding::Utf8: break;
    }
    return "utf-8";
}

std::optional<FileEncoding> encoding_of_codeset(std::string_view codeset) {
    const std::string key = normalised_name(codeset);
    // The C locale's codeset: shown as UTF-8, which it is a subset of.
    if (key == "ansix3.41968" || key == "ascii" || key == "usascii") return FileEncoding::Utf8;
    std::optional<FileEncoding> encoding;
    if (!parse_encoding_name(codeset, encoding) || !encoding) return std::nullopt;
    return encoding;
}

void EncodingDetector::feed(std::string_view bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    for (size_t i = 0; i < bytes.size(); ++i) {
        // ASCII between characters changes none of the three.
        if (utf8_pending_ <= 0 && sjis_pending_ <= 0 && euc_pending_ <= 0) {
            // Invalid in all three: Latin-1 whatever follows.
            if (utf8_pending_ < 0 && sjis_pending_ < 0 && euc_pending_ < 0) return;
            i = next_high_byte(p, i, bytes.size());
            if (i == bytes.size()) return;
        }
        const unsigned char c = p[i];
        if (utf8_pending_ > 0) {
            utf8_pending_ = (c < utf8_low_ || c > utf8_high_) ? -1 : utf8_pending_ - 1;
            utf8_low_ = 0x80;
            utf8_high_ = 0xBF;
        } else if (utf8_pending_ == 0 && c >= 0x80) {
            const Utf8Lead lead = utf8_lead(c);
            utf8_pending_ = lead.length == 1 ? -1 : static_cast<int>(lead.length) - 1;
            utf8_low_ = lead.low;
            utf8_high_ = lead.high;
        }
        if (sjis_pending_ > 0) {
            sjis_pending_ = is_sjis_trail(c) ? 0 : -1;
            sjis_kana_ = sjis_kana_ || (sjis_pending_ == 0 && sjis_lead_ <= 0x84);
        } else if (sjis_pending_ == 0 && c >= 0x80) {
            if (is_shift_jis_lead_byte(c)) {
                sjis_pending_ = 1;
                sjis_lead_ = c;
            } else if (c < 0xA1 || c > 0xDF) {
                sjis_pending_ = -1;
            }
        }
        if (euc_pending_ > 0) {
            euc_pending_ = is_euc_byte(c) ? euc_pending_ - 1 : -1;
            euc_kana_ = euc_kana_ || (euc_pending_ == 0 && euc_lead_ >= 0xA1 && euc_lead_ <= 0xA8);
        } else if (euc_pending_ == 0 && c >= 0x80) {
            if (c == 0x8E || is_euc_byte(c)) {
                euc_pending_ = 1;
                euc_lead_ = c;
            } else if (c == 0x8F) {
                euc_pending_ = 2;
            } else {
                euc_pending_ = -1;
            }
        }
    }
}

FileEncoding EncodingDetector::decide() const {
    const auto valid = [](int pending) { return pending >= 0; };
    if (valid(utf8_pending_)) return FileEncoding::Utf8;
    if (valid(sjis_pending_) && sjis_kana_) return FileEncoding::ShiftJis;
    if (valid(euc_pending_) && euc_kana_) return FileEncoding::EucJp;
    return FileEncoding::Latin1;
}

FileEncoding detect_encoding(std::string_view bytes) {
    EncodingDetector detector;
    detector.feed(bytes);
    return detector.decide();
}

bool looks_binary(std::string_view bytes) {
    if (utf16_order(bytes) != Utf16Order::None) return false;
    if (std::memchr(bytes.data(), '\0', std::min<size_t>(bytes.size(), 65536)) != nullptr)
        return true;
    static constexpr std::string_view Signatures[] = {
        "\x89PNG",
        "\xff\xd8\xff",
        "GIF8",
        "PK\x03\x04",
        "\x1f\x8b",
        "BZh",
        "\xfd"
        "7zXZ",
        "7z\xbc\xaf",
        "\x28\xb5\x2f\xfd",
        "%PDF-",
        "\x7f"
        "ELF",
        "Rar!",
        "RIFF",
        "OggS",
        "ID3",
        "wOFF",
        "wOF2",
    };
    for (std::string_view signature : Signatures)
        if (bytes.substr(0, signature.size()) == signature) return true;
    return false;
}

Utf16Order utf16_order(std::string_view bytes) {
    if (bytes.substr(0, 2) == "\xff\xfe") return Utf16Order::Little;
    if (bytes.substr(0, 2) == "\xfe\xff") return Utf16Order::Big;
    return Utf16Order::None;
}

void Utf16Decoder::feed(std::string_view bytes, std::string& out) {
    for (unsigned char c : bytes) {
        if (odd_ < 0) {
            odd_ = c;
            continue;
        }
        const unsigned u = big_ ? (static_cast<unsigned>(odd_) << 8 | c)
                                : (static_cast<unsigned>(c) << 8 | static_cast<unsigned>(odd_));
        odd_ = -1;
        unit(u, out);
    }
}

void Utf16Decoder::unit(unsigned u, std::string& out) {
    const bool first = !started_;
    started_ = true;
    if (first && u == 0xFEFF) return;
    unsigned code = u;
    if (high_ != 0) {
        if (u >= 0xDC00 && u <= 0xDFFF) {
            code = 0x10000 + ((high_ - 0xD800) << 10) + (u - 0xDC00);
            high_ = 0;
            append_utf8(code, out);
            return;
        }
        high_ = 0;
        append_utf8(0xFFFD, out);
    }
    if (u >= 0xD800 && u <= 0xDBFF) {
        high_ = u;
        return;
    }
    append_utf8(u >= 0xDC00 && u <= 0xDFFF ? 0xFFFD : code, out);
}

void Utf16Decoder::finish(std::string& out) {
    if (high_ != 0 || odd_ >= 0) append_utf8(0xFFFD, out);
    high_ = 0;
    odd_ = -1;
}

void make_checker_view(std::string& text, FileEncoding encoding) {
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(text.data());
    const size_t n = text.size();
    size_t i = 0;
    while (i < n) {
        // Runs of ASCII alone stay as they are: on to the run that holds
        // the next other byte.
        const size_t high = next_high_byte(bytes, i, n);
        if (high == n) return;
        for (i = high; i > 0 && is_word_char(bytes[i - 1]);) --i;
        // A run of word bytes and letters, ended by anything else.
        const size_t start = i;
        bool foreign = false;
        while (i < n) {
            if (bytes[i] < 0x80) {
                if (!is_word_char(bytes[i])) break;
                ++i;
                continue;
            }
            const Character ch = next_character(bytes + i, n - i, encoding);
            if (!ch.foreign_letter) {
                for (size_t k = 0; k < ch.length; ++k) text[i + k] = ' ';
                i += ch.length;
                break;
            }
            foreign = true;
            i += ch.length;
        }
        if (foreign)
            for (size_t k = start; k < i; ++k) text[k] = ' ';
    }
}

size_t complete_prefix(std::string_view text, FileEncoding encoding) {
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(text.data());
    size_t i = 0;
    while (i < text.size()) {
        // A character that the next block may complete.
        if (expected_length(bytes[i], encoding) > text.size() - i) return i;
        i += next_character(bytes + i, text.size() - i, encoding).length;
    }
    return i;
}

TextPosition PositionCounter::at(size_t offset) {
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(text_.data());
    if (offset > text_.size()) offset = text_.size();
    if (scanned_ >= offset) return position_;
    // No encoding has a line end inside a character: whole lines are
    // counted at once, and characters only on the offset's own line.
    size_t last_end = offset;
    while (last_end > scanned_ && bytes[last_end - 1] != '\n') --last_end;
    if (last_end > scanned_) {
        position_.line += static_cast<size_t>(std::count(bytes + scanned_, bytes + last_end, '\n'));
        position_.column = 1;
        scanned_ = last_end;
    }
    while (scanned_ < offset) {
        if (bytes[scanned_] < 0x80) {
            const size_t ascii_end = next_high_byte(bytes, scanned_, offset);
            position_.column += ascii_end - scanned_;
            scanned_ = ascii_end;
            continue;
        }
        scanned_ += next_character(bytes + scanned_, text_.size() - scanned_, encoding_).length;
        ++position_.column;
    }
    return position_;
}

OutputConverter::OutputConverter(FileEncoding from, const char* to_codeset) : from_(from) {
    const char* codeset = to_codeset != nullptr ? to_codeset : "UTF-8";
    const std::optional<FileEncoding> to = encoding_of_codeset(codeset);
    if (to == from) return;
    identity_ = false;
    const iconv_t cd = iconv_open(to ? iconv_name(*to) : codeset, iconv_name(from));
    if (cd != reinterpret_cast<iconv_t>(-1)) iconv_ = cd;
}

OutputConverter::~OutputConverter() {
    if (iconv_ != nullptr) iconv_close(static_cast<iconv_t>(iconv_));
}

std::string OutputConverter::convert(std::string_view text) {
    bool ascii = true;
    for (char c : text) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    if (identity_ || ascii) return std::string(text);
    std::string out;
    if (iconv_ == nullptr) {
        for (char c : text) out.push_back(static_cast<unsigned char>(c) < 0x80 ? c : '?');
        return out;
    }
    const iconv_t cd = static_cast<iconv_t>(iconv_);
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char* in = const_cast<char*>(text.data());
    size_t in_left = text.size();
    char buffer[256];
    while (in_left > 0) {
        char* put = buffer;
        size_t room = sizeof buffer;
        const size_t done = iconv(cd, &in, &in_left, &put, &room);
        out.append(buffer, static_cast<size_t>(put - buffer));
        if (done != static_cast<size_t>(-1) || errno == E2BIG) continue;
        // A character the target cannot hold, or bytes that form none.
        out.push_back('?');
        const size_t skip =
            next_character(reinterpret_cast<const unsigned char*>(in), in_left, from_).length;
        in += skip;
        in_left -= skip;
    }
    char* put = buffer;
    size_t room = sizeof buffer;
    iconv(cd, nullptr, nullptr, &put, &room);  // a stateful target's return to its initial state
    out.append(buffer, static_cast<size_t>(put - buffer));
    return out;
}

}  // namespace lumo::tool
