#include "channel.h"

#include <algorithm>
#include <cstdint>
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
        for (const char* pair : {"ck", "cs", "sz", "iy", "gj", "fv", "mn", "kq", "sx", "td", "bp",
                                 "ae", "ei", "ou"}) {
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

}  // namespace

float typo_cost(const char* t, size_t n, const char* c, size_t m, const ChannelWeights& w) {
    constexpr size_t Max = 72;
    if (n >= Max || m >= Max) return 1e9f;
    static thread_local float d[Max][Max];
    d[0][0] = 0;
    auto at_start = [&](size_t i, size_t j) { return (i <= 1 && j <= 1) ? w.first : 1.0f; };
    auto extra_cost = [&](size_t i) {  // t[i-1] typed beyond the word
        const char x = t[i - 1];
        if (is_mark(x)) return w.mark;
        if ((i >= 2 && t[i - 2] == x) || (i < n && t[i] == x)) return w.doubled;
        return w.extra;
    };
    auto missing_cost = [&](size_t j) {  // c[j-1] not typed
        const char x = c[j - 1];
        if (is_mark(x)) return w.mark;
        if ((j >= 2 && c[j - 2] == x) || (j < m && c[j] == x)) return w.dropped_double;
        if (is_vowel(x)) return w.dropped_vowel;
        return w.missing;
    };
    for (size_t i = 1; i <= n; ++i) d[i][0] = d[i - 1][0] + extra_cost(i) * at_start(i, 1);
    for (size_t j = 1; j <= m; ++j) d[0][j] = d[0][j - 1] + missing_cost(j) * at_start(1, j);
    for (size_t i = 1; i <= n; ++i) {
        for (size_t j = 1; j <= m; ++j) {
            const float f = at_start(i, j);
            float v = d[i - 1][j - 1] +
                      (t[i - 1] == c[j - 1] ? 0 : substitute_cost(t[i - 1], c[j - 1], w) * f);
            v = std::min(v, d[i - 1][j] + extra_cost(i) * f);
            v = std::min(v, d[i][j - 1] + missing_cost(j) * f);
            if (i >= 2 && j >= 2 && t[i - 1] == c[j - 2] && t[i - 2] == c[j - 1] &&
                t[i - 1] != t[i - 2])
                v = std::min(v, d[i - 2][j - 2] + w.exchange * f);
            d[i][j] = v;
        }
    }
    return d[n][m];
}

std::string sound_key(const char* word, size_t len) {
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
                        out = 'x', ++i;
                    else if (next == 'i' || next == 'e' || next == 'y')
                        out = 's';
                    else
                        out = 'k';
                    break;
                case 'd':
                    out = (next == 'g' && (at(i + 2) == 'e' || at(i + 2) == 'i')) ? 'j' : 't';
                    break;
                case 'g':
                    if (next == 'h') {
                        out = (i == 0) ? 'k' : 0;
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

}  // namespace lumo::ranker
