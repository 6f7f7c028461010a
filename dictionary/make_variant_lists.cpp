// Build step: the word lists of one spelling variant of English from
// SCOWL's per-variant lists.  Writes
//   WORDS    the variant's words of SIZE and below (common to every variant
//            or spelt the variant's way), for merge_word_lists;
//   FOREIGN  every word that some other variant spells so and this one
//            does not (at any size), which merge_word_lists leaves out of
//            the other sources;
//   FREQ     the frequency list with the counts of the other variants'
//            spellings carried to this one's (color's count for colour).
//   EDITS    the ranker's learned edits, with the variant's own (a British
//            writer's "colr" for colour).
// Usage: make_variant_lists SCOWL_DIR VARIANT SIZE FREQ_IN WORDS FOREIGN FREQ
//                           EDITS_IN EDITS
#include <cstdio>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

const char* const Variants[] = {"american", "british", "canadian", "australian", "british_z"};
const char* const Kinds[] = {"words", "upper", "proper-names", "abbreviations", "contractions"};
const int Sizes[] = {10, 20, 35, 40, 50, 55, 60, 70, 80, 95};

// Adds the words of every list of one variant up to a size; missing files
// are sizes the variant has no words of.
void read_lists(const std::string& dir, const std::string& variant, int size,
                std::set<std::string>& words) {
    for (const char* kind : Kinds)
        for (int s : Sizes) {
            if (s > size) break;
            std::ifstream in(dir + "/" + variant + "-" + kind + "." + std::to_string(s));
            std::string line;
            while (std::getline(in, line)) {
                if (!line.empty() && line.back() == '\r') line.pop_back();
                if (!line.empty()) words.insert(line);
            }
        }
}

// The spellings that tell the variants apart, either way round.
const std::pair<const char*, const char*> Rewrites[] = {
    {"our", "or"},  {"re", "er"}, {"is", "iz"}, {"ys", "yz"}, {"ll", "l"},       {"ence", "ense"},
    {"ogue", "og"}, {"ae", "e"},  {"oe", "e"},  {"mme", "m"}, {"eable", "able"}, {"que", "ck"}};

void rewrites_of(const std::string& word, std::set<std::string>& out) {
    for (const auto& [a, b] : Rewrites)
        for (int way = 0; way < 2; ++way) {
            const std::string from = way ? b : a, to = way ? a : b;
            for (size_t at = word.find(from); at != std::string::npos; at = word.find(from, at + 1))
                out.insert(word.substr(0, at) + to + word.substr(at + from.size()));
        }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 10) {
        std::fprintf(stderr,
                     "usage: make_variant_lists SCOWL_DIR VARIANT SIZE FREQ_IN WORDS FOREIGN "
                     "FREQ EDITS_IN EDITS\n");
        return 2;
    }
    const std::string dir = argv[1], variant = argv[2];
    const int size = std::atoi(argv[3]);
    std::set<std::string> words, own, common, foreign;
    read_lists(dir, "english", size, words);
    read_lists(dir, variant, size, words);
    for (const std::string special : {"special-hacker.50", "special-roman-numerals.35"}) {
        std::ifstream in(dir + "/" + special);
        for (std::string line; std::getline(in, line);)
            if (!line.empty()) words.insert(line);
    }
    if (words.size() < 1000) {
        std::fprintf(stderr, "make_variant_lists: no %s word lists in %s\n", variant.c_str(),
                     dir.c_str());
        return 2;
    }
    read_lists(dir, "english", 95, common);
    read_lists(dir, variant, 95, own);
    for (const char* other : Variants)
        if (variant != other) read_lists(dir, other, 95, foreign);
    // Another variant's spelling or a common word (license, for licence)
    // gives its count to this variant's own spelling of it.
    std::set<std::string> counterparts = foreign;
    counterparts.insert(common.begin(), common.end());
    for (const std::string& w : common) foreign.erase(w);
    for (const std::string& w : own) foreign.erase(w);

    // The frequency list, its lines kept in order, with the variant's own
    // spellings given the counts of the others' (and the commoner level).
    std::ifstream freq_in(argv[4], std::ios::binary);
    std::string header, line;
    std::vector<std::string> order;
    std::map<std::string, std::pair<unsigned long, int>> counts;
    if (!std::getline(freq_in, header)) {
        std::fprintf(stderr, "make_variant_lists: cannot read %s\n", argv[4]);
        return 2;
    }
    while (std::getline(freq_in, line)) {
        std::istringstream fields(line);
        std::string word;
        unsigned long count = 0;
        int level = 0;
        if (!(fields >> word >> count >> level)) continue;
        order.push_back(word);
        counts[word] = {count, level};
    }
    std::map<std::string, std::pair<unsigned long, int>> carried;
    for (const std::string& w : own) {
        if (common.count(w) ||
            w.find_first_not_of("abcdefghijklmnopqrstuvwxyz'") != std::string::npos)
            continue;
        std::set<std::string> once, twice;
        rewrites_of(w, once);
        for (const std::string& r : once) rewrites_of(r, twice);
        once.insert(twice.begin(), twice.end());
        auto total = counts.count(w) ? counts[w] : std::pair<unsigned long, int>{0, 0};
        bool any = false;
        for (const std::string& r : once) {
            if (r == w || !counterparts.count(r) || !counts.count(r)) continue;
            const auto [count, level] = counts[r];
            total.first += count;
            if (level != 0 && (total.second == 0 || level < total.second)) total.second = level;
            any = true;
        }
        if (any) carried[w] = total;
    }
    for (const auto& [w, value] : carried)
        if (!counts.count(w)) order.push_back(w);
    for (const auto& [w, value] : carried) counts[w] = value;

    std::ofstream words_out(argv[5], std::ios::binary), foreign_out(argv[6], std::ios::binary),
        freq_out(argv[7], std::ios::binary);
    for (const std::string& w : words) words_out << w << '\n';
    for (const std::string& w : foreign) foreign_out << w << '\n';
    freq_out << "#lumorank-frequency 1 " << order.size() << '\n';
    for (const std::string& w : order)
        freq_out << w << '\t' << counts[w].first << '\t' << counts[w].second << '\n';
    // The -our spellings lose their "ou" or "u" to a hurried hand.
    std::vector<std::string> edits;
    if (own.count("colour")) edits = {"r\tour\t1.0\t2", "or\tour\t1.0\t2"};
    std::ifstream edits_in(argv[8], std::ios::binary);
    std::ofstream edits_out(argv[9], std::ios::binary);
    std::string edits_header;
    if (!std::getline(edits_in, edits_header)) {
        std::fprintf(stderr, "make_variant_lists: cannot read %s\n", argv[8]);
        return 2;
    }
    for (std::string row; std::getline(edits_in, row);)
        if (!row.empty()) edits.push_back(row);
    edits_out << "#lumorank-edits 1 " << edits.size() << '\n';
    for (const std::string& row : edits) edits_out << row << '\n';
    edits_out.close();
    words_out.close();
    foreign_out.close();
    freq_out.close();
    if (!words_out || !foreign_out || !freq_out || !edits_out) {
        std::fprintf(stderr, "make_variant_lists: cannot write the %s lists\n", variant.c_str());
        return 1;
    }
    return 0;
}
