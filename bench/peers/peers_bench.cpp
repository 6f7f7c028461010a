// Our libraries and the peers' on the same text in one run, as ratios:
// verification through SpellCheck (default and 500,000-word dictionary)
// against the aspell, hunspell and nuspell libraries word by word; the
// front road, 16 KB pieces and the recommended 512-byte pieces, against
// aspell's library; loading 500,000 words against reading the file.
// Each figure is the median of three runs, in processor time.
//
//   peers_bench [TEXT...]   (default: data/prose/*.txt)
// LUMOSPELL_REPEAT=N takes the text N times (the default makes ~10 MB).
#include <aspell.h>
#include <hunspell/hunspell.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <functional>
#include <iterator>
#include <nuspell/dictionary.hxx>
#include <string>
#include <vector>

#include "lumospell/orthbridge.h"
#include "lumospell/orthex.h"

namespace {

const std::string data_dir = LUMOSPELL_DATA_DIR;
const std::string default_words = data_dir + "/words/american-english-large";

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

double median_seconds(const std::function<void()>& work) {
    std::vector<double> times;
    for (int i = 0; i < 3; ++i) {
        const double start = cpu_now();
        work();
        times.push_back(cpu_now() - start);
    }
    std::sort(times.begin(), times.end());
    return times[1];
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

void row(const char* name, double tokens, double seconds, double ours_rate) {
    const double rate = tokens / seconds;
    std::printf("  %-34s %8.2f M tokens/s   ours %6.2fx\n", name, rate / 1e6, ours_rate / rate);
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
    std::printf("text: %zu bytes, %zu tokens (%zu x %zu bytes)\n\n", text.size(), tokens.size(),
                repeat, once.size());

    uint32_t session = 0;
    SpellInit(&session, nullptr);
    SpellOptions(session, 0);
    SpellOpenMdr(session, default_words.c_str(), nullptr, 0, 0, 1033, nullptr);
    std::vector<std::string> engine_pieces = pieces_of(text, 16383);
    const double ours_s = median_seconds([&] { verify_engine(engine_pieces); });
    const double ours_rate = n / ours_s;

    AspellConfig* config = new_aspell_config();
    aspell_config_replace(config, "lang", "en_US");
    AspellSpeller* aspell = to_aspell_speller(new_aspell_speller(config));
    Hunhandle* hunspell =
        Hunspell_create("/usr/share/hunspell/en_US.aff", "/usr/share/hunspell/en_US.dic");
    nuspell::Dictionary nuspell_dict;
    nuspell_dict.load_aff_dic("/usr/share/hunspell/en_US.aff");
    size_t sink = 0;
    const double aspell_s = median_seconds([&] {
        for (const std::string& t : tokens)
            sink += static_cast<size_t>(
                aspell_speller_check(aspell, t.c_str(), static_cast<int>(t.size())));
    });
    const double hunspell_s = median_seconds([&] {
        for (const std::string& t : tokens)
            sink += static_cast<size_t>(Hunspell_spell(hunspell, t.c_str()));
    });
    const double nuspell_s = median_seconds([&] {
        for (const std::string& t : tokens) sink += nuspell_dict.spell(t) ? 1 : 0;
    });
    std::printf("Verification (engine SpellCheck, 16 KB pieces; peers word by word)\n");
    std::printf("  %-34s %8.2f M tokens/s\n", "ours, default dictionary", ours_rate / 1e6);
    row("aspell library", n, aspell_s, ours_rate);
    row("hunspell library", n, hunspell_s, ours_rate);
    row("nuspell library", n, nuspell_s, ours_rate);

    SpellTerminate(session, 0);
    const std::string big = big_dictionary();
    SpellInit(&session, nullptr);
    SpellOptions(session, 0);
    const double load_s = median_seconds([&] {
        SpellTerminate(session, 0);
        SpellInit(&session, nullptr);
        SpellOptions(session, 0);
        SpellOpenMdr(session, big.c_str(), nullptr, 0, 0, 1033, nullptr);
    });
    const double big_s = median_seconds([&] { verify_engine(engine_pieces); });
    const double read_s = median_seconds([&] { sink += read_whole(big).size(); });
    std::printf("  %-34s %8.2f M tokens/s   (%.0f %% of the default's rate)\n",
                "ours, 500,000-word dictionary", n / big_s / 1e6, 100 * ours_s / big_s);
    std::printf("\nLoading 500,000 words (%zu bytes)\n", read_whole(big).size());
    std::printf("  %-34s %8.2f ms (includes a fresh session)\n", "ours", load_s * 1e3);
    std::printf("  %-34s %8.2f ms   ours %.1fx of it\n", "reading the file", read_s * 1e3,
                load_s / read_s);
    SpellTerminate(session, 0);
    std::remove(big.c_str());

    // The front road over the engine library already loaded in this process.
    const std::string user = "/tmp/lumospell-peers-" + std::to_string(getpid()) + "-user.dic";
    std::ofstream(user, std::ios::binary).flush();
    if (!LumoSpellInit(ORTHEX_LIBRARY_PATH) ||
        !LumoSpellInit2(default_words.c_str(), user.c_str(), 0, 0)) {
        std::fprintf(stderr, "cannot open the front\n");
        return 1;
    }
    const std::vector<std::string> large = pieces_of(text, 16383);
    const std::vector<std::string> small = pieces_of(text, 511);
    const double large_s = median_seconds([&] { sink += front_road(large, false); });
    const double small_s = median_seconds([&] { sink += front_road(small, true); });
    LumoSpellTerminate();
    std::remove(user.c_str());
    const double aspell_rate = n / aspell_s;
    std::printf("\nThe front road (LumoSpellCheck, again past each reported word)\n");
    std::printf("  %-34s %8.2f M tokens/s   %5.2fx aspell's library\n", "16 KB pieces",
                n / large_s / 1e6, n / large_s / aspell_rate);
    std::printf("  %-34s %8.2f M tokens/s   %5.2fx aspell's library\n",
                "512-byte pieces, leading blank", n / small_s / 1e6, n / small_s / aspell_rate);

    delete_aspell_speller(aspell);
    delete_aspell_config(config);
    Hunspell_destroy(hunspell);
    return sink == 0 ? 0 : 0;
}
