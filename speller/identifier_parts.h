// The parts of an identifier as a reader of code sees them: cut at
// underscores, hyphens and digits, at a lower-to-upper hump
// ("inflateGetDictionary") and before the last capital of a run that a
// lower-case letter follows ("HTTPServer" -> HTTP, Server).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace lumo::tool {

struct IdentifierPart {
    size_t at = 0;
    size_t length = 0;
};

// Empty when word is one part only (nothing to cut).
std::vector<IdentifierPart> identifier_parts(std::string_view word);

// Parts that stand for abbreviations are not checked: those of fewer than
// three letters, and those all in capitals of up to four.
bool part_is_abbreviation(std::string_view part);

// Eight or more hexadecimal letters ("deadbeef", "CAFEBABE"), or sixteen in
// groups joined by hyphens as in a UUID: a number, not a word.
bool is_hex_run(std::string_view word);

// Sixteen or more letters, three to seven in ten of them capitals, the case
// changing at least twice in five letters ("dGhlQnVmZmVyIGlzIHZhbGlk"): base64
// data, not a name.
bool is_base64_run(std::string_view word);

// A suggestion for a part in the part's case (lower, Capitalised or
// CAPITALS); a suggestion of two words is joined as the identifier joins.
std::string shaped_like(std::string_view part, std::string_view identifier, std::string suggestion);

}  // namespace lumo::tool
