#include "ranker.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>

#include "common/char_class.h"

#include "common/word_rules.h"
#include "frequency.h"
#include "index_file.h"
#include "word_lists.h"

namespace lumo::ranker {

namespace {

using common::bounded_length;
using common::suffix_cut;

std::string folded(const char* word, size_t len) {
    std::string key(word, len);
    for (char& c : key) c = fold(c);
    return key;
}

bool has_capital(const char* s) {
    for (; *s != '\0'; ++s)
        if (lumo::common::is_capital(static_cast<unsigned char>(*s))) return true;
    return false;
}

bool all_capitals(const char* word, size_t len) {
    bool any = false;
    for (size_t i = 0; i < len; ++i) {
        const auto c = static_cast<unsigned char>(word[i]);
        if (lumo::common::is_lower(c)) return false;
        any = any || lumo::common::is_capital(c);
    }
    return any;
}

constexpr float ContractionFirst = 100.0f;

bool affix_half(const char* left, size_t left_len, const char* right, size_t right_len) {
    // Prefixes that are no words of their own: "in" and "over" are ("infact").
    static const char* const prefixes[] = {"re",  "un",  "dis",  "pre",   "de",
                                           "mis", "non", "fore", "inter", "anti"};
    static const char* const endings[] = {"able", "less", "ship", "age",  "hood", "ward", "wards",
                                          "wise", "like", "man",  "men",  "some", "ism",  "ion",
                                          "ant",  "ness", "ful",  "ment", "ly"};
    for (const char* p : prefixes)
        if (std::strlen(p) == left_len && std::memcmp(p, left, left_len) == 0) return true;
    for (const char* e : endings)
        if (std::strlen(e) == right_len && std::memcmp(e, right, right_len) == 0) return true;
    return false;
}

// The file of that name in the frequency file's folder.
std::string beside(const std::string& path, const char* name) {
    const size_t slash = path.find_last_of('/');
    return (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) + name;
}

}  // namespace

OpenStatus Ranker::open(const std::string& main_dict, const std::string* frequency,
                        const std::string* index) {
    main_dict_ = main_dict;
    frequency_ = frequency != nullptr ? *frequency : std::string();
    irregular_.clear();
    edits_ = EditTable();
    if (frequency != nullptr) {
        open_irregular(beside(*frequency, "irregular-forms.txt"));
        // A variant's frequencies (en_GB-frequency.txt) have its own edits
        // beside them (en_GB-typo-edits.txt), else the general ones.
        const size_t name = frequency->find_last_of('/') + 1;
        const size_t dash = frequency->rfind("-frequency.txt");
        const std::string own =
            dash != std::string::npos && dash > name && dash + 14 == frequency->size()
                ? beside(*frequency,
                         (frequency->substr(name, dash - name) + "-typo-edits.txt").c_str())
                : std::string();
        std::FILE* f = own.empty() ? nullptr : std::fopen(own.c_str(), "rb");
        if (f != nullptr) std::fclose(f);
        open_edits(f != nullptr ? own : beside(*frequency, "typo-edits.txt"));
    }
    if (index != nullptr) {
        Fingerprint dict, freq;
        if (!fingerprint_file(main_dict, dict)) return OpenStatus::MainDict;
        if (frequency != nullptr && !fingerprint_file(*frequency, freq))
            return OpenStatus::Frequency;
        if (read_index(*index, dict, freq, lexicon_) == IndexResult::Ok) {
            from_index_ = true;
            const size_t common_len = weights_.three_edits_from - 3;
            if (!lexicon_.has_common(weights_.three_edits_count, common_len))
                lexicon_.build_common(weights_.three_edits_count, common_len);
            return OpenStatus::Ok;
        }
    }
    // The frequency file first: a bad one is refused before the slow part.
    std::string listed;
    struct Listed {
        size_t at, len;
        uint32_t count;
        uint8_t level;
    };
    std::vector<Listed> counts;
    if (frequency != nullptr) {
        counts.reserve(160000);
        const FrequencyResult read = read_frequency_file(
            *frequency, [&](const char* w, size_t n, uint32_t count, uint8_t level) {
                counts.push_back(Listed{listed.size(), n, count, level});
                listed.append(w, n);
            });
        if (read != FrequencyResult::Ok) return OpenStatus::Frequency;
    }
    std::string text;
    std::vector<std::pair<size_t, size_t>> spans;
    spans.reserve(200000);
    if (!read_word_list(main_dict, [&](const char* w, size_t n) {
            spans.emplace_back(text.size(), n);
            text.append(w, n);
        }))
        return OpenStatus::MainDict;
    std::vector<std::pair<const char*, size_t>> words;
    words.reserve(spans.size());
    for (const auto& [at, n] : spans) words.emplace_back(text.data() + at, n);
    lexicon_.build(words);
    for (const Listed& l : counts) {
        const uint32_t id = lexicon_.find(listed.data() + l.at, l.len);
        if (id == NoEntry) continue;
        lexicon_.entry(id).count = l.count;
        lexicon_.entry(id).level = l.level;
    }
    lexicon_.mark_bands();
    lexicon_.build_common(weights_.three_edits_count, weights_.three_edits_from - 3);
    return OpenStatus::Ok;
}

bool Ranker::write_index(const std::string& path) const {
    Fingerprint dict, freq;
    if (!fingerprint_file(main_dict_, dict)) return false;
    if (!frequency_.empty() && !fingerprint_file(frequency_, freq)) return false;
    return lumo::ranker::write_index(path, lexicon_, dict, freq);
}

bool Ranker::open_user(const std::string& path) {
    return read_word_list(path, [&](const char* w, size_t n) { add_word(w, n); });
}

bool Ranker::add_word(const char* word, size_t len) {
    const uint32_t id = lexicon_.add(word, len);
    if (id == NoEntry) return false;
    lexicon_.entry(id).user = true;
    lexicon_.entry(id).blocked = false;
    return true;
}

bool Ranker::change_always(const char* word, size_t len, const std::string& replacement) {
    if (len == 0 || len > LexiconKeyMax || replacement.size() > LexiconKeyMax) return false;
    std::string key = folded(word, len);
    if (changes_.size() >= ChangeAlwaysMax && changes_.count(key) == 0) return false;
    const uint32_t id = lexicon_.find(key.data(), key.size());
    if (id != NoEntry) lexicon_.entry(id).blocked = true;
    changes_[std::move(key)] = replacement;
    return true;
}

float Ranker::prior(uint32_t id) const {
    const Entry& e = lexicon_.entry(id);
    float p;
    if (e.count > 0) {
        p = std::log(static_cast<float>(e.count) + 1.0f);
    } else if (e.level != 0) {
        const int band = e.level <= 35 ? 0 : e.level <= 50 ? 1 : e.level <= 60 ? 2 : 3;
        p = weights_.prior_level[band];
    } else {
        p = weights_.prior_unlisted;
    }
    if (e.user) p = std::max(p, weights_.prior_user);
    return p;
}

bool Ranker::open_irregular(const std::string& path) {
    irregular_.clear();
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) return false;
    std::unordered_map<std::string, std::vector<std::string>> table;
    char line[256];
    bool ok = std::fgets(line, sizeof line, f) != nullptr &&
              std::strcmp(line, "#lumorank-irregular 1\n") == 0;
    size_t count = 0;
    while (ok && std::fgets(line, sizeof line, f) != nullptr) {
        if (line[0] == '#') continue;
        const char* tab = std::strchr(line, '\t');
        const char* end = std::strchr(line, '\n');
        ok = tab != nullptr && end != nullptr && tab < end && ++count <= IrregularMax;
        if (!ok) break;
        const auto letters = [](const char* a, const char* b) {
            return b > a && static_cast<size_t>(b - a) <= LexiconKeyMax &&
                   std::all_of(a, b, [](char c) { return c >= 'a' && c <= 'z'; });
        };
        const char* start = line;
        ok = letters(start, tab) && letters(tab + 1, end);
        if (ok) table[std::string(start, tab)].emplace_back(tab + 1, end);
    }
    ok = ok && std::ferror(f) == 0;
    std::fclose(f);
    if (ok) irregular_ = std::move(table);
    return ok;
}

bool Ranker::open_edits(const std::string& path) {
    return edits_.load(path, weights_.channel) == EditTable::LoadResult::Ok;
}

std::string Ranker::shown(uint32_t id, const char* word, size_t len) const {
    const char* form = lexicon_.form(id);
    std::string text(form);
    apply_capitals(text, word, len);
    // Names and acronyms keep the dictionary's capitals unless the word was
    // typed all in capitals.
    if (has_capital(form) && !all_capitals(word, len)) text = form;
    return text;
}

std::vector<std::string> Ranker::suggest(const char* word, size_t len, size_t max) const {
    std::vector<std::string> out;
    if (word == nullptr || max == 0) return out;
    len = bounded_length(word, std::min(len, RankWordMax + 1));
    if (len <= 1 || len > RankWordMax) return out;
    const std::string key = folded(word, len);

    auto change = changes_.find(key);
    if (change != changes_.end()) {
        out.push_back(change->second);
        apply_capitals(out.back(), word, len);
    }

    // Every candidate first with what is known without costing it: a
    // bonus or penalty and the fewest edits it can be away.
    struct Pending {
        uint32_t entry;
        uint8_t distance;
        bool irregular;  // costs at most irregular_cost
        float extra;
    };
    // Scratch kept from word to word: most words would allocate each anew.
    static thread_local std::vector<Pending> pending;
    static thread_local std::vector<Match> matches;
    pending.clear();
    matches.clear();
    // Beyond one edit only words that can place: none from the word lists
    // alone, and none counted less than far_count.
    const uint8_t far_band =
        weights_.unlisted_distance <= 2 ? std::max<uint8_t>(1, count_band(weights_.far_count)) : 0;
    lexicon_.within(key.data(), key.size(), 2, matches, far_band);
    bool near = false, common_near = false;
    for (const Match& m : matches) {
        const Entry& e = lexicon_.entry(m.entry);
        if (e.blocked) continue;
        near = near || m.distance <= 1;
        common_near = common_near || e.count >= weights_.three_edits_count;
    }
    if (!near && !common_near && key.size() >= weights_.three_edits_from) {
        // Longer words may be three edits away: only common words are
        // taken from that far (from a trie of them alone), and only when
        // none is nearer.
        const size_t before = matches.size();
        lexicon_.within_common(key.data(), key.size(), 3, matches);
        size_t kept = before;
        for (size_t i = before; i < matches.size(); ++i)
            if (matches[i].distance == 3) matches[kept++] = matches[i];
        matches.resize(kept);
    }
    // Two edits and more from a word no list counts: such a word never
    // places, and costing it is most of the work for short words.
    auto unlisted = [&](uint32_t id) {
        const Entry& e = lexicon_.entry(id);
        return e.count == 0 && e.level == 0 && !e.user;
    };
    for (const Match& m : matches)
        if (m.distance < weights_.unlisted_distance || !unlisted(m.entry))
            pending.push_back(Pending{m.entry, m.distance, false, 0.0f});

    // Words that sound alike however many edits away ("beaurocracy").
    std::string typed_sounds[2];
    const size_t sound_count = sound_keys(key.data(), key.size(), typed_sounds);
    static thread_local std::vector<uint32_t> alike;
    alike.clear();
    for (size_t k = 0; k < sound_count; ++k)
        lexicon_.sound_alike(typed_sounds[k], weights_.sound_limit, alike);
    // Beyond two edits, unless left out of the matches above.
    for (const uint32_t id : alike)
        pending.push_back(Pending{id, static_cast<uint8_t>(unlisted(id) ? 2 : 3), false, 0.0f});

    // The typed word with its apostrophe: "dont", "youre".  The frequency
    // list splits contractions, so their own counts say nothing: one that
    // is a known word with its apostrophe put back comes first.
    const bool typed_known = lexicon_.find(key.data(), key.size()) != NoEntry;
    char marked[RankWordMax + 2];
    // Contractions end in n't, 're, 've, 'll, 's, 'd or 'm.
    for (size_t i = key.size() > 3 ? key.size() - 3 : 1; i < key.size(); ++i) {
        std::memcpy(marked, key.data(), i);
        marked[i] = '\'';
        std::memcpy(marked + i + 1, key.data() + i, key.size() - i);
        const uint32_t id = lexicon_.find(marked, key.size() + 1);
        if (id == NoEntry) continue;
        const bool possessive = i + 1 == key.size() && key[i] == 's';
        const float bonus = possessive    ? weights_.possessive_bonus
                            : typed_known ? weights_.contraction_bonus
                                          : ContractionFirst;
        pending.push_back(Pending{id, 1, false, bonus});
    }

    // Regularised irregular forms: "seeked", "childs".
    auto irregular = irregular_.find(key);
    if (irregular != irregular_.end())
        for (const std::string& form : irregular->second) {
            const uint32_t id = lexicon_.find(form.data(), form.size());
            if (id != NoEntry) pending.push_back(Pending{id, 0, true, weights_.irregular_bonus});
        }

    if (!near) {
        // What the engine offers when no single edit gives a known word.
        std::string stem = key;
        static thread_local std::vector<Match> stem_matches;
        for (size_t cut = suffix_cut(stem.data(), stem.size()); cut != 0;
             cut = suffix_cut(stem.data(), stem.size())) {
            stem.resize(stem.size() - cut);
            stem_matches.clear();
            lexicon_.within(stem.data(), stem.size(), 1, stem_matches);
            bool hit = false;
            for (const Match& m : stem_matches) {
                if (lexicon_.entry(m.entry).blocked) continue;
                hit = true;
                pending.push_back(Pending{m.entry, 0, false, -weights_.stem_penalty});
            }
            if (hit) break;
        }
    }

    // One entry once, with the best it was offered for.
    std::sort(pending.begin(), pending.end(), [](const Pending& a, const Pending& b) {
        return a.entry != b.entry ? a.entry < b.entry : a.extra > b.extra;
    });
    size_t unique = 0;
    for (size_t i = 0; i < pending.size(); ++i) {
        if (lexicon_.entry(pending[i].entry).blocked) continue;
        if (unique > 0 && pending[unique - 1].entry == pending[i].entry) {
            pending[unique - 1].distance =
                std::min(pending[unique - 1].distance, pending[i].distance);
            continue;
        }
        pending[unique++] = pending[i];
    }
    pending.resize(unique);

    static thread_local std::vector<Candidate> candidates;
    candidates.clear();
    add_splits(key, candidates);

    // The cheapest an edit can be here: no candidate costs less than its
    // fewest edits at that price.
    static thread_local std::vector<EditTable::Hit> hits;
    edits_.match(key.data(), key.size(), weights_.channel, hits);
    const ChannelWeights& cw = weights_.channel;
    float unit = std::min({cw.substitute, cw.vowel, cw.neighbour, cw.alike, cw.extra, cw.doubled,
                           cw.missing, cw.dropped_double, cw.dropped_vowel, cw.mark, cw.exchange});
    for (const EditTable::Hit& h : hits)
        unit = std::min(unit, h.cost / static_cast<float>(EditTable::SideMax));
    unit = std::max(unit, 0.0f);
    struct Bounded {
        float bound;
        uint32_t at;
    };
    static thread_local std::vector<Bounded> order;
    order.clear();
    // A word that sounds like the typo pays less of a high cost: the bound
    // takes that reduction for every word.
    const float cap = weights_.sound_cap, share = weights_.sound_share;
    auto sounded = [cap, share](float cost) {
        return cost <= cap ? cost : cap + (1.0f - share) * (cost - cap);
    };
    for (uint32_t i = 0; i < pending.size(); ++i) {
        const Pending& p = pending[i];
        const float least = sounded(unit * static_cast<float>(p.distance));
        order.push_back(Bounded{
            prior(p.entry) + p.extra + weights_.sound_bonus - weights_.per_cost * least, i});
    }
    std::sort(order.begin(), order.end(),
              [](const Bounded& a, const Bounded& b) { return a.bound > b.bound; });

    // Costed best bound first; once max candidates score above what the
    // next could at best, the rest cannot place.
    static thread_local std::vector<float> best;  // a min-heap of the max best scores so far
    best.clear();
    auto keep_score = [&](float s) {
        if (best.size() < max) {
            best.push_back(s);
            std::push_heap(best.begin(), best.end(), std::greater<float>());
        } else if (s > best.front()) {
            std::pop_heap(best.begin(), best.end(), std::greater<float>());
            best.back() = s;
            std::push_heap(best.begin(), best.end(), std::greater<float>());
        }
    };
    for (const Candidate& c : candidates) keep_score(c.score);
    char k[LexiconKeyMax + 1];
    std::string sounds[2];
    uint32_t typed_hashes[2] = {};
    bool short_sound = false;
    for (size_t t = 0; t < sound_count; ++t) {
        typed_hashes[t] = sound_hash(typed_sounds[t]);
        short_sound = short_sound || typed_sounds[t].size() < SoundKeyMin;
    }
    // The spellings lie all over the arena: fetched together, not one by
    // one between the costings.
    for (size_t i = 0; i < order.size() && i < 64; ++i)
        __builtin_prefetch(lexicon_.form(pending[order[i].at].entry));
    for (const Bounded& b : order) {
        if (best.size() >= max && b.bound <= best.front()) break;
        const Pending& p = pending[b.at];
        const char* form = lexicon_.form(p.entry);
        const size_t n = std::strlen(form);
        for (size_t i = 0; i < n; ++i) k[i] = fold(form[i]);
        float cost = typo_cost(key.data(), key.size(), k, n, cw, hits);
        if (p.irregular) cost = std::min(cost, weights_.irregular_cost);
        // The table of sound keys says it for keys long enough to be kept
        // there; shorter ones are made anew.
        bool alike_sound = false;
        for (size_t t = 0; t < sound_count && !alike_sound; ++t)
            alike_sound = typed_sounds[t].size() >= SoundKeyMin &&
                          lexicon_.sounds_as(typed_hashes[t], p.entry);
        if (!alike_sound && short_sound) {
            const size_t count = sound_keys(k, n, sounds);
            for (size_t a = 0; a < count && !alike_sound; ++a)
                for (size_t t = 0; t < sound_count && !alike_sound; ++t)
                    alike_sound =
                        typed_sounds[t].size() < SoundKeyMin && sounds[a] == typed_sounds[t];
        }
        if (alike_sound) cost = sounded(cost);
        float s = prior(p.entry) - weights_.per_cost * cost + p.extra;
        if (n == key.size() && std::memcmp(k, key.data(), n) == 0) s -= weights_.self_penalty;
        if (alike_sound) s += weights_.sound_bonus;
        candidates.push_back(Candidate{p.entry, NoEntry, s});
        keep_score(s);
    }

    std::sort(candidates.begin(), candidates.end(), [&](const Candidate& x, const Candidate& y) {
        if (x.score != y.score) return x.score > y.score;
        const int by_form = std::strcmp(lexicon_.form(x.entry), lexicon_.form(y.entry));
        return by_form != 0 ? by_form < 0 : x.right < y.right;
    });
    for (const Candidate& c : candidates) {
        if (out.size() >= max) break;
        std::string text;
        if (c.right == NoEntry) {
            text = shown(c.entry, word, len);
        } else {
            const size_t left = std::strlen(lexicon_.form(c.entry));
            text = key.substr(0, left) + " " + key.substr(left);
            apply_capitals(text, word, len);
        }
        if (std::find(out.begin(), out.end(), text) == out.end()) out.push_back(std::move(text));
    }
    if (out.size() > max) out.resize(max);
    return out;
}

void Ranker::add_splits(const std::string& key, std::vector<Candidate>& candidates) const {
    for (size_t i = 1; i < key.size(); ++i) {
        const uint32_t a = lexicon_.find(key.data(), i);
        if (a == NoEntry) continue;
        const uint32_t b = lexicon_.find(key.data() + i, key.size() - i);
        if (b == NoEntry) continue;
        const Entry& ea = lexicon_.entry(a);
        const Entry& eb = lexicon_.entry(b);
        if (ea.blocked || eb.blocked) continue;
        // Both halves must be common words of the word lists too: film
        // subtitles count stray letters and endings ("s", "ed") as words.
        auto common = [&](const Entry& e) {
            return e.level != 0 && e.level <= weights_.split_level &&
                   static_cast<float>(e.count) >= weights_.split_floor;
        };
        if (!common(ea) || !common(eb)) continue;
        auto lone = [](const char* p, size_t n) { return n == 1 && *p != 'a' && *p != 'i'; };
        if (lone(key.data(), i) || lone(key.data() + i, key.size() - i)) continue;
        // Two words drawn independently: the product of their frequencies.
        float s = prior(a) + prior(b) - weights_.split_corpus - weights_.split_penalty;
        // A half that is also a prefix or an ending of English words
        // ("re known", "willing less") is more often a wrong derivation than
        // a left-out space.
        if (affix_half(key.data(), i, key.data() + i, key.size() - i)) s -= weights_.split_affix;
        candidates.push_back(Candidate{a, b, s});
    }
}

}  // namespace lumo::ranker
