// Build time and peak memory of the dictionary builder on a real source,
// against a plain shell pipeline that extracts similar tokens
// (sed | grep -o | sort -u).  Every measured run is a freshly started
// program, so its peak resident size is its own.
//
//   build_bench [SOURCE] [--million]
//
// --million also builds from 1,000,000 distinct words, more than the
// builder's 800000 slots.
#include <dlfcn.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <unordered_set>
#include <vector>

#include "lumospell/lexforge.h"

namespace {

constexpr int Repeats = 5;

struct Measure {
    double seconds = 0;  // median wall time
    long peak_kib = 0;   // largest peak resident size seen
    int status = 0;
};

double now() {
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// Runs work in a child; the child's exit status is work's result.
Measure run_once(const std::function<int()>& work) {
    Measure m;
    const double start = now();
    const pid_t child = fork();
    if (child == 0) _exit(work());
    rusage usage{};
    wait4(child, &m.status, 0, &usage);
    m.seconds = now() - start;
    m.peak_kib = usage.ru_maxrss;  // includes the child's own children
    return m;
}

Measure run(const std::function<int()>& work, int repeats) {
    std::vector<double> times;
    Measure result;
    for (int i = 0; i < repeats; ++i) {
        const Measure m = run_once(work);
        times.push_back(m.seconds);
        result.peak_kib = std::max(result.peak_kib, m.peak_kib);
        result.status = m.status;
    }
    std::sort(times.begin(), times.end());
    result.seconds = times[times.size() / 2];
    return result;
}

int build_with_library(const std::string& source, const std::string& output) {
    void* library = dlopen(LEXFORGE_LIBRARY_PATH, RTLD_NOW);
    if (library == nullptr) return 90;
    auto make = reinterpret_cast<decltype(&LumoSpellMakeDic)>(dlsym(library, "LumoSpellMakeDic"));
    if (make == nullptr) return 91;
    return make(nullptr, source.c_str(), output.c_str()) == 1 ? 0 : 92;
}

// Starts this program afresh to build (or, without paths, only to load the
// library), so that nothing of the measuring process counts.
int run_self(const std::vector<std::string>& paths) {
    if (paths.empty()) {
        execl("/proc/self/exe", "build_bench", "--load", static_cast<char*>(nullptr));
    } else {
        execl("/proc/self/exe", "build_bench", "--build", paths[0].c_str(), paths[1].c_str(),
              static_cast<char*>(nullptr));
    }
    return 94;
}

// Cuts the pronunciation label up to the next opening bracket (byte-wise,
// as the builder does), then takes letter-initial runs of letters, digits
// and joiners.  Unlike the builder it reads trail bytes as characters.
std::string pipeline_command(const std::string& source, const std::string& output) {
    return "LC_ALL=C sed 's/\\x81\\x79\\x94\\xad\\x89\\xb9\\x81\\x7a\\([^\\x81]\\|\\x81[^\\x79]\\)*//' '" +
           source + "' | LC_ALL=C grep -aoE \"[A-Za-z][A-Za-z0-9.'-]*\" | LC_ALL=C sort -u > '" + output +
           "'";
}

int run_shell(const std::string& command) {
    execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
    return 93;
}

double mib(long kib) { return static_cast<double>(kib) / 1024.0; }

long count_lines(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return static_cast<long>(std::count(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>(), '\n'));
}

long long file_bytes(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 ? static_cast<long long>(st.st_size) : -1;
}

bool failed(const Measure& m, const char* what) {
    if (WIFEXITED(m.status) && WEXITSTATUS(m.status) == 0) return false;
    std::fprintf(stderr, "%s failed (status 0x%x)\n", what, m.status);
    return true;
}

// Random lower-case words of 4 to 10 letters, all different, in the
// order drawn.
void write_million(const std::string& path) {
    std::mt19937 generator(1);
    std::uniform_int_distribution<int> length(4, 10), letter(0, 25);
    std::unordered_set<std::string> seen;
    std::ofstream out(path, std::ios::binary);
    std::string word;
    while (seen.size() < 1000000) {
        word.clear();
        const int n = length(generator);
        for (int j = 0; j < n; ++j) word.push_back(static_cast<char>('a' + letter(generator)));
        if (seen.insert(word).second) out << word << "\r\n";
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--load") == 0)
        return dlopen(LEXFORGE_LIBRARY_PATH, RTLD_NOW) != nullptr ? 0 : 90;
    if (argc == 4 && std::strcmp(argv[1], "--build") == 0) return build_with_library(argv[2], argv[3]);
    std::string source = LUMOSPELL_DATA_DIR "/ej/ej-source-full.sjis.txt";
    bool million = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--million") == 0)
            million = true;
        else
            source = argv[i];
    }
    char scratch[] = "/tmp/lexforge-bench-XXXXXX";
    if (mkdtemp(scratch) == nullptr) return 1;
    const std::string dir = scratch;
    const std::string built = dir + "/lexforge.dic", piped = dir + "/pipeline.txt";

    std::printf("source: %s (%lld bytes), median of %d runs\n", source.c_str(), file_bytes(source), Repeats);
    const Measure bare = run([] { return run_self({}); }, Repeats);
    const Measure lexforge = run([&] { return run_self({source, built}); }, Repeats);
    const Measure pipeline = run([&] { return run_shell(pipeline_command(source, piped)); }, Repeats);
    if (failed(bare, "loading the library") || failed(lexforge, "the build") || failed(pipeline, "the pipeline"))
        return 1;
    std::printf("%-22s %9s %14s %10s\n", "", "time (s)", "peak RSS (MiB)", "words");
    std::printf("%-22s %9.3f %14.1f %10ld\n", "lexforge build", lexforge.seconds, mib(lexforge.peak_kib),
                count_lines(built));
    std::printf("%-22s %9s %14.1f\n", "  (library loaded only)", "", mib(bare.peak_kib));
    std::printf("%-22s %9.3f %14.1f %10ld\n", "sed|grep -o|sort -u", pipeline.seconds,
                mib(pipeline.peak_kib), count_lines(piped));
    std::printf("ratio lexforge / pipeline: time %.2f, peak memory %.2f (pipeline: its largest process)\n",
                lexforge.seconds / pipeline.seconds,
                static_cast<double>(lexforge.peak_kib) / static_cast<double>(pipeline.peak_kib));

    if (million) {
        const std::string words = dir + "/million.txt", out = dir + "/million.dic";
        // Made in a child: the peak size of a run counts what it inherits
        // from this process at the fork.
        run_once([&] {
            write_million(words);
            return 0;
        });
        const Measure full = run([&] { return run_self({words, out}); }, 1);
        if (failed(full, "the 1,000,000-word build")) return 1;
        std::printf("1,000,000 distinct words (%lld bytes): %.1f s, peak RSS %.1f MiB, %ld words written\n",
                    file_bytes(words), full.seconds, mib(full.peak_kib), count_lines(out));
    }
    const std::string cleanup = "rm -rf '" + dir + "'";
    return std::system(cleanup.c_str()) == 0 ? 0 : 1;
}
