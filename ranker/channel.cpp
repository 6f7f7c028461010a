#include "channel.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "common/char_class.h"

namespace lumo::ranker {

namespace {

// Letter classes by table: the cost of an edit is asked for every cell of
// every candidate's table.
struct LetterTables {
    bool vowel[256] = {};
    int8_t row[256], column[256];
    uint32_t alike[26] = {};  // bit b of alike[a]: a and b often stand for one sound
    LetterTables() {
        for (const char c : {'a', 'e', 'i', 'o', 'u', 'y'}) vowel[static_cast<uint8_t>(c)] = true;
        std::memset(row, -1, sizeof row);
        std::memset(column, 0, sizeof column);
        const char* const rows[] = {"qwertyuiop", "asdfghjkl", "zxcvbnm"};
        for (int r = 0; r < 3; ++r)
            for (int k = 0; rows[r][k] != 0; ++k) {
                row[static_cast<uint8_t>(rows[r][k])] = static_cast<int8_t>(r);
                column[static_cast<uint8_t>(rows[r][k])] = static_cast<int8_t>(k);
            }
        for (const char* pair :
             {"ck", "cs", "sz", "iy", "gj", "fv", "mn", "kq", "sx", "td", "bp", "ae", "ei", "ou"}) {
            alike[pair[0] - 'a'] |= 1u << (pair[1] - 'a');
            alike[pair[1] - 'a'] |= 1u << (pair[0] - 'a');
        }
    }
};

const LetterTables& tables() {
    static const LetterTables t;
    return t;
}

bool is_vowel(char c) { return tables().vowel[static_cast<uint8_t>(c)]; }
using lumo::common::to_lower;
bool is_lower(char c) { return lumo::common::is_lower(static_cast<unsigned char>(c)); }
bool is_mark(char c) { return c == '\'' || c == '-'; }

bool neighbours(char a, char b) {
    const LetterTables& t = tables();
    const int ra = t.row[static_cast<uint8_t>(a)], rb = t.row[static_cast<uint8_t>(b)];
    if (ra < 0 || rb < 0) return false;
    const int ca = t.column[static_cast<uint8_t>(a)], cb = t.column[static_cast<uint8_t>(b)];
    // Each row sits about half a key right of the one above it.
    if (ra == rb) return ca - cb == 1 || cb - ca == 1;
    if (ra - rb == 1) return cb == ca || cb == ca + 1;
    if (rb - ra == 1) return ca == cb || ca == cb + 1;
    return false;
}

bool alike(char a, char b) {
    if (!is_lower(a) || !is_lower(b)) return false;
    return (tables().alike[a - 'a'] >> (b - 'a') & 1u) != 0;
}

float substitute_cost(char typed, char meant, const ChannelWeights& w) {
    if (is_vowel(typed) && is_vowel(meant)) return w.vowel;
    float cost = w.substitute;
    if (neighbours(typed, meant)) cost = std::min(cost, w.neighbour);
    if (alike(typed, meant)) cost = std::min(cost, w.alike);
    return cost;
}

// The substitution costs of the letters for one set of weights, made again
// only when the weights change: the tables of every candidate ask them.
// Class 26 is every byte but a-z, which none of the cheaper edits knows.
struct SubstituteTable {
    static constexpr unsigned Other = 26;
    ChannelWeights weights;
    bool made = false;
    float cost[Other + 1][Other + 1];
    // Made anew when w differs from the weights it was made for.
    void check(const ChannelWeights& w) {
        if (!made || std::memcmp(&weights, &w, sizeof w) != 0) {
            for (unsigned a = 0; a <= Other; ++a)
                for (unsigned b = 0; b <= Other; ++b)
                    cost[a][b] = a == Other || b == Other
                                     ? w.substitute
                                     : substitute_cost(static_cast<char>('a' + a),
                                                       static_cast<char>('a' + b), w);
            weights = w;
            made = true;
        }
    }
    static unsigned letter_class(char c) {
        return is_lower(c) ? static_cast<unsigned>(c - 'a') : Other;
    }
};

}  // namespace

namespace {

// The table is filled without a branch on the letters wherever one can be
// spared: which way each test goes differs from cell to cell and from word
// to word, and a processor that guesses it wrong loses more time than the
// cell costs.
float weighted_cost(const char* t, size_t n, const char* c, size_t m, const ChannelWeights& w,
                    const EditTable::Hit* hits, size_t hit_count) {
    constexpr size_t Max = 72;
    constexpr float Far = 1e30f;
    if (n >= Max || m >= Max) return 1e9f;
    // Bit j + 1 of a mask stands for a position before c[j + 1].
    if (m >= 63) hit_count = 0;
    hit_count = std::min(hit_count, EditTable::HitsMax);
    static thread_local float d[Max][Max];
    d[0][0] = 0;
    auto at_start = [&](size_t i, size_t j) { return (i <= 1 && j <= 1) ? w.first : 1.0f; };
    // The word between two bytes that no word holds, so that its
    // neighbours are read without a test of the bounds.
    char word[Max + 2];
    word[0] = '\0';
    std::memcpy(word + 1, c, m);
    word[m + 1] = '\0';
    // Each depends on one side only: once per row and column, not per cell.
    float extra[Max], missing[Max];
    for (size_t i = 1; i <= n; ++i) {  // t[i-1] typed beyond the word
        const char x = t[i - 1];
        const bool doubled = (i >= 2 && t[i - 2] == x) || (i < n && t[i] == x);
        extra[i] = is_mark(x) ? w.mark : doubled ? w.doubled : w.extra;
    }
    for (size_t j = 1; j <= m; ++j) {  // c[j-1] not typed
        const char x = word[j];
        const bool doubled = (word[j - 1] == x) | (word[j + 1] == x);
        const unsigned kind = is_mark(x) ? 0u : doubled ? 1u : is_vowel(x) ? 2u : 3u;
        const float costs[4] = {w.mark, w.dropped_double, w.dropped_vowel, w.missing};
        missing[j] = costs[kind];
    }
    for (size_t i = 1; i <= n; ++i) d[i][0] = d[i - 1][0] + extra[i] * at_start(i, 1);
    for (size_t j = 1; j <= m; ++j) d[0][j] = d[0][j - 1] + missing[j] * at_start(1, j);
    // Where in the word each hit's word side ends (bit j: it ends before
    // c[j]), from masks of where each letter is; and the hits of each row.
    static thread_local uint64_t ends[EditTable::HitsMax];
    size_t row_first[Max + 1];
    std::fill(row_first, row_first + n + 2, size_t{0});
    if (hit_count > 0) {
        // Zero again before returning: bytes of the word only are set.
        static thread_local uint64_t at[256];
        for (size_t j = 0; j < m; ++j) at[static_cast<uint8_t>(c[j])] |= uint64_t{1} << j;
        for (size_t k = 0; k < hit_count; ++k) {
            const EditTable::Hit& h = hits[k];
            // The bytes past a rule's side are zero, which no word holds.
            const uint64_t second = uint64_t{0} - static_cast<uint64_t>(h.word_len >= 2);
            const uint64_t third = uint64_t{0} - static_cast<uint64_t>(h.word_len >= 3);
            const uint64_t starts = at[static_cast<uint8_t>(h.word[0])] &
                                    ((at[static_cast<uint8_t>(h.word[1])] >> 1) | ~second) &
                                    ((at[static_cast<uint8_t>(h.word[2])] >> 2) | ~third);
            ends[k] = starts << h.word_len;
            ++row_first[std::min<size_t>(h.end, n + 1)];
        }
        for (size_t j = 0; j < m; ++j) at[static_cast<uint8_t>(c[j])] = 0;
        // Hits come ordered by end: counts to where each row's begin.
        size_t sum = 0;
        for (size_t i = 0; i <= n + 1; ++i) {
            const size_t here = row_first[i];
            row_first[i] = sum;
            sum += here;
        }
    }
    static thread_local SubstituteTable substitutes;
    substitutes.check(w);
    unsigned classes[Max];
    for (size_t j = 1; j <= m; ++j) classes[j] = SubstituteTable::letter_class(word[j]);
    static constexpr float same_or_not[2] = {0.0f, 1.0f};
    float learned[Max];  // the best learned edit ending at each cell of the row
    std::fill(learned, learned + m + 1, Far);
    for (size_t i = 1; i <= n; ++i) {
        const char typed = t[i - 1];
        const char before = i >= 2 ? t[i - 2] : '\0';
        const float* sub = substitutes.cost[SubstituteTable::letter_class(typed)];
        const float* two_up = d[i >= 2 ? i - 2 : 0];
        // Learned edits whose typed side ends at i start in rows above.
        const size_t hit_end = i + 1 <= n + 1 ? row_first[i + 1] : hit_count;
        bool any = false;
        for (size_t k = row_first[i]; k < hit_end; ++k) {
            const EditTable::Hit& h = hits[k];
            const size_t from = i - h.typed_len;
            for (uint64_t bits = ends[k]; bits != 0; bits &= bits - 1) {
                const auto j = static_cast<size_t>(__builtin_ctzll(bits));
                const float g = (from == 0 && j == h.word_len) ? w.first : 1.0f;
                learned[j] = std::min(learned[j], d[from][j - h.word_len] + h.cost * g);
                any = true;
            }
        }
        for (size_t j = 1; j <= m; ++j) {
            const float f = at_start(i, j);
            const char meant = word[j];
            float v = d[i - 1][j - 1] + f * sub[classes[j]] * same_or_not[typed != meant];
            v = std::min(v, d[i - 1][j] + extra[i] * f);
            v = std::min(v, d[i][j - 1] + missing[j] * f);
            const bool exchanged = (i >= 2) & (j >= 2) & (typed == word[j - 1]) &
                                   (before == meant) & (typed != before);
            const float swap = two_up[j >= 2 ? j - 2 : 0] + w.exchange * f;
            const float swaps[2] = {Far, swap};
            v = std::min(v, swaps[exchanged]);
            d[i][j] = std::min(v, learned[j]);
        }
        if (any) std::fill(learned, learned + m + 1, Far);
    }
    return d[n][m];
}

// Rules by their typed side: length, then bytes.
bool typed_less(const EditTable::Rule& a, const EditTable::Rule& b) {
    if (a.typed_len != b.typed_len) return a.typed_len < b.typed_len;
    return std::memcmp(a.typed, b.typed, a.typed_len) < 0;
}

bool rule_letter(char c) { return is_lower(c) || is_mark(c); }

// The first of keys[0..n) not below key, by halves chosen by arithmetic,
// not a branch: the outcome of each comparison is anyone's guess.
size_t first_not_below(const uint32_t* keys, size_t n, uint32_t key) {
    if (n == 0) return 0;
    const uint32_t* base = keys;
    while (n > 1) {
        const size_t half = n / 2;
        base += static_cast<size_t>(base[half - 1] < key) * half;
        n -= half;
    }
    return static_cast<size_t>(base - keys) + (*base < key);
}

uint32_t typed_key(const char* typed, size_t len) {
    uint32_t key = static_cast<uint32_t>(len) << 24;
    for (size_t i = 0; i < len; ++i)
        key |= static_cast<uint32_t>(static_cast<uint8_t>(typed[i])) << (16 - 8 * i);
    return key;
}

}  // namespace

float typo_cost(const char* t, size_t n, const char* c, size_t m, const ChannelWeights& w) {
    return weighted_cost(t, n, c, m, w, nullptr, 0);
}

float typo_cost(const char* t, size_t n, const char* c, size_t m, const ChannelWeights& w,
                const std::vector<EditTable::Hit>& hits) {
    return weighted_cost(t, n, c, m, w, hits.data(), hits.size());
}

EditTable::LoadResult EditTable::load(const std::string& path, const ChannelWeights& w) {
    rules_.clear();
    typed_keys_.clear();
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) return LoadResult::Missing;
    std::vector<Rule> rules;
    char line[256];
    // The header names how many lines follow: a table cut at a line's end
    // is told from a whole one.
    unsigned long listed = 0, read = 0;
    bool ok = std::fgets(line, sizeof line, f) != nullptr &&
              std::sscanf(line, "#lumorank-edits 1 %lu", &listed) == 1;
    while (ok && std::fgets(line, sizeof line, f) != nullptr) {
        if (line[0] == '#') continue;
        ++read;
        char typed[8], word[8];
        float nats;
        unsigned count;
        char rest;
        // A line longer than the buffer, or any field out of shape, spoils
        // the whole table: half a table would skew every cost.
        if (std::strchr(line, '\n') == nullptr ||
            std::sscanf(line, "%7[^\t]\t%7[^\t]\t%f\t%u %c", typed, word, &nats, &count, &rest) !=
                4) {
            ok = false;
            break;
        }
        Rule r{};
        const size_t tl = std::strcmp(typed, "-") == 0 ? 0 : std::strlen(typed);
        const size_t wl = std::strlen(word);
        ok = tl <= SideMax && wl >= 1 && wl <= SideMax && nats >= 0.0f && nats <= 50.0f &&
             std::all_of(typed, typed + tl, rule_letter) &&
             std::all_of(word, word + wl, rule_letter) && rules.size() < RulesMax;
        if (!ok) break;
        // Edits typing nothing would match everywhere; the built-in
        // dropped letters cover them.
        if (tl == 0) continue;
        std::memcpy(r.typed, typed, tl);
        std::memcpy(r.word, word, wl);
        r.typed_len = static_cast<uint8_t>(tl);
        r.word_len = static_cast<uint8_t>(wl);
        r.nats = nats;
        r.base = typo_cost(r.typed, tl, r.word, wl, w);
        rules.push_back(r);
    }
    ok = ok && std::ferror(f) == 0 && read == listed;
    std::fclose(f);
    if (!ok) return LoadResult::Damaged;
    std::stable_sort(rules.begin(), rules.end(), typed_less);
    rules_ = std::move(rules);
    for (const Rule& r : rules_) typed_keys_.push_back(typed_key(r.typed, r.typed_len));
    return LoadResult::Ok;
}

void EditTable::match(const char* typed, size_t len, const ChannelWeights& w,
                      std::vector<Hit>& hits) const {
    hits.clear();
    if (rules_.empty()) return;
    for (size_t end = 1; end <= len; ++end) {
        for (size_t k = 1; k <= SideMax && k <= end; ++k) {
            const uint32_t key = typed_key(typed + end - k, k);
            const size_t lo = first_not_below(typed_keys_.data(), typed_keys_.size(), key);
            const size_t hi = first_not_below(typed_keys_.data(), typed_keys_.size(), key + 1);
            for (auto r = rules_.begin() + static_cast<ptrdiff_t>(lo);
                 r != rules_.begin() + static_cast<ptrdiff_t>(hi); ++r) {
                const float cost = w.learned_base + w.learned * r->nats;
                if (cost >= r->base * w.learned_below) continue;
                Hit h{cost, static_cast<uint16_t>(end), r->typed_len, r->word_len, {}};
                std::memcpy(h.word, r->word, SideMax);
                hits.push_back(h);
            }
        }
    }
}

namespace {

std::string sound_key_of(const char* word, size_t len, bool other) {
    std::string s;
    for (size_t i = 0; i < len; ++i) {
        const char ch = to_lower(word[i]);
        if (is_lower(ch)) s.push_back(ch);
    }
    std::string key;
    const size_t n = s.size();
    auto at = [&](size_t i) { return i < n ? s[i] : '\0'; };
    size_t i = 0;
    // Silent first letters.
    if (n >= 2 && ((s[0] == 'k' && s[1] == 'n') || (s[0] == 'g' && s[1] == 'n') ||
                   (s[0] == 'p' && s[1] == 'n') || (s[0] == 'w' && s[1] == 'r') ||
                   (s[0] == 'p' && s[1] == 's')))
        i = 1;
    for (; i < n; ++i) {
        const char ch = s[i];
        const char next = at(i + 1);
        char out = 0;
        if (is_vowel(ch) && ch != 'y') {
            if (key.empty()) out = 'a';
        } else {
            switch (ch) {
                case 'b': out = (i + 1 == n && i > 0 && s[i - 1] == 'm') ? 0 : 'p'; break;
                case 'c':
                    if (next == 'h')
                        out = other ? 'k' : 'x', ++i;
                    else if (next == 'i' || next == 'e' || next == 'y')
                        out = 's';
                    else if (other && !key.empty() && key.back() == 's')
                        out = 's';
                    else
                        out = 'k';
                    break;
                case 'd':
                    out = (next == 'g' && (at(i + 2) == 'e' || at(i + 2) == 'i')) ? 'j' : 't';
                    break;
                case 'g':
                    if (next == 'h') {
                        out = (i == 0) ? 'k' : other ? 'f' : 0;
                        ++i;
                    } else if (next == 'e' || next == 'i' || next == 'y')
                        out = 'j';
                    else
                        out = 'k';
                    break;
                case 'h': out = 0; break;
                case 'k':
                case 'q': out = 'k'; break;
                case 'p':
                    if (next == 'h')
                        out = 'f', ++i;
                    else
                        out = 'p';
                    break;
                case 's':
                    if (next == 'h')
                        out = 'x', ++i;
                    else if (next == 'i' && (at(i + 2) == 'o' || at(i + 2) == 'a'))
                        out = 'x';
                    else
                        out = 's';
                    break;
                case 't':
                    if (next == 'h')
                        out = '0', ++i;
                    else if (next == 'i' && (at(i + 2) == 'o' || at(i + 2) == 'a'))
                        out = 'x';
                    else
                        out = 't';
                    break;
                case 'v': out = 'f'; break;
                case 'w':
                    if (next == 'h')
                        out = 'w', ++i;
                    else
                        out = is_vowel(next) ? 'w' : 0;
                    break;
                case 'y': out = is_vowel(next) ? 'y' : 0; break;
                case 'x':
                    key.push_back('k');
                    out = 's';
                    break;
                case 'z': out = 's'; break;
                default: out = ch; break;
            }
        }
        if (out != 0 && (key.empty() || key.back() != out)) key.push_back(out);
    }
    return key;
}

}  // namespace

std::string sound_key(const char* word, size_t len) { return sound_key_of(word, len, false); }

size_t sound_keys(const char* word, size_t len, std::string keys[2]) {
    keys[0] = sound_key_of(word, len, false);
    // Only c and g are read the other way.
    bool other = false;
    for (size_t i = 0; i < len && !other; ++i) {
        const char c = to_lower(word[i]);
        other = c == 'c' || c == 'g';
    }
    if (!other) return 1;
    keys[1] = sound_key_of(word, len, true);
    return keys[1] != keys[0] ? 2 : 1;
}

}  // namespace lumo::ranker
