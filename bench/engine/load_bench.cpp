// Loading a 500,000-word list and looking words up at that fill.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "engine.h"

using namespace lumo::engine;

namespace {

constexpr int ListWords = 500000;

// Pronounceable made-up words, distinct and reproducible.
std::string make_word(uint32_t n) {
    static const char* const syllables[] = {"ka", "lo", "mi", "nu", "ter", "sa", "vel", "dor",
                                           "pi", "ran", "qu", "zo", "fen", "gri", "bo", "tha"};
    std::string word;
    do {
        word += syllables[n % 16];
        n /= 16;
    } while (n);
    return word;
}

const std::string& word_list_path() {
    static const std::string path = [] {
        std::string p = "/tmp/lumospell-bench-" + std::to_string(getpid()) + ".dic";
        std::FILE* f = std::fopen(p.c_str(), "wb");
        for (uint32_t i = 0; i < ListWords; ++i) std::fprintf(f, "%s\r\n", make_word(i).c_str());
        std::fclose(f);
        return p;
    }();
    return path;
}

void LoadWordList500k(benchmark::State& state) {
    const std::string& path = word_list_path();
    for (auto _ : state) {
        auto engine = std::make_unique<Engine>();
        uint32_t id;
        engine->init(&id);
        if (engine->open_main(path.c_str()) != 0) state.SkipWithError("load failed");
        benchmark::DoNotOptimize(engine->table().count());
    }
    state.counters["words/s"] =
        benchmark::Counter(static_cast<double>(ListWords) * static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate);
}
BENCHMARK(LoadWordList500k)->Unit(benchmark::kMillisecond);

void Lookup(benchmark::State& state, bool hits) {
    static std::unique_ptr<Engine> engine = [] {
        auto e = std::make_unique<Engine>();
        uint32_t id;
        e->init(&id);
        e->open_main(word_list_path().c_str());
        return e;
    }();
    std::vector<std::string> probes;
    for (uint32_t i = 0; i < 4096; ++i)
        probes.push_back(hits ? make_word(i * 97 % ListWords) : make_word(i * 97) + "x");
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            engine->table().lookup(probes[i++ & 4095].c_str(), ModeFind, WordTagLookupOnly));
    }
    state.counters["lookups/s"] = benchmark::Counter(static_cast<double>(state.iterations()),
                                                     benchmark::Counter::kIsRate);
}
BENCHMARK_CAPTURE(Lookup, hits, true);
BENCHMARK_CAPTURE(Lookup, misses, false);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::remove(word_list_path().c_str());
    return 0;
}
