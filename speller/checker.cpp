#include "speller/checker.h"

#include <cstring>

#include "speller/identifier_parts.h"
#include "speller/spell_session.h"

namespace lumo::tool {

namespace {
constexpr size_t PieceBytes = 512;
static_assert(PieceBytes <= LumoSpellMaxTextLength, "a piece must fit one check");
}  // namespace

std::vector<std::string> last_check_suggestions(const FrontApi& api) {
    std::vector<std::string> list;
    char out[LumoSpellWordSize];
    for (int more = api.suggestion_first(out); more; more = api.suggestion_next(out))
        list.emplace_back(out);
    return list;
}

Checker::Checker(SpellSession& session)
    : session_(session), api_(session.front()), code_words_(session.data_dir()) {}

Checker::Checker(SpellSession& session, TextEncoding encoding)
    : session_(session),
      api_(session.front()),
      code_words_(session.data_dir()),
      raw_encoding_(encoding == TextEncoding::ShiftJis ? FileEncoding::ShiftJis
                                                       : FileEncoding::Utf8) {}

std::vector<std::string> Checker::suggestions_for(const std::string& word) {
    return engine_order_ ? last_check_suggestions(api_) : session_.suggestions_after_check(word);
}

bool Checker::report_parts(const std::string& word, size_t at, bool suggest,
                           std::vector<Finding>& findings) {
    // A blank before the parts, as before every piece: the first part is
    // judged as anywhere else.
    std::string parts = " " + word;
    for (char& c : parts)
        if (c == '-' || c == '_') c = ' ';
    CheckResult result;
    size_t pos = 0;
    while (pos < parts.size()) {
        const int status = api_.check(parts.c_str() + pos, &result);
        if (status == CheckNoErrors) break;
        if (status != CheckUnknownWord && status != CheckChangeAlways) return false;
        const size_t start = pos + static_cast<uint16_t>(result.wordOffset);
        if (start >= parts.size()) break;
        size_t end = start;
        while (end < parts.size() && parts[end] != ' ') ++end;
        if (end == start) break;
        findings.push_back(finding_of(parts.substr(start, end - start), at + start - 1, status,
                                      result.replacement, suggest));
        pos = end;
    }
    return true;
}

Finding Checker::finding_of(std::string word, size_t offset, int status, const char* replacement,
                            bool suggest) {
    Finding finding;
    finding.offset = offset;
    finding.length = word.size();
    finding.word = std::move(word);
    finding.status = status;
    if (status == CheckChangeAlways)
        finding.suggestions.emplace_back(replacement);
    else if (suggest)
        finding.suggestions = suggestions_for(finding.word);
    return finding;
}

bool Checker::report_identifier(const std::string& word, size_t at, bool suggest,
                                std::vector<Finding>& findings) {
    CheckResult result;
    for (const IdentifierPart& part : identifier_parts(word)) {
        const std::string text = word.substr(part.at, part.length);
        if (part_is_abbreviation(text)) continue;
        const std::string checked = " " + text;
        const int status = api_.check(checked.c_str(), &result);
        if (status == CheckNoErrors) continue;
        if (status != CheckUnknownWord && status != CheckChangeAlways) return false;
        if (status == CheckUnknownWord && code_words_.knows(text)) continue;
        Finding finding;
        finding.offset = at + part.at;
        finding.length = part.length;
        finding.word = text;
        finding.status = status;
        finding.identifier = word;
        finding.part_at = part.at;
        std::vector<std::string> found;
        if (status == CheckChangeAlways)
            found.emplace_back(result.replacement);
        else if (suggest)
            found = suggestions_for(text);
        for (std::string& s : found) {
            std::string shaped = shaped_like(text, word, std::move(s));
            bool seen = shaped == text;
            for (const std::string& earlier : finding.suggestions) seen = seen || earlier == shaped;
            if (!seen) finding.suggestions.push_back(std::move(shaped));
        }
        findings.push_back(std::move(finding));
    }
    return true;
}

bool Checker::check_piece(const std::string& piece, size_t base, bool suggest,
                          std::vector<Finding>& findings) {
    CheckResult result;
    size_t pos = 0;
    while (pos < piece.size()) {
        const int status = api_.check(piece.c_str() + pos, &result);
        if (status == CheckNoErrors) return true;
        if (status != CheckUnknownWord && status != CheckChangeAlways) return false;
        const size_t start = pos + static_cast<uint16_t>(result.wordOffset);
        if (start >= piece.size()) return true;
        // The word runs over the engine's word bytes; one final apostrophe
        // is not part of it (the front's view holds no two in a row).
        size_t end = start;
        while (end < piece.size() && is_word_char(static_cast<unsigned char>(piece[end]))) ++end;
        size_t length = end - start;
        if (length > 1 && piece[end - 1] == '\'') --length;
        if (length == 0) {
            length = std::strlen(result.word);
            end = start + (length ? length : 1);
        }
        const bool code = (session_.mode() & ModeIgnoreWordsWithDigits) != 0;
        if (status == CheckUnknownWord && code &&
            (is_hex_run(piece.substr(start, length)) ||
             is_base64_run(piece.substr(start, length)))) {
            pos = end;
            continue;
        }
        if (status == CheckUnknownWord && code &&
            !identifier_parts(piece.substr(start, length)).empty()) {
            if (!report_identifier(piece.substr(start, length), base + start - 1, suggest,
                                   findings))
                return false;
            pos = end;
            continue;
        }
        // Words joined by hyphens or underscores ("to-day", "_emphasis_")
        // are right when each of their parts is; else the parts that are
        // not are reported, each where it stands.
        const std::string_view word = std::string_view(piece).substr(start, length);
        if (status == CheckUnknownWord && word.find_first_of("-_") != std::string_view::npos &&
            piece.substr(start, length).find_first_not_of("-_") != std::string::npos) {
            if (!report_parts(piece.substr(start, length), base + start - 1, suggest, findings))
                return false;
            pos = end;
            continue;
        }
        if (status == CheckUnknownWord && code_words_.knows(piece.substr(start, length))) {
            pos = end;
            continue;
        }
        findings.push_back(finding_of(piece.substr(start, length), base + start - 1, status,
                                      result.replacement, suggest));
        pos = end;
    }
    return true;
}

bool Checker::check(std::string_view text, bool suggest, std::vector<Finding>& findings) {
    if (!raw_encoding_) return check_view(text, suggest, findings);
    std::string view(text);
    make_checker_view(view, *raw_encoding_);
    prepare_for_front(view, true);
    return check_view(view, suggest, findings);
}

bool Checker::check_view(std::string_view text, bool suggest, std::vector<Finding>& findings) {
    std::string piece;
    size_t start = 0;
    while (start < text.size()) {
        // Short pieces: every reported word makes the front filter the rest again.
        const size_t end = piece_end(text, start, PieceBytes);
        // A leading blank, so that a word at the start of a piece is
        // judged as anywhere else (the possessive rule never applies at
        // the very start of a checked text).
        piece.assign(1, ' ');
        piece.append(text.substr(start, end - start));
        if (!check_piece(piece, start, suggest, findings)) return false;
        start = end;
    }
    return true;
}

}  // namespace lumo::tool
