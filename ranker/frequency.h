// The word-frequency file: a header line "#lumorank-frequency 1 N", then N
// lines "word<TAB>count<TAB>level" (lower case; count from film subtitles,
// level the lowest word-list size level at which the word appears, 0 when
// in none).
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace lumo::ranker {

enum class FrequencyResult { Ok, Missing, Foreign, Truncated };

// Calls take(word, length, count, level) for every line.  Anything but the
// exact header, well-formed lines and exactly N of them is refused; the
// calls made before a fault was found stand, so the caller discards them.
FrequencyResult read_frequency_file(
    const std::string& path,
    const std::function<void(const char*, size_t, uint32_t, uint8_t)>& take);

}  // namespace lumo::ranker
