#include <errno.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <langinfo.h>
#include <poll.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <map>

#include "documents/document_reader.h"
#include "program/commands.h"
#include "program/project_files.h"
#include "program/report.h"
#include "speller/language.h"
#include "speller/project_config.h"

namespace lumo::tool {

bool read_all(std::FILE* in, std::string& text) {
    char buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, in)) > 0) text.append(buffer, n);
    return !std::ferror(in);
}

ModeChoice mode_of(const Options& o, const std::string& file) {
    if (o.text_mode) return *o.text_mode;
    return file == "-" ? ModeChoice() : mode_for_file_name(file);
}

unsigned engine_mode(const Options& o, TextMode mode) {
    return o.mode |
           (mode_accepts_words_with_digits(mode) ? static_cast<unsigned>(ModeIgnoreWordsWithDigits)
                                                 : 0u);
}

namespace {

ModeChoice mode_with_config(const Options& o, const ProjectConfig& c, const std::string& file) {
    if (!o.text_mode && !c.modes.empty()) {
        const std::string base = folder_of(c.file);
        std::string relative = real_path(file);
        if (relative.empty()) relative = file;
        const std::string root = real_path(base);
        if (!root.empty() && relative.rfind(root + "/", 0) == 0) relative.erase(0, root.size() + 1);
        const size_t slash = relative.rfind('/');
        const std::string name = slash == std::string::npos ? relative : relative.substr(slash + 1);
        for (const auto& [glob, mode] : c.modes) {
            const bool anchored = glob.find('/') != std::string::npos;
            ModeChoice choice;
            if (fnmatch(glob.c_str(), anchored ? relative.c_str() : name.c_str(), 0) == 0 &&
                parse_mode_name(mode, choice))
                return choice;
        }
    }
    return mode_of(o, file);
}

struct Counts {
    size_t files = 0, words = 0, flagged = 0;
    // Words are counted only for the summary that shows them.
    bool count_words = false;
};

size_t count_words(std::string_view view) {
    size_t n = 0;
    bool in = false;
    for (unsigned char c : view) {
        const bool letter = (c | 0x20) >= 'a' && (c | 0x20) <= 'z';
        if (letter && !in) ++n;
        in = letter || (in && c == '\'');
    }
    return n;
}

bool write_all(int fd, const void* data, size_t size) {
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = write(fd, p, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

// UTF-16 text as UTF-8 in an unnamed temporary file, so that the rest of
// the check reads it as any other file; -1 when it cannot be made.
int utf8_copy_of_utf16(int fd, Utf16Order order) {
    const char* dir = std::getenv("TMPDIR");
    std::string name =
        std::string(dir != nullptr && *dir != '\0' ? dir : "/tmp") + "/lumospell-utf16-XXXXXX";
    const int out = mkstemp(name.data());
    if (out < 0) return -1;
    unlink(name.c_str());
    Utf16Decoder decoder(order);
    char buffer[65536];
    std::string text;
    bool ok = true;
    ssize_t n;
    while (ok && ((n = read(fd, buffer, sizeof buffer)) > 0 || (n < 0 && errno == EINTR))) {
        if (n < 0) continue;
        text.clear();
        decoder.feed(std::string_view(buffer, static_cast<size_t>(n)), text);
        ok = write_all(out, text.data(), text.size());
    }
    text.clear();
    decoder.finish(text);
    if (!ok || n != 0 || !write_all(out, text.data(), text.size()) ||
        lseek(out, 0, SEEK_SET) != 0) {
        close(out);
        return -1;
    }
    return out;
}

// Checks one file under its configuration (config_error: it could not be
// read), printing as it goes; returns its exit code.
int check_file(const Options& o, SpellSession& s, Checker& checker, const ProjectConfig& config,
               bool config_error, const ListedFile& listed, const DocumentWord& word,
               Counts& counts) {
    const std::string& file = listed.path;
    const bool suggest = o.suggest && o.command == "check";
    const bool from_stdin = (file == "-");
    const std::string name = from_stdin ? "<stdin>" : file;
    int result = config_error ? ExitError : ExitClean;
    int fd = from_stdin ? 0 : open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    struct stat st;
    if (fd < 0 || (fstat(fd, &st) == 0 && S_ISDIR(st.st_mode))) {
        std::fprintf(stderr, "lumospell: %s: %s\n", file.c_str(),
                     std::strerror(fd < 0 ? errno : EISDIR));
        if (fd > 0) close(fd);
        return ExitError;
    }
    if (!from_stdin) fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    Utf16Order utf16 = Utf16Order::None;
    if (!from_stdin && S_ISREG(st.st_mode)) {
        char head[8192];
        const ssize_t n = pread(fd, head, sizeof head, 0);
        const std::string_view start(head, n > 0 ? static_cast<size_t>(n) : 0);
        if (looks_binary(start)) {
            close(fd);
            // A walk passes binary files over silently; one named is told.
            if (!listed.named) return result;
            std::fprintf(stderr, "lumospell: %s: looks like a binary file, not checked\n",
                         file.c_str());
            return ExitError;
        }
        utf16 = utf16_order(start);
        if (utf16 != Utf16Order::None) {
            const int copy = utf8_copy_of_utf16(fd, utf16);
            const int copy_error = errno;
            close(fd);
            if (copy < 0) {
                std::fprintf(stderr, "lumospell: %s: %s\n", file.c_str(),
                             std::strerror(copy_error));
                return ExitError;
            }
            fd = copy;
        }
    }
    ++counts.files;
    Directives directives;
    // A pipe's directives are read as its lines come, so that its words
    // still come out as they are read.
    const bool streamed = !S_ISREG(st.st_mode);
    if (!streamed) directives.scan(fd);
    const CheckView check = [&](std::string_view view, std::vector<Finding>& words) {
        if (streamed) directives.scan_more(view);
        const size_t first = words.size();
        if (counts.count_words) counts.words += count_words(view);
        const bool ok = checker.check(view, suggest, words);
        drop_pattern_matches(config, view, words, first);
        return ok;
    };
    DocumentSettings settings;
    settings.encoding = utf16 != Utf16Order::None ? FileEncoding::Utf8 : o.encoding;
    settings.mode = mode_with_config(o, config, file);
    settings.skip_web = (o.mode & ModeWebAddresses) != 0;
    s.set_mode(engine_mode(o, settings.mode.mode));
    checker.read_as(settings.mode);
    DocumentOutcome outcome;
    std::unique_ptr<OutputConverter> convert;
    const auto found = [&](const Finding& f, const TextPosition& at) {
        if (!project_accepts(config, f) || directives.silences(f, at)) return;
        if (!convert)
            convert = std::make_unique<OutputConverter>(outcome.encoding, nl_langinfo(CODESET));
        word(name, f, at, *convert);
        ++counts.flagged;
        if (result == ExitClean) result = ExitFound;
    };
    const bool ok = check_document(
        fd, check, settings, found, [] { std::fflush(stdout); }, outcome);
    if (o.verbose)
        std::fprintf(stderr, "lumospell: %s: %s (%s), mode %s\n", name.c_str(),
                     utf16 != Utf16Order::None ? "utf-16" : encoding_name(outcome.encoding),
                     outcome.encoding_detected || utf16 != Utf16Order::None ? "detected" : "given",
                     mode_name(settings.mode.mode));
    if (!from_stdin) close(fd);
    if (!ok) {
        std::fprintf(stderr, "lumospell: %s: %s\n", name.c_str(), outcome.error.c_str());
        result = ExitError;
    }
    return result;
}

// The variant each file is checked in: its configuration's language when the
// command line named none. The session is reopened only when it changes.
class FileLanguages {
public:
    FileLanguages(const Options& o, SpellSession& s) : s_(s), fixed_(o.language_given) {}

    // The variant for c's files, "" for the session's own; false with error
    // when c names one that is unknown or not installed.
    bool of(const ProjectConfig& c, std::string& name, std::string& error) {
        name.clear();
        if (fixed_) return true;
        auto known = chosen_.find(c.language);
        if (known == chosen_.end()) {
            LanguageChoice choice;
            std::string path, why;
            if (choose_language(c.language, choice, why) &&
                language_dictionary(s_.data_dir(), choice.name, path, why))
                why.clear();
            known = chosen_.emplace(c.language, std::make_pair(choice.name, why)).first;
        }
        error = known->second.second;
        if (!error.empty()) return false;
        if (known->second.first != s_.language()) name = known->second.first;
        return true;
    }

    // Opens the session in name ("" keeps it); false with error, the session
    // staying in its language, when it cannot be opened.
    bool use(const std::string& name, std::unique_ptr<Checker>& checker, std::string& error) {
        if (name.empty() || name == s_.language()) return s_.is_open() || reopen_failed(error);
        const auto failed = failed_.find(name);
        if (failed != failed_.end()) {
            error = failed->second;
            return false;
        }
        SessionSettings next = s_.settings();
        const std::string previous = next.language;
        next.language = name;
        checker.reset();
        if (!s_.open(next, error)) {
            failed_.emplace(name, error);
            next.language = previous;
            std::string again;
            if (s_.open(next, again)) checker = std::make_unique<Checker>(s_);
            return false;
        }
        checker = std::make_unique<Checker>(s_);
        return true;
    }

private:
    static bool reopen_failed(std::string& error) {
        error = "the speller could not be opened again";
        return false;
    }
    SpellSession& s_;
    bool fixed_;
    std::map<std::string, std::pair<std::string, std::string>> chosen_;  // asked: name, error
    std::map<std::string, std::string> failed_;                          // name: why
};

// check_file in the language of the file's configuration.
int check_in_its_language(const Options& o, SpellSession& s, std::unique_ptr<Checker>& checker,
                          ProjectConfigs& configs, FileLanguages& languages,
                          const ListedFile& listed, const DocumentWord& word, Counts& counts) {
    bool config_error = false;
    const ProjectConfig& config = configs.for_file(listed.path, config_error);
    std::string name, error;
    if (!languages.of(config, name, error) || !languages.use(name, checker, error)) {
        std::fprintf(stderr, "lumospell: %s: not checked: the language of %s: %s\n",
                     listed.path.c_str(), config.file.c_str(), error.c_str());
        return ExitError;
    }
    return check_file(o, s, *checker, config, config_error, listed, word, counts);
}

int merge_result(int result, int file_result) {
    if (result == ExitError || file_result == ExitError) return ExitError;
    return result == ExitFound || file_result == ExitFound ? ExitFound : ExitClean;
}

class Progress {
public:
    Progress(size_t total) : on_(total >= 20 && isatty(STDERR_FILENO)), total_(total) {}
    void update(size_t done, size_t flagged) {
        if (!on_) return;
        const auto now = std::chrono::steady_clock::now();
        if (done < total_ && now - last_ < std::chrono::milliseconds(200)) return;
        last_ = now;
        std::fprintf(stderr, "\r%zu of %zu files, %zu flagged\033[K", done, total_, flagged);
    }
    void end() {
        if (on_) std::fputs("\r\033[K", stderr);
    }

private:
    bool on_;
    size_t total_;
    std::chrono::steady_clock::time_point last_{};
};

// One file's output as a worker sends it.
struct Record {
    uint64_t index = 0, result = 0, sarif = 0, files = 0, words = 0, flagged = 0;
    std::string out, err;
};

// What a file's check wrote to fd since the last take; fd is rewound, not
// truncated: the next file's bytes overwrite these, and only its are read.
std::string take_memfd(int fd) {
    std::string text;
    const off_t size = lseek(fd, 0, SEEK_CUR);
    if (size <= 0) return text;
    text.resize(static_cast<size_t>(size));
    if (pread(fd, text.data(), text.size(), 0) != size) text.clear();
    lseek(fd, 0, SEEK_SET);
    return text;
}

constexpr size_t BatchBytes = 32 * 1024;

// A worker: its share of the files, each one's output captured and sent
// whole, so that the parent prints them in order whatever finishes first.
[[noreturn]] void work(const Options& o, SpellSession& s, ProjectConfigs& configs,
                       const std::vector<ListedFile>& files, size_t worker, size_t workers,
                       int pipe_out, const DocumentWord& word, bool count) {
    const int out = memfd_create("lumospell-out", MFD_CLOEXEC);
    const int err = memfd_create("lumospell-err", MFD_CLOEXEC);
    if (out < 0 || err < 0 || dup2(out, STDOUT_FILENO) < 0 || dup2(err, STDERR_FILENO) < 0)
        _exit(ExitError);
    auto checker = std::make_unique<Checker>(s);
    FileLanguages languages(o, s);
    // The share is checked grouped by language, the session's own first, so
    // that it is reopened once a language; the parent prints in order.
    std::vector<size_t> mine;
    std::map<std::string, size_t> group{{"", 0}};
    std::vector<size_t> group_of(files.size(), 0);
    for (size_t i = worker; i < files.size(); i += workers) {
        bool broken = false;
        std::string name, error;
        languages.of(configs.for_file(files[i].path, broken), name, error);
        group_of[i] = group.emplace(name, group.size()).first->second;
        mine.push_back(i);
    }
    std::stable_sort(mine.begin(), mine.end(),
                     [&](size_t a, size_t b) { return group_of[a] < group_of[b]; });
    // Records go out in batches: a few writes to the pipe, not three a file.
    std::string batch;
    for (const size_t i : mine) {
        Counts counts;
        counts.count_words = count;
        Record r;
        r.index = i;
        r.result = static_cast<uint64_t>(
            check_in_its_language(o, s, checker, configs, languages, files[i], word, counts));
        std::fflush(stdout);
        std::fflush(stderr);
        r.sarif = take_sarif_result_count();
        r.files = counts.files;
        r.words = counts.words;
        r.flagged = counts.flagged;
        r.out = take_memfd(STDOUT_FILENO);
        r.err = take_memfd(STDERR_FILENO);
        const uint64_t head[8] = {r.index, r.result,  r.sarif,      r.files,
                                  r.words, r.flagged, r.out.size(), r.err.size()};
        batch.append(reinterpret_cast<const char*>(head), sizeof head);
        batch += r.out;
        batch += r.err;
        if (batch.size() >= BatchBytes || i == mine.back()) {
            if (!write_all(pipe_out, batch.data(), batch.size())) _exit(ExitError);
            batch.clear();
        }
    }
    _exit(ExitClean);
}

struct Worker {
    pid_t pid = -1;
    int fd = -1;
    std::string buffer;
};

int run_workers(const Options& o, SpellSession& s, ProjectConfigs& configs,
                const std::vector<ListedFile>& files, size_t workers, const DocumentWord& word,
                Counts& total, Progress& progress) {
    std::fflush(stdout);
    std::fflush(stderr);
    std::vector<Worker> pool(workers);
    for (size_t k = 0; k < workers; ++k) {
        int p[2];
        if (pipe2(p, O_CLOEXEC) != 0) return ExitError;
        const pid_t pid = fork();
        if (pid == 0) {
            close(p[0]);
            work(o, s, configs, files, k, workers, p[1], word, total.count_words);
        }
        close(p[1]);
        pool[k].pid = pid;
        pool[k].fd = p[0];
    }
    std::map<uint64_t, Record> waiting;
    size_t next = 0, sarif_total = 0;
    int result = ExitClean;
    size_t open_pipes = workers;
    while (open_pipes > 0) {
        std::vector<pollfd> fds;
        for (const Worker& w : pool) fds.push_back({w.fd, POLLIN, 0});
        if (poll(fds.data(), fds.size(), -1) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        for (size_t k = 0; k < workers; ++k) {
            if (pool[k].fd < 0 || !(fds[k].revents & (POLLIN | POLLHUP | POLLERR))) continue;
            char chunk[65536];
            const ssize_t n = read(pool[k].fd, chunk, sizeof chunk);
            if (n <= 0) {
                close(pool[k].fd);
                pool[k].fd = -1;
                --open_pipes;
                continue;
            }
            std::string& b = pool[k].buffer;
            b.append(chunk, static_cast<size_t>(n));
            uint64_t head[8];
            while (b.size() >= sizeof head) {
                std::memcpy(head, b.data(), sizeof head);
                if (b.size() < sizeof head + head[6] + head[7]) break;
                Record r{head[0],
                         head[1],
                         head[2],
                         head[3],
                         head[4],
                         head[5],
                         b.substr(sizeof head, head[6]),
                         b.substr(sizeof head + head[6], head[7])};
                b.erase(0, sizeof head + head[6] + head[7]);
                waiting.emplace(r.index, std::move(r));
            }
        }
        for (auto at = waiting.find(next); at != waiting.end(); at = waiting.find(++next)) {
            Record& r = at->second;
            std::fwrite(r.err.data(), 1, r.err.size(), stderr);
            if (r.sarif > 0 && sarif_total > 0) std::fputs(",\n", stdout);
            sarif_total += r.sarif;
            std::fwrite(r.out.data(), 1, r.out.size(), stdout);
            result = merge_result(result, static_cast<int>(r.result));
            total.files += r.files;
            total.words += r.words;
            total.flagged += r.flagged;
            waiting.erase(at);
            progress.update(next + 1, total.flagged);
        }
    }
    for (const Worker& w : pool) {
        int status = 0;
        if (w.pid > 0 &&
            (waitpid(w.pid, &status, 0) < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0))
            result = ExitError;
    }
    if (next < files.size()) {
        std::fprintf(stderr, "lumospell: a worker ended before checking all its files\n");
        result = ExitError;
    }
    return result;
}

}  // namespace

ExtraIgnores walk_ignores(ProjectConfigs& configs, bool& error) {
    return [&configs, &error](const std::string& directory) {
        const ProjectConfig& c = configs.for_file(directory + "/.", error);
        return IgnorePaths{c.file.empty() ? "" : folder_of(c.file), c.ignore_paths};
    };
}

int for_each_document(const Options& o, SpellSession& s, const DocumentWord& word) {
    const auto started = std::chrono::steady_clock::now();
    std::vector<std::string> arguments = o.arguments;
    if (arguments.empty()) arguments.emplace_back("-");
    ProjectConfigs configs(o.config_file, [](const std::string& message) {
        std::fprintf(stderr, "lumospell: %s\n", message.c_str());
    });
    bool config_error = false;
    const FileListing listing =
        list_files(arguments, walk_ignores(configs, config_error), stderr, false);
    if (config_error && !o.config_file.empty()) return ExitError;
    int result = listing.error ? ExitError : ExitClean;
    bool walked = false;
    for (const ListedFile& f : listing.files) walked = walked || !f.named;
    const bool sarif = o.format == "sarif";
    if (sarif) sarif_begin(stdout);
    const bool summary = walked || sarif || o.format == "github";
    Counts counts;
    counts.count_words = summary;
    Progress progress(listing.files.size());
    const size_t cores = static_cast<size_t>(std::max(1L, sysconf(_SC_NPROCESSORS_ONLN)));
    const size_t workers = std::min<size_t>(o.jobs > 0 ? o.jobs : cores, listing.files.size());
    bool uses_stdin = false;
    for (const ListedFile& f : listing.files) uses_stdin = uses_stdin || f.path == "-";
    if (workers > 1 && !uses_stdin) {
        // Loaded before the fork, so that the workers share the ranking's memory.
        // So are the configurations, read and reported once.
        if (o.suggest && o.command == "check") s.suggest("teh", 1);
        for (const ListedFile& f : listing.files) configs.for_file(f.path, config_error);
        result = merge_result(
            result, run_workers(o, s, configs, listing.files, workers, word, counts, progress));
    } else {
        auto checker = std::make_unique<Checker>(s);
        FileLanguages languages(o, s);
        size_t done = 0;
        for (const ListedFile& f : listing.files) {
            result = merge_result(
                result, check_in_its_language(o, s, checker, configs, languages, f, word, counts));
            progress.update(++done, counts.flagged);
        }
    }
    progress.end();
    if (sarif) sarif_end(stdout);
    std::fflush(stdout);
    if (summary) {
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        std::fprintf(stderr, "lumospell: %zu files, %zu words, %zu flagged, %.2f seconds\n",
                     counts.files, counts.words, counts.flagged, seconds);
    }
    std::fflush(stdout);
    if (std::ferror(stdout)) return ExitError;
    return result;
}

int run_check(const Options& o, SpellSession& s) {
    return for_each_document(o, s,
                             [&](const std::string& name, const Finding& f, const TextPosition& at,
                                 OutputConverter& convert) { report(o, name, f, at, convert); });
}

}  // namespace lumo::tool
