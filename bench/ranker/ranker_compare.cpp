// Ranked suggestions against the engine's own order, aspell and hunspell,
// on the odd and the even rows of the Wikipedia misspellings, in one run:
// top-1, top-5, top-10, mean and p99 microseconds per word.
//
// Usage: ranker_compare [--lang NAME] [--hunspell-every K] [--skip-peers] [--misses]
//                       [--lists FILE]
//   --lang en_GB (en_US, en_CA, en_AU): that variant's dictionary, beside
//   aspell's and hunspell's of it, on the rows whose correction it holds
//   (all rows for en_US); without it, the default main.dic and en_US peers.
//   hunspell takes about 27 ms a word; --hunspell-every K times only every
//   K-th row of each half for it (1, all rows, by default); --misses lists
//   the odd rows whose correction the ranker does not put first; --lists
//   writes the ranker's list for every row of both halves to FILE, so that
//   two builds' lists can be compared (a change meant for speed alone must
//   leave them as they were).
#include <dlfcn.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "lumospell/orthex.h"
#include "lumospell/ranker.h"
#include "misspelling_rows.h"

namespace {

using lumo::bench::load_rows;
using lumo::bench::lower;
using lumo::bench::Row;
using lumo::bench::thread_us;
using Clock = std::chrono::steady_clock;
using Suggester = std::function<std::vector<std::string>(const std::string&)>;

struct Figures {
    double top1 = 0, top5 = 0, top10 = 0, mean_us = 0, p99_us = 0, wall_us = 0;
    size_t rows = 0;
};

Figures measure(const Suggester& suggest, const std::vector<Row>& rows, size_t every,
                bool misses = false) {
    Figures f;
    std::vector<double> micros;
    size_t hits1 = 0, hits5 = 0, hits10 = 0;
    for (size_t i = 0; i < rows.size(); i += every) {
        const Row& row = rows[i];
        const auto start = Clock::now();
        const double cpu = thread_us();
        const std::vector<std::string> list = suggest(row.word);
        micros.push_back(thread_us() - cpu);
        f.wall_us += std::chrono::duration<double, std::micro>(Clock::now() - start).count();
        size_t rank = 0;
        for (; rank < list.size() && rank < 10; ++rank) {
            const std::string s = lower(list[rank]);
            if (std::find(row.corrections.begin(), row.corrections.end(), s) !=
                row.corrections.end())
                break;
        }
        if (misses && rank != 0) {
            std::printf("miss %s -> %s :", row.word.c_str(), row.corrections[0].c_str());
            for (size_t k = 0; k < list.size() && k < 5; ++k) std::printf(" %s", list[k].c_str());
            std::printf("\n");
        }
        hits1 += rank < 1 && rank < list.size();
        hits5 += rank < 5 && rank < list.size();
        hits10 += rank < 10 && rank < list.size();
    }
    f.rows = micros.size();
    if (f.rows == 0) return f;
    std::sort(micros.begin(), micros.end());
    double sum = 0;
    for (double m : micros) sum += m;
    const double n = static_cast<double>(f.rows);
    f.top1 = 100.0 * static_cast<double>(hits1) / n;
    f.top5 = 100.0 * static_cast<double>(hits5) / n;
    f.top10 = 100.0 * static_cast<double>(hits10) / n;
    f.mean_us = sum / n;
    f.wall_us /= n;
    f.p99_us = micros[(f.rows * 99 + 99) / 100 - 1];
    return f;
}

long rss_kib() {
    std::ifstream status("/proc/self/status");
    std::string key;
    long value = 0;
    while (status >> key) {
        if (key == "VmRSS:") {
            status >> value;
            return value;
        }
        status.ignore(1 << 12, '\n');
    }
    return 0;
}

double millis_since(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

Suggester engine_order(uint32_t session) {
    return [session](const std::string& word) {
        std::vector<char> text(word.begin(), word.end());
        text.push_back('\0');
        char area[1024];
        SpellInputBuffer in{};
        in.textLength = static_cast<uint16_t>(word.size());
        in.text = text.data();
        SpellReturnBuffer out{};
        out.suggestionCapacity = sizeof area;
        out.suggestions = area;
        SpellCheck(session, CommandSuggest, &in, &out);
        std::vector<std::string> list;
        const char* p = area;
        for (int i = 0; i < out.suggestionCount; ++i, p += std::strlen(p) + 1) list.emplace_back(p);
        return list;
    };
}

template <class F>
F bind(void* library, const char* name) {
    return reinterpret_cast<F>(dlsym(library, name));
}

// aspell through its C interface, loaded at run time.
bool aspell_suggester(const std::string& lang, Suggester& out) {
    void* lib = dlopen("libaspell.so.15", RTLD_NOW);
    if (lib == nullptr) return false;
    auto new_config = bind<void* (*)()>(lib, "new_aspell_config");
    auto replace = bind<int (*)(void*, const char*, const char*)>(lib, "aspell_config_replace");
    auto new_speller = bind<void* (*)(void*)>(lib, "new_aspell_speller");
    auto error_number = bind<unsigned (*)(void*)>(lib, "aspell_error_number");
    auto to_speller = bind<void* (*)(void*)>(lib, "to_aspell_speller");
    auto suggest = bind<const void* (*)(void*, const char*, int)>(lib, "aspell_speller_suggest");
    auto elements = bind<void* (*)(const void*)>(lib, "aspell_word_list_elements");
    auto next = bind<const char* (*)(void*)>(lib, "aspell_string_enumeration_next");
    auto drop = bind<void (*)(void*)>(lib, "delete_aspell_string_enumeration");
    if (!new_config || !replace || !new_speller || !error_number || !to_speller || !suggest ||
        !elements || !next || !drop)
        return false;
    void* config = new_config();
    replace(config, "lang", lang.c_str());
    replace(config, "encoding", "utf-8");
    void* made = new_speller(config);
    if (error_number(made) != 0) return false;
    void* speller = to_speller(made);
    out = [=](const std::string& word) {
        std::vector<std::string> list;
        const void* words = suggest(speller, word.c_str(), static_cast<int>(word.size()));
        void* it = elements(words);
        while (const char* w = next(it)) list.emplace_back(w);
        drop(it);
        return list;
    };
    return true;
}

// hunspell through its C interface, loaded at run time.
bool hunspell_suggester(const std::string& lang, Suggester& out) {
    void* lib = dlopen("libhunspell-1.7.so.0", RTLD_NOW);
    if (lib == nullptr) return false;
    auto create = bind<void* (*)(const char*, const char*)>(lib, "Hunspell_create");
    auto suggest = bind<int (*)(void*, char***, const char*)>(lib, "Hunspell_suggest");
    auto free_list = bind<void (*)(void*, char***, int)>(lib, "Hunspell_free_list");
    if (!create || !suggest || !free_list) return false;
    const std::string base = "/usr/share/hunspell/" + lang;
    void* handle = create((base + ".aff").c_str(), (base + ".dic").c_str());
    if (handle == nullptr) return false;
    out = [=](const std::string& word) {
        char** words = nullptr;
        const int n = suggest(handle, &words, word.c_str());
        std::vector<std::string> list(words, words + std::max(n, 0));
        free_list(handle, &words, n);
        return list;
    };
    return true;
}

void print_row(const char* name, const Figures& odd, const Figures& even, const Figures& base) {
    auto half = [&](const Figures& f, double base_mean) {
        if (f.rows == 0) {
            std::printf(" | %6s %6s %6s %9s %9s %9s %7s", "-", "-", "-", "-", "-", "-", "-");
            return;
        }
        std::printf(" | %5.1f%% %5.1f%% %5.1f%% %9.1f %9.1f %9.1f %6.2fx", f.top1, f.top5, f.top10,
                    f.mean_us, f.p99_us, f.wall_us, base_mean > 0 ? f.mean_us / base_mean : 0.0);
    };
    std::printf("%-14s", name);
    half(odd, base.mean_us);
    half(even, base.mean_us);
    std::printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
    size_t hunspell_every = 1;
    bool peers = true;
    bool misses = false;
    std::string lang, lists;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--lang") == 0 && i + 1 < argc)
            lang = argv[++i];
        else if (std::strcmp(argv[i], "--hunspell-every") == 0 && i + 1 < argc)
            hunspell_every = std::max(1, std::atoi(argv[++i]));
        else if (std::strcmp(argv[i], "--skip-peers") == 0)
            peers = false;
        else if (std::strcmp(argv[i], "--misses") == 0)
            misses = true;
        else if (std::strcmp(argv[i], "--lists") == 0 && i + 1 < argc)
            lists = argv[++i];
    }
    std::vector<Row> odd, even;
    load_rows(std::string(LUMOSPELL_DATA_DIR) + "/misspellings/misspellings-wikipedia.tsv", odd,
              even);
    const std::string data = LUMOSPELL_DATA_OUTPUT_DIR;
    const std::string main_dict = lang.empty() ? data + "/main.dic" : data + "/" + lang + ".dic";
    const std::string frequency =
        lang.empty() ? data + "/word-frequency.txt" : data + "/" + lang + "-frequency.txt";
    const std::string index = lang.empty() ? data + "/main.rank" : data + "/" + lang + ".rank";
    if (!lang.empty() && lang != "en_US") {
        // The list's corrections are American: keep the rows whose
        // correction the variant spells so too.
        std::set<std::string> words;
        std::ifstream in(main_dict);
        for (std::string w; std::getline(in, w);) words.insert(w.substr(0, w.find('\r')));
        for (std::vector<Row>* half : {&odd, &even})
            half->erase(
                std::remove_if(half->begin(), half->end(),
                               [&](const Row& r) { return !words.count(r.corrections[0]); }),
                half->end());
    }
    const std::string peer_lang = lang.empty() ? "en_US" : lang;

    long before = rss_kib();
    auto start = Clock::now();
    uint32_t session = 0;
    if (SpellInit(&session, nullptr) != 0 ||
        SpellOpenMdr(session, main_dict.c_str(), nullptr, 0, 0, 1033, nullptr) != 0) {
        std::fprintf(stderr, "cannot load %s into the engine\n", main_dict.c_str());
        return 1;
    }
    SpellOptions(session, 0);
    const double engine_ms = millis_since(start);
    const long engine_kib = rss_kib() - before;

    before = rss_kib();
    start = Clock::now();
    LumoRanker* ranker = nullptr;
    if (LumoRankOpen(main_dict.c_str(), frequency.c_str(), index.c_str(), &ranker) != LumoRankOk) {
        std::fprintf(stderr, "cannot open the ranker over %s\n", main_dict.c_str());
        return 1;
    }
    const double ranker_ms = millis_since(start);
    const long ranker_kib = rss_kib() - before;

    const Suggester ranked = [ranker](const std::string& word) {
        char area[2048];
        const int32_t n = LumoRankSuggest(ranker, word.c_str(), area, sizeof area, 10);
        std::vector<std::string> list;
        const char* p = area;
        for (int32_t i = 0; i < n; ++i, p += std::strlen(p) + 1) list.emplace_back(p);
        return list;
    };

    std::printf("dictionary %s; peers' %s\n", main_dict.c_str(), peer_lang.c_str());
    std::printf(
        "start-up: engine %.1f ms, %ld KiB; ranker %.1f ms (%s), %ld KiB above the engine\n",
        engine_ms, engine_kib, ranker_ms,
        LumoRankUsesIndex(ranker) ? "from its index" : "built, no valid index", ranker_kib);
    std::printf(
        "per word: mean and p99 CPU microseconds, mean wall microseconds, and the mean\n"
        "CPU time as a multiple of the ranker's on the odd rows\n");
    std::printf("%-14s | %-60s | %-60s\n", "", "odd rows (tuning)", "even rows (held out)");
    std::printf("%-14s", "");
    for (int h = 0; h < 2; ++h)
        std::printf(" | %6s %6s %6s %9s %9s %9s %7s", "top1", "top5", "top10", "mean_us", "p99_us",
                    "wall_us", "x rank");
    std::printf("\n");
    if (!lists.empty()) {
        std::ofstream file(lists);
        for (const std::vector<Row>* half : {&odd, &even})
            for (const Row& row : *half) {
                file << row.word << ':';
                for (const std::string& s : ranked(row.word)) file << ' ' << s;
                file << '\n';
            }
        if (!file) {
            std::fprintf(stderr, "cannot write %s\n", lists.c_str());
            return 1;
        }
    }
    const Figures r_odd = measure(ranked, odd, 1, misses);
    const Figures r_even = measure(ranked, even, 1);
    print_row("ranker", r_odd, r_even, r_odd);
    print_row("engine order", measure(engine_order(session), odd, 1),
              measure(engine_order(session), even, 1), r_odd);
    if (peers) {
        Suggester peer;
        if (aspell_suggester(peer_lang, peer))
            print_row("aspell", measure(peer, odd, 1), measure(peer, even, 1), r_odd);
        else
            std::printf("%-14s | not installed (apt-get install aspell aspell-en)\n", "aspell");
        if (hunspell_suggester(peer_lang, peer))
            print_row("hunspell", measure(peer, odd, hunspell_every),
                      measure(peer, even, hunspell_every), r_odd);
        else
            std::printf("%-14s | not installed (apt-get install hunspell hunspell-en-us)\n",
                        "hunspell");
    }
    std::printf("rows: %zu odd, %zu even (hunspell every %zu-th)\n", odd.size(), even.size(),
                hunspell_every);
    LumoRankClose(ranker);
    SpellTerminate(session, 1);
    return 0;
}
