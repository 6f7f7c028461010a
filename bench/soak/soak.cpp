// Soak: one long session of the front library, as a host would hold it.
// Checks tens of megabytes of real prose in 16 KB pieces, fetches the
// suggestions of every reported word, and every 50th reported word adds it
// to the user dictionary (or ignores it always), then ends the session,
// which saves.  Prints resident and peak memory and the open descriptors
// at intervals; flat figures after the first interval are what it shows.
//
//   soak [MEGABYTES [REPORT_EVERY_MB]]     (default 64 and 8)
#include <dirent.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "speller/dictionary_locations.h"
#include "speller/host_libraries.h"

using namespace lumo::tool;

namespace {

constexpr size_t PieceBytes = 16383;  // the front's text buffer less its NUL
constexpr int AddEvery = 50;

int open_descriptors() {
    DIR* dir = opendir("/proc/self/fd");
    if (dir == nullptr) return -1;
    int count = 0;
    while (const dirent* entry = readdir(dir)) count += entry->d_name[0] != '.';
    closedir(dir);
    return count - 1;
}

// A field of /proc/self/status in KB: VmRSS (resident now) or VmHWM (peak).
long status_kb(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    const size_t length = std::strlen(field);
    while (std::getline(status, line))
        if (line.compare(0, length, field) == 0 && line.size() > length && line[length] == ':')
            return std::strtol(line.c_str() + length + 1, nullptr, 10);
    return -1;
}

long resident_kb() { return status_kb("VmRSS"); }
// The kernel updates the peak lazily; it is never below the resident size.
long peak_kb() { return std::max(status_kb("VmHWM"), status_kb("VmRSS")); }

std::string read_all(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

int main(int argc, char** argv) {
    const double megabytes = argc > 1 ? std::atof(argv[1]) : 64;
    const double every = argc > 2 ? std::atof(argv[2]) : 8;
    const std::string data = LUMOSPELL_DATA_DIR;
    const std::string prose =
        read_all(data + "/prose/devil.txt") + read_all(data + "/prose/jargon.txt");
    if (prose.size() < PieceBytes) {
        std::fprintf(stderr, "soak: no prose under %s\n", data.c_str());
        return 2;
    }
    char dir_template[] = "/tmp/lumospell-soak-XXXXXX";
    const char* dir = mkdtemp(dir_template);
    if (dir == nullptr) return 2;
    const std::string user_dict = std::string(dir) + "/user.dic";
    std::fclose(std::fopen(user_dict.c_str(), "wb"));

    const int descriptors_before = open_descriptors();
    FrontApi api;
    std::string error;
    const std::string main_dict = default_main_dictionary();
    if (!bind_front(find_library("liborthbridge.so"), api, error) ||
        api.init(find_library("liborthex.so").c_str()) != 1 ||
        api.init2(main_dict.c_str(), user_dict.c_str(), 0, 1) != 1) {
        std::fprintf(stderr, "soak: cannot open a session: %s\n", error.c_str());
        return 2;
    }
    const int descriptors_open = open_descriptors();
    std::printf("soak: %.0f MB of prose in 16 KB pieces, main dictionary %s\n", megabytes,
                main_dict.c_str());
    std::printf("%8s %9s %11s %9s %10s %10s %5s\n", "MB", "reported", "suggestions", "added",
                "rss_kb", "peak_kb", "fds");

    const double total = megabytes * 1024 * 1024;
    double checked = 0, next_report = 0;
    size_t at = 0;
    long reported = 0, suggestions = 0, added = 0;
    long first_rss = -1, last_rss = 0, peak_seen = 0;
    CheckResult result;
    char suggestion[256];
    std::string piece;
    while (checked < total) {
        // The next 16 KB of the prose, cut at a line end so no word is split.
        if (at + PieceBytes > prose.size()) at = 0;
        size_t length = PieceBytes;
        const size_t line_end = prose.rfind('\n', at + length - 1);
        if (line_end != std::string::npos && line_end > at) length = line_end - at + 1;
        piece.assign(prose, at, length);
        at += length;
        checked += static_cast<double>(length);

        size_t from = 0;
        while (from < piece.size()) {
            const int status = api.check(piece.c_str() + from, &result);
            if (status <= 0) break;
            ++reported;
            for (int more = api.suggestion_first(suggestion); more == 1;
                 more = api.suggestion_next(suggestion))
                ++suggestions;
            if (reported % AddEvery == 0) {
                const int code = (reported / AddEvery) % 2 == 0 ? api.add_word(result.word)
                                                                 : api.ignore_always(result.word);
                added += code == 0;
            }
            from += static_cast<size_t>(static_cast<uint16_t>(result.wordOffset)) +
                    std::max<size_t>(1, std::strlen(result.word));
        }
        if (checked >= next_report || checked >= total) {
            last_rss = resident_kb();
            if (first_rss < 0) first_rss = last_rss;
            peak_seen = std::max(peak_seen, peak_kb());
            std::printf("%8.1f %9ld %11ld %9ld %10ld %10ld %5d\n", checked / 1048576, reported,
                        suggestions, added, last_rss, peak_seen, open_descriptors());
            std::fflush(stdout);
            next_report += every * 1048576;
        }
    }
    api.terminate();
    const int descriptors_after = open_descriptors();
    std::printf("soak: resident %ld KB after the first piece, %ld KB at the end (%+ld KB); "
                "peak %ld KB\n",
                first_rss, last_rss, last_rss - first_rss, peak_seen);
    std::printf("soak: open descriptors %d before the session, %d during, %d after it ended\n",
                descriptors_before, descriptors_open, descriptors_after);
    const std::string saved = read_all(user_dict);
    std::printf("soak: user dictionary saved with %zu bytes\n", saved.size());
    std::string command = std::string("rm -rf '") + dir + "'";
    if (std::system(command.c_str()) != 0) return 2;
    return descriptors_after == descriptors_before ? 0 : 1;
}
