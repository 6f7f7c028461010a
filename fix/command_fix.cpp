#include <signal.h>
#include <unistd.h>

#include <cctype>
#include <cstring>

#include "fix/command_fix.h"
#include "fix/fix_file.h"
#include "fix/fix_screen.h"
#include "fix/fix_session.h"
#include "speller/checker.h"
#include "speller/project_config.h"
#include "speller/project_words.h"

namespace lumo::tool {

namespace {

constexpr int ExitClean = 0;
constexpr int ExitError = 2;
constexpr size_t ShownSuggestions = 10;

// The front as the correction session asks it.  Decisions of the files
// already done stay with it when undo makes it forget the current one's.
class FrontFixSpeller : public FixSpeller {
public:
    explicit FrontFixSpeller(SpellSession& s) : s_(s), checker_(s, TextEncoding::Utf8) {}

    bool find(std::string_view view, size_t from, size_t to, FixFinding& found) override {
        while (from < to) {
            const size_t end = piece_end(view.substr(0, to), from, 2048);
            std::vector<Finding> findings;
            const std::string_view piece = view.substr(from, end - from);
            if (!checker_.check(piece, false, findings)) return false;
            drop_pattern_matches(*config_, piece, findings, 0);
            for (const Finding& f : findings) {
                if (!project_accepts(*config_, f)) continue;
                found.offset = from + f.offset;
                found.length = f.length;
                found.word = f.word;
                found.change_always = f.status == CheckChangeAlways;
                if (found.change_always && !f.suggestions.empty())
                    found.replacement = f.suggestions[0];
                return true;
            }
            from = end;
        }
        return false;
    }

    std::vector<std::string> suggest(const std::string& word) override {
        return s_.suggest(word, ShownSuggestions);
    }
    void ignore_always(const std::string& word) override { s_.ignore_always(word); }
    void change_always(const std::string& word, const std::string& with) override {
        s_.change_always(word, with);
    }
    void forget_decisions() override {
        std::string error;
        if (!s_.forget_decisions_since(kept_, error)) {
            std::fprintf(stderr, "lumospell: %s\n", error.c_str());
            std::exit(ExitError);
        }
        set_mode(extra_mode_);
    }
    void read_as(ModeChoice mode) { checker_.read_as(mode); }
    // The words, patterns and shortest length of the file's project.
    void use_config(const ProjectConfig& config) { config_ = &config; }
    // The file is done: its decisions hold for the files after it.
    void keep_decisions() { kept_ = s_.mark(); }
    void set_mode(unsigned extra = 0) {
        extra_mode_ = extra;
        s_.set_mode(base_mode_ | extra_mode_);
    }

private:
    SpellSession& s_;
    Checker checker_;
    const unsigned base_mode_ = s_.mode();
    unsigned extra_mode_ = 0;
    // The decisions of the files already done.
    SpellSession::Mark kept_;
    const ProjectConfig none_;
    const ProjectConfig* config_ = &none_;
};

extern "C" void on_stop_signal(int signal) { fix_stop_signal = signal; }

void catch_stop_signals() {
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = on_stop_signal;
    sigemptyset(&action.sa_mask);
    for (int s : {SIGINT, SIGHUP, SIGTERM, SIGQUIT}) sigaction(s, &action, nullptr);
}

bool is_ascii(const std::string& text) {
    for (unsigned char c : text)
        if (c >= 0x80) return false;
    return true;
}

enum class FileOutcome { Next, Quit, Stopped };

struct FixRun {
    SpellSession& session;
    ProjectConfigs& configs;
    FrontFixSpeller& speller;
    FixScreen& screen;
    std::vector<std::string> problems;
    std::vector<std::string> saved;  // told once the terminal is given back
};

FileOutcome fix_file(FixRun& run, const std::string& path, size_t index, size_t count) {
    FileSnapshot snapshot;
    std::string error;
    if (!read_for_fixing(path, snapshot, error)) {
        run.problems.push_back(path + ": " + error);
        return FileOutcome::Next;
    }
    if (looks_binary(snapshot.bytes)) {
        run.problems.push_back(path + ": looks like a binary file; left alone");
        return FileOutcome::Next;
    }
    if (utf16_order(snapshot.bytes) != Utf16Order::None) {
        run.problems.push_back(path + ": UTF-16 text is not fixed; left alone");
        return FileOutcome::Next;
    }
    bool broken = false;
    const ProjectConfig& config = run.configs.for_file(path, broken);
    run.speller.use_config(config);
    const ModeChoice mode = mode_for_file_name(path);
    run.speller.set_mode(mode_accepts_words_with_digits(mode.mode) ? ModeIgnoreWordsWithDigits : 0);
    run.speller.read_as(mode);
    FixSession fix(snapshot.bytes, detect_encoding(snapshot.bytes), mode, run.speller);
    FixView view;
    view.file_name = path;
    view.language = run.session.language();
    view.file_index = index;
    view.file_count = count;
    view.encoding = fix.encoding();
    fix.advance();
    auto refresh_view = [&] {
        view.text = fix.text();
        view.at_end = fix.at_end();
        view.offset = fix.at_end() ? fix.text().size() : fix.current().offset;
        view.length = fix.at_end() ? 0 : fix.current().length;
        view.suggestions =
            fix.at_end() ? std::vector<std::string>{} : run.speller.suggest(fix.current().word);
    };
    auto finish = [&](FileOutcome outcome) {
        for (const std::string& word : fix.added_words()) run.session.add_word(word);
        std::vector<std::string> added;
        if (!fix.project_words().empty() &&
            !add_to_project(config, fix.project_words(), added, error))
            run.problems.push_back(path + ": " + error);
        run.speller.keep_decisions();
        return outcome;
    };
    refresh_view();
    for (;;) {
        run.screen.draw(view);
        view.message.clear();
        const int key = run.screen.read_key();
        if (key == FixScreen::KeyStop) return finish(FileOutcome::Stopped);
        if (key == FixScreen::KeyResize) continue;
        if (key == '?') {
            run.screen.show_help();
            continue;
        }
        if (key == 'q' || key == 3) {
            if (!fix.changed() || run.screen.ask_yes_no("Quit without saving " + path + "?"))
                return finish(FileOutcome::Quit);
            continue;
        }
        if (key == 'x') {
            if (!fix.changed()) return finish(FileOutcome::Next);
            if (!unchanged_on_disk(path, snapshot) &&
                !run.screen.ask_yes_no(path + " changed on disk since it was read. Overwrite?")) {
                view.message = "not saved: " + path + " changed on disk";
                continue;
            }
            FileSnapshot on_disk = snapshot;
            on_disk.bytes.clear();
            std::string reread_error;
            if (!read_for_fixing(path, on_disk, reread_error)) on_disk = snapshot;
            if (!write_fixed(path, on_disk, fix.text(), error)) {
                view.message = "cannot save " + path + ": " + error;
                continue;
            }
            const size_t changes = fix.replacement_count();
            run.saved.push_back("saved " + path + " (" + std::to_string(changes) +
                                (changes == 1 ? " change" : " changes") + ", backup " + path +
                                ".bak)");
            return finish(FileOutcome::Next);
        }
        if (key == 'u') {
            std::string undone;
            view.message = fix.undo(&undone) ? "undone: " + undone : "nothing to undo";
            refresh_view();
            continue;
        }
        if (fix.at_end()) {
            view.message = "no more words: x save, q quit, u undo";
            continue;
        }
        const FixFinding& word = fix.current();
        std::string replacement;
        bool replace_all = key == 'R';
        if (key >= '0' && key <= '9') {
            const size_t pick = key == '0' ? 9 : static_cast<size_t>(key - '1');
            if (pick >= view.suggestions.size()) {
                view.message = "no suggestion " + std::string(1, static_cast<char>(key));
                continue;
            }
            replacement = view.suggestions[pick];
        } else if (key == 'r' || key == 'R') {
            replacement = word.word;
            if (!run.screen.edit_line(replace_all ? "Replace every one with (Ctrl-U clears): "
                                                  : "Replace with (Ctrl-U clears): ",
                                      replacement))
                continue;
            if (replacement.empty()) continue;
            if (!is_ascii(replacement) && fix.encoding() != FileEncoding::Utf8) {
                view.message = "only ASCII can be typed into this file's encoding";
                continue;
            }
        }
        if (!replacement.empty()) {
            fix.decide(replace_all ? Decision::ReplaceAll : Decision::Replace, replacement);
        } else if (key == 'i') {
            fix.decide(Decision::IgnoreOnce);
        } else if (key == 'I') {
            fix.decide(Decision::IgnoreAlways);
        } else if (key == 'a') {
            fix.decide(Decision::Add);
        } else if (key == 'l') {
            fix.decide(Decision::AddLower);
        } else if (key == 'p') {
            if (config.word_lists.empty()) {
                view.message = "no project word list: name one in .lumospell.toml, word_lists";
                continue;
            }
            fix.decide(Decision::AddProject);
        } else {
            view.message = "unknown key; ? shows the keys";
            continue;
        }
        refresh_view();
    }
}

}  // namespace

int run_fix(const std::vector<std::string>& files, SpellSession& s, ProjectConfigs& configs) {
    if (!isatty(STDIN_FILENO) || !isatty(STDOUT_FILENO)) {
        std::fprintf(stderr,
                     "lumospell: fix needs a terminal on standard input and output; "
                     "scripts can use 'lumospell check --json'\n");
        return ExitError;
    }
    catch_stop_signals();
    FrontFixSpeller speller(s);
    FixScreen screen;
    if (!screen.open()) {
        std::fprintf(stderr, "lumospell: cannot use this terminal (TERM=%s)\n",
                     std::getenv("TERM") ? std::getenv("TERM") : "");
        return ExitError;
    }
    FixRun run{s, configs, speller, screen, {}, {}};
    FileOutcome outcome = FileOutcome::Next;
    for (size_t k = 0; k < files.size() && outcome == FileOutcome::Next; ++k)
        outcome = fix_file(run, files[k], k, files.size());
    screen.close();
    for (const std::string& saved : run.saved)
        std::fprintf(stderr, "lumospell: %s\n", saved.c_str());
    for (const std::string& problem : run.problems)
        std::fprintf(stderr, "lumospell: %s\n", problem.c_str());
    if (outcome == FileOutcome::Stopped) return 128 + fix_stop_signal;
    return run.problems.empty() ? ExitClean : ExitError;
}

}  // namespace lumo::tool
