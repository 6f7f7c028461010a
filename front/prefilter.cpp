#include "prefilter.h"

#include <cstdint>
#include <cstring>

#include "common/char_class.h"

namespace lumo::front {

namespace {

// One table of byte classes (C locale; bytes of 0x80 and above are in no
// letter or digit class) so that each byte costs one load.
enum : uint16_t {
    Letter = 0x001,
    Digit = 0x002,
    AddressMark = 0x004,  // . - _
    PathMark = 0x008,     // : / \ (with . also a path separator)
    Punctuation = 0x010,
    Control = 0x020,  // below 0x20
    High = 0x040,     // 0x80 to 0xFE
    Byte255 = 0x080,
    Space = 0x100,
    Dot = 0x200,
    At = 0x400,
};

constexpr uint16_t class_of(unsigned b) {
    uint16_t c = 0;
    if (common::is_letter(static_cast<unsigned char>(b))) c |= Letter;
    if (common::is_digit(static_cast<unsigned char>(b))) c |= Digit;
    if (b == '.' || b == '-' || b == '_') c |= AddressMark;
    if (b == ':' || b == '/' || b == '\\') c |= PathMark;
    if ((b >= 0x21 && b <= 0x26) || (b >= 0x28 && b <= 0x2C) || b == 0x2F ||
        (b >= 0x3A && b <= 0x3F) || (b >= 0x5B && b <= 0x5E) || (b >= 0x7B && b <= 0x7E))
        c |= Punctuation;
    if (b < 0x20) c |= Control;
    if (b >= 0x80 && b < 0xFF) c |= High;
    if (b == 0xFF) c |= Byte255;
    if (b == ' ') c |= Space;
    if (b == '.') c |= Dot;
    if (b == '@') c |= At;
    return c;
}

struct ClassTable {
    uint16_t of[256];
    constexpr ClassTable() : of() {
        for (unsigned b = 0; b < 256; ++b) of[b] = class_of(b);
    }
};
constexpr ClassTable Classes;

bool has(unsigned char b, uint16_t classes) { return (Classes.of[b] & classes) != 0; }
bool is_letter(unsigned char b) { return has(b, Letter); }
bool is_alnum(unsigned char b) { return has(b, Letter | Digit); }
bool is_address_char(unsigned char b) { return has(b, Letter | Digit | AddressMark); }
bool is_path_char(unsigned char b) { return has(b, Letter | Digit | AddressMark | PathMark); }

// Bytes that an address, a path, the "http://" prefix or an engine word may
// contain; a cut between two of them could split one.
bool may_join(unsigned char b) { return is_path_char(b) || b == '@' || b == '\''; }

}  // namespace

// Masks in one pass over the text.  Every address, "http://" run and path
// lies inside one run of bytes that the character rules keep (they all end
// at a space), and the rules for one such run look at nothing outside it
// but the spaces around it; the only state carried from run to run is
// whether the e-mail search has ended.  So a run without '@', ':' (and,
// for paths, '.', '/', '\') only loses its punctuation, and a run with one
// gets the web, path and punctuation rules in the order the passes have.
class Masker {
public:
    void start(const char* text, char* out, std::size_t length, const PrefilterFlags& flags) {
        in_ = reinterpret_cast<const unsigned char*>(text);
        out_ = reinterpret_cast<unsigned char*>(out);
        length_ = length;
        const bool same_flags = built_ && flags.doubleByteText == flags_.doubleByteText &&
                                flags.maskWebAddresses == flags_.maskWebAddresses &&
                                flags.maskPaths == flags_.maskPaths &&
                                flags.leadBytes == flags_.leadBytes;
        flags_ = flags;
        lead_ = flags.doubleByteText ? flags.leadBytes : nullptr;
        mail_ended_ = false;
        start_ = 0;
        i_ = 0;
        out_[length_] = '\0';
        // Bytes that the character rules blank, or that end a run of kept ones.
        run_end_ = Space | Control | Byte255 | (flags_.doubleByteText ? High : 0);
        // The actions depend on the flags alone (a lead-byte set never
        // changes); the e-mail search that ended in the last text is back.
        if (!same_flags) {
            build_actions();
            std::memcpy(first_actions_, actions_, sizeof actions_);
            built_ = true;
        } else {
            std::memcpy(actions_, first_actions_, sizeof actions_);
        }
    }

    // A run's rules look at nothing outside it but the blanks around it,
    // so the copy is final up to a blank that ends a run.
    std::size_t advance(std::size_t want) {
        std::size_t start = start_;  // where the current run of kept bytes began
        std::size_t i = i_;
        while (i < length_ && (i < want || start != i || out_[i - 1] != ' ')) {
            const unsigned char b = in_[i];
            const unsigned char action = actions_[b];
            if ((action & Special) == 0) {
                // Without branches: spaces and punctuation are too frequent
                // and too irregular to predict.
                out_[i] = (action & Blank) != 0 ? ' ' : b;
                ++i;
                start = (action & EndsRun) != 0 ? i : start;
            } else if (b == 0xFF || (lead_ != nullptr && lead_->is_lead(b))) {
                // The trail byte goes whatever it is, '@' and '\' included.
                out_[i++] = ' ';
                if (i < length_) out_[i++] = ' ';
                start = i;
            } else {
                i = start = masked_run(start, i);
            }
        }
        start_ = start;
        i_ = i;
        return i;
    }

private:
    enum : unsigned char { Blank = 1, EndsRun = 2, Special = 4 };

    void build_actions() {
        for (unsigned b = 0; b < 256; ++b) {
            const uint16_t c = Classes.of[b];
            unsigned char action = 0;
            if ((c & run_end_) != 0) action = Blank | EndsRun;
            if ((c & Punctuation) != 0) action = Blank;
            if (rule_mark(static_cast<unsigned char>(b)) || (c & Byte255) != 0) action = Special;
            actions_[b] = action;
        }
        if (lead_ != nullptr) {
            for (unsigned b = 0x80; b < 0xFF; ++b) {
                if (lead_->is_lead(static_cast<unsigned char>(b))) actions_[b] = Special;
            }
        }
    }

    // ':' is in every "http://".
    bool rule_mark(unsigned char b) const {
        if (b == '@') return flags_.maskWebAddresses && !mail_ended_;
        if (b == ':') return flags_.maskWebAddresses || flags_.maskPaths;
        return flags_.maskPaths && (b == '.' || b == '/' || b == '\\');
    }

    // The run that holds a rule mark at i began at start: copies the rest
    // of it, applies the rules to the whole of it and returns its end.
    std::size_t masked_run(std::size_t start, std::size_t i) {
        std::size_t end = i;
        while (end < length_ && !has(in_[end], run_end_)) ++end;
        // Punctuation already blanked in this run comes back for the rules.
        std::memcpy(out_ + start, in_ + start, end - start);
        // The byte behind the run is blanked (or is a space) in any case.
        if (end < length_) out_[end] = ' ';
        if (flags_.maskWebAddresses) web_rules(start, end);
        if (flags_.maskPaths) path_rules(start, end);
        for (std::size_t k = start; k < end; ++k) {
            if (has(out_[k], Punctuation)) blank(k);
        }
        return end;
    }

    void web_rules(std::size_t start, std::size_t end) {
        static const char prefix[] = "http://";
        constexpr std::size_t prefix_length = sizeof prefix - 1;
        // The run is blanked from the first "http://" to its end.
        for (std::size_t k = start; k + prefix_length <= end; ++k) {
            if (out_[k] == 'h' && std::memcmp(out_ + k, prefix, prefix_length) == 0) {
                std::memset(out_ + k, ' ', end - k);
                end = k;
                break;
            }
        }
        for (std::size_t k = start; k < end && !mail_ended_; ++k) {
            if (out_[k] != '@') continue;
            if (k == 0 || !is_address_char(out_[k - 1]) || !is_address_char(out_[k + 1])) {
                mail_ended_ = true;
                actions_[static_cast<unsigned char>('@')] = 0;
                return;
            }
            blank(k);
            for (std::size_t left = k; left > 0 && is_address_char(out_[left - 1]); --left)
                blank(left - 1);
            while (is_address_char(out_[k + 1])) blank(++k);
        }
    }

    void path_rules(std::size_t start, std::size_t end) {
        std::size_t pos = start;
        while (pos < end) {
            const std::size_t sep = next_separator(pos, end);
            if (sep == end) return;
            const unsigned char b = out_[sep];
            bool starts_path = true;
            if (b == '.') {
                starts_path = is_alnum(out_[sep + 1]) && sep >= 3 && is_alnum(out_[sep - 1]) &&
                              is_alnum(out_[sep - 2]) && is_alnum(out_[sep - 3]);
            } else if (b == ':') {
                blank(sep);
                // A drive letter: one letter before the colon and no more.
                starts_path =
                    sep > 0 && is_letter(out_[sep - 1]) && (sep == 1 || !is_alnum(out_[sep - 2]));
            }
            if (!starts_path) {
                pos = sep + 1;
                continue;
            }
            pos = mask_path(sep);
        }
    }

    std::size_t next_separator(std::size_t from, std::size_t end) const {
        for (std::size_t k = from; k < end; ++k) {
            const unsigned char b = out_[k];
            if (b == '.' || b == ':' || b == '/' || b == '\\') return k;
        }
        return end;
    }

    // Returns where the search goes on: where the left walk stopped.  Both
    // walks stop at the spaces around the run.
    std::size_t mask_path(std::size_t sep) {
        blank(sep);
        for (std::size_t k = sep + 1; k < length_ && is_path_char(out_[k]); ++k) blank(k);
        std::size_t left = sep;
        for (; left > 0 && is_path_char(out_[left - 1]); --left) blank(left - 1);
        return left;
    }

    void blank(std::size_t k) { out_[k] = ' '; }

    const unsigned char* in_ = nullptr;
    unsigned char* out_ = nullptr;
    std::size_t length_ = 0;
    PrefilterFlags flags_;
    const platform::LeadByteSet* lead_ = nullptr;
    uint16_t run_end_ = 0;
    unsigned char actions_[256] = {};
    unsigned char first_actions_[256] = {};
    bool built_ = false;
    bool mail_ended_ = false;
    std::size_t start_ = 0;
    std::size_t i_ = 0;
};

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
    Masker masker;
    masker.start(text, textBuffer, length, flags);
    masker.advance(length);
}

LazyPrefilter::LazyPrefilter() : masker_(new Masker()) {}
LazyPrefilter::~LazyPrefilter() = default;

void LazyPrefilter::start(const char* text, std::size_t length, char* textBuffer,
                          const PrefilterFlags& flags) {
    if (length >= TextBufferSize) length = TextBufferSize - 1;
    masker_->start(text, textBuffer, length, flags);
}

std::size_t LazyPrefilter::advance(std::size_t want) { return masker_->advance(want); }

}  // namespace lumo::front
