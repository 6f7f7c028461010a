// Our libraries and the peers' on the same text in one run: verification
// through SpellCheck (default and 500,000-word dictionary) against a plain
// open-addressing table over the same words and the aspell, hunspell and
// nuspell libraries word by word; the front road with 512-byte, 4 KB and
// 16 KB pieces against aspell's library; loading 500,000 words (with and
// without its table image) against read() of the file into memory.
// Rivals are run interleaved, A B A B, five rounds; each figure is the
// median (and best) of them, in processor time.
//
//   peers_bench [TEXT...]   (default: data/prose/*.txt)
// LUMOSPELL_REPEAT=N takes the text N times (the default makes ~10 MB).
#include <aspell.h>
#include <fcntl.h>
#include <hunspell/hunspell.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <nuspell/dictionary.hxx>
#include <string>
#include <vector>

#include "lumospell/orthbridge.h"
#include "lumospell/orthex.h"

namespace {

const std::string data_dir = LUMOSPELL_DATA_DIR;
const std::string default_words = LUMOSPELL_MAIN_DICT;

std::string read_whole(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool is_letter(unsigned char c) { return (c | 0x20) >= 'a' && (c | 0x20) <= 'z'; }
bool is_word_char(unsigned char c) {
    return is_letter(c) || (c >= '0' && c <= '9') || c == '\'' || c == '-' || c == '_';
}

std::vector<std::string> tokens_of(const std::string& text) {
    std::vector<std::string> tokens;
    for (size_t i = 0; i < text.size();) {
        if (!is_letter(static_cast<unsigned char>(text[i]))) {
            ++i;
            continue;
        }
        const size_t start = i;
        while (i < text.size() && is_word_char(static_cast<unsigned char>(text[i]))) ++i;
        tokens.push_back(text.substr(start, i - start));
    }
    return tokens;
}

// Pieces of at most limit bytes cut after a blank (or the whole rest).
std::vector<std::string> pieces_of(const std::string& text, size_t limit) {
    std::vector<std::string> pieces;
    for (size_t pos = 0; pos < text.size();) {
        size_t len = std::min(limit, text.size() - pos);
        if (pos + len < text.size()) {
            const size_t cut = text.find_last_of(" \n\t", pos + len - 1);
            if (cut != std::string::npos && cut >= pos) len = cut + 1 - pos;
        }
        pieces.push_back(text.substr(pos, len));
        pos += len;
    }
    return pieces;
}

// Processor time of this process: on a machine shared with other work,
// wall time would measure the others too.
double cpu_now() {
    timespec t;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// Verification rounds are short (tens of milliseconds) and a ratio of two
// of them swings by several per cent from run to run with five.
constexpr int VerifyRounds = 15;

struct Timing {
    double median;
    double best;
};

// Runs the rivals in turn, round after round, so that a change in the
// machine's load falls on all of them alike.
std::vector<Timing> interleaved(const std::vector<std::function<void()>>& rivals, int rounds = 5) {
    std::vector<std::vector<double>> times(rivals.size());
    for (int r = 0; r < rounds; ++r) {
        for (size_t i = 0; i < rivals.size(); ++i) {
            const double start = cpu_now();
            rivals[i]();
            times[i].push_back(cpu_now() - start);
        }
    }
    std::vector<Timing> out;
    for (std::vector<double>& t : times) {
        std::sort(t.begin(), t.end());
        out.push_back(Timing{t[t.size() / 2], t[0]});
    }
    return out;
}

// A plain open-addressing table of the same words: linear probing over a
// power of two twice the words, ASCII case folded, hash and offset per slot.
class PlainTable {
public:
    explicit PlainTable(const std::string& list) {
        size_t count = 0;
        for (size_t i = 0; i < list.size();) {
            size_t j = list.find_first_of("\r\n", i);
            if (j == std::string::npos) j = list.size();
            if (j > i) {
                words_.append(list, i, j - i);
                words_.push_back('\0');
                ++count;
            }
            i = j + 1;
        }
        size_t size = 1;
        while (size < 2 * count) size <<= 1;
        mask_ = size - 1;
        slots_.assign(size, Slot{0, UINT32_MAX});
        for (size_t at = 0; at < words_.size();) {
            const char* w = words_.c_str() + at;
            const size_t n = std::strlen(w);
            insert(w, n, static_cast<uint32_t>(at));
            at += n + 1;
        }
    }
    bool contains(const char* w, size_t n) const {
        const uint32_t h = hash(w, n);
        for (size_t s = h & mask_;; s = (s + 1) & mask_) {
            const Slot& slot = slots_[s];
            if (slot.offset == UINT32_MAX) return false;
            if (slot.hash == h && same(words_.c_str() + slot.offset, w, n)) return true;
        }
    }

private:
    struct Slot {
        uint32_t hash;
        uint32_t offset;
    };
    static unsigned char fold(unsigned char c) { return c >= 'A' && c <= 'Z' ? c | 0x20 : c; }
    static uint32_t hash(const char* w, size_t n) {
        uint32_t h = 2166136261u;
        for (size_t i = 0; i < n; ++i) h = (h ^ fold(static_cast<unsigned char>(w[i]))) * 16777619u;
        return h;
    }
    static bool same(const char* stored, const char* w, size_t n) {
        for (size_t i = 0; i < n; ++i) {
            const auto a = static_cast<unsigned char>(stored[i]);
            if (fold(a) != fold(static_cast<unsigned char>(w[i]))) return false;
        }
        return stored[n] == '\0';
    }
    void insert(const char* w, size_t n, uint32_t offset) {
        const uint32_t h = hash(w, n);
        for (size_t s = h & mask_;; s = (s + 1) & mask_) {
            Slot& slot = slots_[s];
            if (slot.offset == UINT32_MAX) {
                slot = Slot{h, offset};
                return;
            }
            if (slot.hash == h && same(words_.c_str() + slot.offset, w, n)) return;
        }
    }
    std::string words_;
    std::vector<Slot> slots_;
    size_t mask_ = 0;
};

// The same walk through the same pieces, every word looked up in the
// plain table (without the engine's rules for possessives, capitals and
// digits, which only ever spare it a look-up).
size_t verify_plain(const std::vector<std::string>& pieces, const PlainTable& table) {
    size_t unknown = 0;
    for (const std::string& piece : pieces) {
        const auto* p = reinterpret_cast<const unsigned char*>(piece.data());
        const size_t end = piece.size();
        for (size_t i = 0; i < end;) {
            if (!is_letter(p[i])) {
                ++i;
                continue;
            }
            const size_t start = i++;
            while (i < end && is_word_char(p[i])) ++i;
            size_t n = i - start;
            if (p[start + n - 1] == '\'') --n;
            unknown += table.contains(piece.data() + start, n) ? 0 : 1;
        }
    }
    return unknown;
}

// The reference for loading: the file read() into memory.
size_t read_into_memory(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY);
    if (fd < 0) return 0;
    struct stat st {};
    fstat(fd, &st);
    std::unique_ptr<char[]> bytes(new char[static_cast<size_t>(st.st_size) + 1]);
    size_t got = 0;
    for (ssize_t n; got < static_cast<size_t>(st.st_size) &&
                    (n = read(fd, bytes.get() + got, static_cast<size_t>(st.st_size) - got)) > 0;)
        got += static_cast<size_t>(n);
    close(fd);
    return got + static_cast<size_t>(bytes[0] != 0);
}

// Verification through SpellCheck, as the front calls it, over 16 KB pieces.
size_t verify_engine(std::vector<std::string>& pieces) {
    static uint32_t session = 1;
    char area[256];
    size_t reported = 0;
    for (std::string& piece : pieces) {
        size_t pos = 0;
        for (;;) {
            SpellInputBuffer in{};
            in.textLength = static_cast<uint16_t>(piece.size() - pos);
            in.text = &piece[pos];
            SpellReturnBuffer out{};
            out.suggestionCapacity = sizeof area;
            out.suggestions = area;
            SpellCheck(session, CommandVerifyBuffer, &in, &out);
            if (out.status == StatusNoErrors) break;
            ++reported;
            pos += out.errorOffset + out.errorLength;
        }
    }
    return reported;
}

// The host's road: check, then check again past each reported word.  With
// a leading blank each piece starts as it would inside the text.
size_t front_road(const std::vector<std::string>& pieces, bool leading_blank) {
    CheckResult result;
    size_t reported = 0;
    std::string buffer;
    for (const std::string& piece : pieces) {
        buffer = leading_blank ? " " + piece : piece;
        size_t pos = 0;
        while (pos < buffer.size() && LumoSpellCheck(buffer.c_str() + pos, &result) > 0) {
            ++reported;
            pos += static_cast<size_t>(result.wordOffset) + std::strlen(result.word);
        }
    }
    return reported;
}

std::string made_up_word(uint32_t n) {
    static const char* const syllables[] = {"ka", "lo",  "mi", "nu", "ter", "sa",  "vel", "dor",
                                            "pi", "ran", "qu", "zo", "fen", "gri", "bo",  "tha"};
    std::string word;
    do {
        word += syllables[n % 16];
        n /= 16;
    } while (n);
    return word + "q";
}

// The default dictionary topped up with made-up words to 500,000 words.
std::string big_dictionary() {
    const std::string path = "/tmp/lumospell-peers-" + std::to_string(getpid()) + ".dic";
    std::string words = read_whole(default_words);
    size_t count = static_cast<size_t>(std::count(words.begin(), words.end(), '\n'));
    for (uint32_t i = 0; count < 500000; ++i, ++count) words += made_up_word(i) + "\r\n";
    std::ofstream(path, std::ios::binary) << words;
    return path;
}

void row(const char* name, double tokens, const Timing& t, const char* against = nullptr,
         double against_rate = 0) {
    std::printf("  %-34s %7.2f M tokens/s (best %5.2f)", name, tokens / t.median / 1e6,
                tokens / t.best / 1e6);
    if (against != nullptr) std::printf("   %5.2fx %s", tokens / t.median / against_rate, against);
    std::printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
    std::string once;
    if (argc > 1) {
        for (int i = 1; i < argc; ++i) once += read_whole(argv[i]);
    } else {
        once =
            read_whole(data_dir + "/prose/devil.txt") + read_whole(data_dir + "/prose/jargon.txt");
    }
    const char* repeat_setting = std::getenv("LUMOSPELL_REPEAT");
    const size_t repeat = repeat_setting != nullptr
                              ? std::strtoul(repeat_setting, nullptr, 10)
                              : (10u << 20) / std::max<size_t>(once.size(), 1) + 1;
    std::string text;
    for (size_t i = 0; i < repeat; ++i) text += once;
    const std::vector<std::string> tokens = tokens_of(text);
    const double n = static_cast<double>(tokens.size());
    double load[3] = {};
    if (std::FILE* f = std::fopen("/proc/loadavg", "r")) {
        if (std::fscanf(f, "%lf %lf %lf", &load[0], &load[1], &load[2]) != 3) load[0] = -1;
        std::fclose(f);
    }
    std::printf("text: %zu bytes, %zu tokens (%zu x %zu bytes); dictionary %s\n", text.size(),
                tokens.size(), repeat, once.size(), default_words.c_str());
    std::printf("load average %.2f %.2f %.2f; processor time, %s\n\n", load[0], load[1], load[2],
                "interleaved rounds, median (best)");

    uint32_t session = 0;
    SpellInit(&session, nullptr);
    SpellOptions(session, 0);
    SpellOpenMdr(session, default_words.c_str(), nullptr, 0, 0, 1033, nullptr);
    std::vector<std::string> engine_pieces = pieces_of(text, 16383);
    const PlainTable plain(read_whole(default_words));

    AspellConfig* config = new_aspell_config();
    aspell_config_replace(config, "lang", "en_US");
    AspellSpeller* aspell = to_aspell_speller(new_aspell_speller(config));
    Hunhandle* hunspell =
        Hunspell_create("/usr/share/hunspell/en_US.aff", "/usr/share/hunspell/en_US.dic");
    nuspell::Dictionary nuspell_dict;
    nuspell_dict.load_aff_dic("/usr/share/hunspell/en_US.aff");
    size_t sink = 0;
    const std::vector<Timing> verify = interleaved({
        [&] { sink += verify_engine(engine_pieces); },
        [&] { sink += verify_plain(engine_pieces, plain); },
        [&] {
            for (const std::string& t : tokens)
                sink += static_cast<size_t>(
                    aspell_speller_check(aspell, t.c_str(), static_cast<int>(t.size())));
        },
        [&] {
            for (const std::string& t : tokens)
                sink += static_cast<size_t>(Hunspell_spell(hunspell, t.c_str()));
        },
        [&] {
            for (const std::string& t : tokens) sink += nuspell_dict.spell(t) ? 1 : 0;
        },
    }, VerifyRounds);
    const double ours_rate = n / verify[0].median;
    std::printf("Verification (SpellCheck and the plain table on 16 KB pieces; the peers word "
                "by word)\n");
    row("ours, default dictionary", n, verify[0]);
    row("plain open-addressing table", n, verify[1], "of ours", ours_rate);
    row("aspell library", n, verify[2], "of ours", ours_rate);
    row("hunspell library", n, verify[3], "of ours", ours_rate);
    row("nuspell library", n, verify[4], "of ours", ours_rate);
    SpellTerminate(session, 0);

    // 500,000 words: loading with the table image the build makes, without
    // it (the word list read), and the file read into memory.
    const std::string big = big_dictionary();
    const std::string image = big + ".table";
    const std::string make = std::string(MAKE_TABLE_IMAGE) + " " + big;
    if (std::system(make.c_str()) != 0) std::fprintf(stderr, "no table image made\n");
    const std::string bare = big + ".bare.dic";
    std::ofstream(bare, std::ios::binary) << read_whole(big);
    auto open_fresh = [&](const std::string& path) {
        SpellTerminate(session, 0);
        SpellInit(&session, nullptr);
        SpellOptions(session, 0);
        SpellOpenMdr(session, path.c_str(), nullptr, 0, 0, 1033, nullptr);
    };
    const std::vector<Timing> loading = interleaved({
        [&] { open_fresh(big); },
        [&] { open_fresh(bare); },
        [&] { sink += read_into_memory(big); },
    });
    open_fresh(big);
    const PlainTable big_plain(read_whole(big));
    const std::vector<Timing> big_verify = interleaved({
        [&] { sink += verify_engine(engine_pieces); },
        [&] { sink += verify_plain(engine_pieces, big_plain); },
    }, VerifyRounds);
    row("ours, 500,000-word dictionary", n, big_verify[0]);
    row("plain table, 500,000 words", n, big_verify[1], "of ours", n / big_verify[0].median);
    std::printf("\nLoading 500,000 words (%zu bytes; SpellInit, SpellOpenMdr)\n",
                read_whole(big).size());
    const char* names[] = {"ours, with its table image", "ours, the word list read",
                           "read() into memory"};
    for (int i = 0; i < 3; ++i) {
        std::printf("  %-34s %7.2f ms (best %6.2f)", names[i], loading[i].median * 1e3,
                    loading[i].best * 1e3);
        if (i < 2) std::printf("   %5.1fx read()", loading[i].median / loading[2].median);
        std::printf("\n");
    }
    SpellTerminate(session, 0);
    std::remove(big.c_str());
    std::remove(image.c_str());
    std::remove(bare.c_str());

    // The front road over the engine library already loaded in this process.
    const std::string user = "/tmp/lumospell-peers-" + std::to_string(getpid()) + "-user.dic";
    std::ofstream(user, std::ios::binary).flush();
    if (!LumoSpellInit(ORTHEX_LIBRARY_PATH) ||
        !LumoSpellInit2(default_words.c_str(), user.c_str(), 0, 0)) {
        std::fprintf(stderr, "cannot open the front\n");
        return 1;
    }
    const std::vector<std::string> large = pieces_of(text, 16383);
    const std::vector<std::string> middle = pieces_of(text, 4095);
    const std::vector<std::string> small = pieces_of(text, 511);
    const std::vector<Timing> road = interleaved({
        [&] { sink += front_road(small, true); },
        [&] { sink += front_road(middle, false); },
        [&] { sink += front_road(large, false); },
        [&] {
            for (const std::string& t : tokens)
                sink += static_cast<size_t>(
                    aspell_speller_check(aspell, t.c_str(), static_cast<int>(t.size())));
        },
    });
    LumoSpellTerminate();
    std::remove(user.c_str());
    std::printf("\nThe front road (LumoSpellCheck, again past each reported word)\n");
    row("512-byte pieces, leading blank", n, road[0], "aspell's library", n / road[3].median);
    row("4 KB pieces", n, road[1], "aspell's library", n / road[3].median);
    row("16 KB pieces", n, road[2], "aspell's library", n / road[3].median);
    row("aspell library", n, road[3]);
    std::printf("  16 KB pieces cost %.2fx the 512-byte pieces per word\n",
                road[2].median / road[0].median);

    delete_aspell_speller(aspell);
    delete_aspell_config(config);
    Hunspell_destroy(hunspell);
    return sink == 0 ? 0 : 0;
}
