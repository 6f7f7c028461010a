// Verification throughput and suggestion latency of the engine library,
// called through its exports as the front calls it.
//
// LUMOSPELL_WORDS, LUMOSPELL_PROSE (files separated by ':') and
// LUMOSPELL_MISSPELLINGS replace the shipped data files.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "lumospell/orthex.h"

namespace {

// The front copies the host's text into a buffer of this size.
constexpr size_t PieceBytes = 16383;

std::string setting(const char* name, const std::string& fallback) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != 0 ? value : fallback;
}

std::string read_whole(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "cannot read %s\n", path.c_str());
        std::exit(1);
    }
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool is_letter(unsigned char c) { return (c | 0x20) >= 'a' && (c | 0x20) <= 'z'; }
bool is_word_char(unsigned char c) {
    return is_letter(c) || (c >= '0' && c <= '9') || c == '\'' || c == '-' || c == '_';
}

// Pieces of at most PieceBytes, cut after a space or line end, each with
// the spare byte that the engine terminates the text with.
struct Prose {
    std::vector<std::vector<char>> pieces;
    size_t bytes = 0;
    size_t words = 0;
};

const Prose& prose() {
    static const Prose loaded = [] {
        Prose p;
        std::string text;
        const std::string paths = setting("LUMOSPELL_PROSE", std::string(LUMOSPELL_DATA_DIR) +
                                                                 "/prose/devil.txt:" +
                                                                 LUMOSPELL_DATA_DIR +
                                                                 "/prose/jargon.txt");
        for (size_t start = 0; start <= paths.size();) {
            size_t colon = paths.find(':', start);
            if (colon == std::string::npos) colon = paths.size();
            text += read_whole(paths.substr(start, colon - start));
            start = colon + 1;
        }
        p.bytes = text.size();
        for (size_t i = 0; i < text.size();) {
            if (!is_letter(static_cast<unsigned char>(text[i]))) {
                ++i;
                continue;
            }
            ++p.words;
            while (i < text.size() && is_word_char(static_cast<unsigned char>(text[i]))) ++i;
        }
        for (size_t pos = 0; pos < text.size();) {
            size_t len = std::min(PieceBytes, text.size() - pos);
            if (pos + len < text.size()) {
                const size_t cut = text.find_last_of(" \n", pos + len - 1);
                if (cut != std::string::npos && cut > pos) len = cut + 1 - pos;
            }
            std::vector<char> piece(text.begin() + static_cast<long>(pos),
                                    text.begin() + static_cast<long>(pos + len));
            piece.push_back('\0');
            p.pieces.push_back(std::move(piece));
            pos += len;
        }
        return p;
    }();
    return loaded;
}

// The misspelt words: the first column of each line, skipping comment
// lines and entries that are not a single word.
const std::vector<std::vector<char>>& misspellings() {
    static const std::vector<std::vector<char>> loaded = [] {
        std::vector<std::vector<char>> words;
        const std::string text = read_whole(setting(
            "LUMOSPELL_MISSPELLINGS",
            std::string(LUMOSPELL_DATA_DIR) + "/misspellings/misspellings-wikipedia.tsv"));
        for (size_t pos = 0; pos < text.size();) {
            size_t nl = text.find('\n', pos);
            if (nl == std::string::npos) nl = text.size();
            const std::string line = text.substr(pos, nl - pos);
            pos = nl + 1;
            const std::string word = line.substr(0, line.find_first_of("\t\r"));
            if (word.empty() || word[0] == '#') continue;
            if (!std::all_of(word.begin(), word.end(), [](char c) {
                    return is_letter(static_cast<unsigned char>(c)) || c == '\'' || c == '-';
                }))
                continue;
            words.emplace_back(word.begin(), word.end());
            words.back().push_back('\0');
        }
        return words;
    }();
    return loaded;
}

uint32_t open_engine() {
    static uint32_t session = [] {
        uint32_t id = 0;
        const std::string words = setting(
            "LUMOSPELL_WORDS", std::string(LUMOSPELL_DATA_DIR) + "/words/american-english-large");
        if (SpellInit(&id, nullptr) != 0 ||
            SpellOpenMdr(id, words.c_str(), nullptr, 0, 0, 1033, nullptr) != 0) {
            std::fprintf(stderr, "cannot load %s\n", words.c_str());
            std::exit(1);
        }
        SpellOptions(id, 0);
        return id;
    }();
    return session;
}

void BM_VerifyProse(benchmark::State& state) {
    const uint32_t session = open_engine();
    const Prose& text = prose();
    char area[256];
    size_t reported = 0;
    for (auto _ : state) {
        reported = 0;
        for (const std::vector<char>& piece : text.pieces) {
            char* data = const_cast<char*>(piece.data());
            size_t pos = 0;
            const size_t len = piece.size() - 1;
            for (;;) {
                SpellInputBuffer in{};
                in.textLength = static_cast<uint16_t>(len - pos);
                in.text = data + pos;
                SpellReturnBuffer out{};
                out.suggestionCapacity = sizeof area;
                out.suggestions = area;
                SpellCheck(session, CommandVerifyBuffer, &in, &out);
                if (out.status == StatusNoErrors) break;
                ++reported;
                pos += out.errorOffset + out.errorLength;
            }
        }
        benchmark::DoNotOptimize(area);
    }
    const double runs = static_cast<double>(state.iterations());
    state.counters["words_per_second"] =
        benchmark::Counter(static_cast<double>(text.words) * runs, benchmark::Counter::kIsRate);
    state.counters["words"] = static_cast<double>(text.words);
    state.counters["reported"] = static_cast<double>(reported);
    state.SetBytesProcessed(static_cast<int64_t>(text.bytes) * state.iterations());
}
BENCHMARK(BM_VerifyProse)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_SuggestMisspellings(benchmark::State& state) {
    using Clock = std::chrono::steady_clock;
    const uint32_t session = open_engine();
    const auto& words = misspellings();
    std::vector<double> nanos;
    nanos.reserve(words.size() * 64);
    char area[256];
    size_t with_suggestions = 0;
    for (auto _ : state) {
        with_suggestions = 0;
        for (const std::vector<char>& word : words) {
            SpellInputBuffer in{};
            in.textLength = static_cast<uint16_t>(word.size() - 1);
            in.text = const_cast<char*>(word.data());
            SpellReturnBuffer out{};
            out.suggestionCapacity = sizeof area;
            out.suggestions = area;
            const auto start = Clock::now();
            SpellCheck(session, CommandSuggest, &in, &out);
            const auto stop = Clock::now();
            if (nanos.size() < nanos.capacity())
                nanos.push_back(std::chrono::duration<double, std::nano>(stop - start).count());
            if (out.suggestionCount > 0) ++with_suggestions;
        }
    }
    std::sort(nanos.begin(), nanos.end());
    double sum = 0;
    for (double n : nanos) sum += n;
    const size_t p99 = nanos.empty() ? 0 : (nanos.size() * 99 + 99) / 100 - 1;
    state.counters["mean_us"] = nanos.empty() ? 0 : sum / static_cast<double>(nanos.size()) / 1e3;
    state.counters["p99_us"] = nanos.empty() ? 0 : nanos[p99] / 1e3;
    state.counters["words"] = static_cast<double>(words.size());
    state.counters["with_suggestions"] = static_cast<double>(with_suggestions);
}
BENCHMARK(BM_SuggestMisspellings)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();
