#include "ranker.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "frequency.h"
#include "index_file.h"
#include "word_lists.h"
#include "common/word_rules.h"

namespace lumo::ranker {

namespace {

using common::bounded_length;
using common::suffix_cut;

std::string folded(const char* word, size_t len) {
    std::string key(word, len);
    for (char& c : key) c = fold(c);
    return key;
}

}  // namespace

OpenStatus Ranker::open(const std::string& main_dict, const std::string* frequency,
                        const std::string* index) {
    main_dict_ = main_dict;
    frequency_ = frequency != nullptr ? *frequency : std::string();
    if (index != nullptr) {
        Fingerprint dict, freq;
        if (!fingerprint_file(main_dict, dict)) return OpenStatus::MainDict;
        if (frequency != nullptr && !fingerprint_file(*frequency, freq))
            return OpenStatus::Frequency;
        if (read_index(*index, dict, freq, lexicon_) == IndexResult::Ok) {
            from_index_ = true;
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

    std::vector<Match> matches;
    matches.reserve(256);
    lexicon_.within(key.data(), key.size(), 2, matches);
    bool near = false;
    for (const Match& m : matches)
        if (m.distance <= 1 && !lexicon_.entry(m.entry).blocked) near = true;

    std::vector<Candidate> candidates;
    candidates.reserve(matches.size() + 16);
    const std::string typed_sound = sound_key(key.data(), key.size());
    auto score_word = [&](uint32_t id, float extra) {
        const std::string k = folded(lexicon_.form(id), std::strlen(lexicon_.form(id)));
        float cost = typo_cost(key.data(), key.size(), k.data(), k.size(), weights_.channel);
        float s = prior(id) - weights_.per_cost * cost - extra;
        if (k == key) s -= weights_.self_penalty;
        if (sound_key(k.data(), k.size()) == typed_sound) s += weights_.sound_bonus;
        candidates.push_back(Candidate{k, id, s});
    };
    for (const Match& m : matches)
        if (!lexicon_.entry(m.entry).blocked) score_word(m.entry, 0.0f);

    // Words that sound alike however many edits away ("beaurocracy").
    std::vector<uint32_t> alike;
    lexicon_.sound_alike(typed_sound, weights_.sound_limit, alike);
    if (!alike.empty()) {
        std::vector<uint32_t> matched;
        matched.reserve(matches.size());
        for (const Match& m : matches) matched.push_back(m.entry);
        std::sort(matched.begin(), matched.end());
        for (const uint32_t id : alike)
            if (!lexicon_.entry(id).blocked &&
                !std::binary_search(matched.begin(), matched.end(), id))
                score_word(id, 0.0f);
    }

    if (!near) {
        // What the engine offers when no single edit gives a known word.
        std::string stem = key;
        for (size_t cut = suffix_cut(stem.data(), stem.size()); cut != 0;
             cut = suffix_cut(stem.data(), stem.size())) {
            stem.resize(stem.size() - cut);
            std::vector<Match> stem_matches;
            lexicon_.within(stem.data(), stem.size(), 1, stem_matches);
            bool hit = false;
            for (const Match& m : stem_matches) {
                if (lexicon_.entry(m.entry).blocked) continue;
                hit = true;
                score_word(m.entry, weights_.stem_penalty);
            }
            if (hit) break;
        }
    }

    for (size_t i = 1; i < key.size(); ++i) {
        const std::string left = key.substr(0, i);
        const std::string right = key.substr(i);
        const uint32_t a = lexicon_.find(left.data(), left.size());
        const uint32_t b = lexicon_.find(right.data(), right.size());
        if (a == NoEntry || b == NoEntry) continue;
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
        if ((left.size() == 1 && left != "a" && left != "i") ||
            (right.size() == 1 && right != "a" && right != "i"))
            continue;
        // Two words drawn independently: the product of their frequencies.
        const float s = prior(a) + prior(b) - weights_.split_corpus - weights_.split_penalty;
        candidates.push_back(Candidate{left + " " + right, NoEntry, s});
    }

    std::sort(candidates.begin(), candidates.end(), [](const Candidate& x, const Candidate& y) {
        return x.score != y.score ? x.score > y.score : x.key < y.key;
    });
    for (const Candidate& c : candidates) {
        if (out.size() >= max) break;
        std::string text = c.entry != NoEntry ? std::string(lexicon_.form(c.entry)) : c.key;
        apply_capitals(text, word, len);
        if (std::find(out.begin(), out.end(), text) == out.end()) out.push_back(std::move(text));
    }
    if (out.size() > max) out.resize(max);
    return out;
}

}  // namespace lumo::ranker
