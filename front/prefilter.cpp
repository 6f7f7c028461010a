#include "prefilter.h"

#include <cstring>

namespace lumo::front {

namespace {

// C-locale classes; bytes of 0x80 and above are in none.
bool is_letter(unsigned char b) { return (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z'); }
bool is_digit(unsigned char b) { return b >= '0' && b <= '9'; }
bool is_alnum(unsigned char b) { return is_letter(b) || is_digit(b); }

bool is_address_char(unsigned char b) { return is_alnum(b) || b == '.' || b == '-' || b == '_'; }

bool is_path_char(unsigned char b) {
    return is_address_char(b) || b == ':' || b == '/' || b == '\\';
}

bool is_punctuation(unsigned char b) {
    return (b >= 0x21 && b <= 0x26) || (b >= 0x28 && b <= 0x2C) || b == 0x2F ||
           (b >= 0x3A && b <= 0x3F) || (b >= 0x5B && b <= 0x5E) || (b >= 0x7B && b <= 0x7E);
}

// Bytes that an address, a path, the "http://" prefix or an engine word may
// contain; a cut between two of them could split one.
bool may_join(unsigned char b) { return is_path_char(b) || b == '@' || b == '\''; }

class Masker {
public:
    Masker(char* text, std::size_t length)
        : text_(reinterpret_cast<unsigned char*>(text)), length_(length) {}

    void first_character_pass(bool double_byte, const platform::LeadByteSet* lead_bytes) {
        std::size_t i = 0;
        while (i < length_) {
            const unsigned char b = text_[i];
            const bool lead = double_byte && lead_bytes != nullptr && lead_bytes->is_lead(b);
            if (lead || b == 0xFF) {
                blank(i);
                // The trail byte goes whatever it is, '@' and '\' included.
                if (i + 1 < length_) blank(i + 1);
                i += 2;
                continue;
            }
            if (b < 0x20 || (double_byte && b >= 0x80)) blank(i);
            ++i;
        }
    }

    void web_pass() {
        // Blanking only writes spaces and never creates a match, so each
        // search may resume where the last one stopped.
        std::size_t from = 0;
        while (const char* found = std::strstr(chars() + from, "http://")) {
            std::size_t i = static_cast<std::size_t>(found - chars());
            from = i;
            for (; i < length_ && text_[i] != ' '; ++i) blank(i);
        }
        from = 0;
        while (const void* found = std::memchr(text_ + from, '@', length_ - from)) {
            const std::size_t at = static_cast<std::size_t>(
                static_cast<const unsigned char*>(found) - text_);
            if (at == 0 || !is_address_char(text_[at - 1]) || !is_address_char(text_[at + 1])) {
                return;
            }
            blank(at);
            for (std::size_t i = at; i > 0 && is_address_char(text_[i - 1]); --i) blank(i - 1);
            std::size_t right = at + 1;
            for (; is_address_char(text_[right]); ++right) blank(right);
            from = right;
        }
    }

    void path_pass() {
        std::size_t pos = 0;
        while (pos < length_) {
            const std::size_t sep = next_separator(pos);
            if (sep == length_) return;
            const unsigned char b = text_[sep];
            bool starts_path = true;
            if (b == '.') {
                starts_path = is_alnum(text_[sep + 1]) && sep >= 3 && is_alnum(text_[sep - 1]) &&
                              is_alnum(text_[sep - 2]) && is_alnum(text_[sep - 3]);
            } else if (b == ':') {
                blank(sep);
                // A drive letter: one letter before the colon and no more.
                starts_path = sep > 0 && is_letter(text_[sep - 1]) &&
                              (sep == 1 || !is_alnum(text_[sep - 2]));
            }
            if (!starts_path) {
                pos = sep + 1;
                continue;
            }
            pos = mask_path(sep);
        }
    }

    void punctuation_pass() {
        // The first pass's tests would blank nothing new here: earlier
        // passes wrote only spaces.
        for (std::size_t i = 0; i < length_; ++i) {
            if (is_punctuation(text_[i])) blank(i);
        }
    }

private:
    char* chars() { return reinterpret_cast<char*>(text_); }
    void blank(std::size_t i) { text_[i] = ' '; }

    std::size_t next_separator(std::size_t from) const {
        for (std::size_t i = from; i < length_; ++i) {
            const unsigned char b = text_[i];
            if (b == '.' || b == ':' || b == '/' || b == '\\') return i;
        }
        return length_;
    }

    // Returns where the search goes on: where the left walk stopped.
    std::size_t mask_path(std::size_t sep) {
        blank(sep);
        for (std::size_t i = sep + 1; i < length_ && is_path_char(text_[i]); ++i) blank(i);
        std::size_t left = sep;
        for (; left > 0 && is_path_char(text_[left - 1]); --left) blank(left - 1);
        return left;
    }

    unsigned char* text_;
    std::size_t length_;
};

}  // namespace

std::size_t checked_text_length(const char* text, const PrefilterFlags& flags) {
    constexpr std::size_t limit = TextBufferSize - 1;
    const std::size_t length = strnlen(text, limit + 1);
    if (length <= limit) return length;
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    const platform::LeadByteSet* lead = flags.doubleByteText ? flags.leadBytes : nullptr;
    // Walks the characters from the start, since only that tells a trail
    // byte from a lead byte.  A pair is blanked whole: no word runs across
    // it.  The text holds no NUL up to the limit, so bytes[limit + 1] exists.
    std::size_t cut = 0;
    bool joins_before = false;
    for (std::size_t i = 0; i <= limit;) {
        const unsigned char b = bytes[i];
        const bool pair = (b == 0xFF || (lead != nullptr && lead->is_lead(b))) && bytes[i + 1] != 0;
        const bool joins = !pair && may_join(b);
        if (!joins_before || !joins) cut = i;
        joins_before = joins;
        i += pair ? 2 : 1;
    }
    return cut;
}

void prefilterText(const char* text, std::size_t length, char* textBuffer,
                   const PrefilterFlags& flags) {
    if (length >= TextBufferSize) length = TextBufferSize - 1;
    std::memcpy(textBuffer, text, length);
    textBuffer[length] = '\0';
    Masker masker(textBuffer, length);
    masker.first_character_pass(flags.doubleByteText, flags.leadBytes);
    if (flags.maskWebAddresses) masker.web_pass();
    if (flags.maskPaths) masker.path_pass();
    masker.punctuation_pass();
}

}  // namespace lumo::front
