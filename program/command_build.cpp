#include <errno.h>
#include <fcntl.h>
#include <langinfo.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <clocale>
#include <cstring>

#include "documents/text_encoding.h"
#include "program/commands.h"
#include "speller/host_libraries.h"
#include "speller/leftover_temporaries.h"

namespace lumo::tool {

namespace {

// Exit codes of the building child.
constexpr int BuildDone = 0;
constexpr int BuildFailed = 1;
constexpr int BuildCancelled = 3;

volatile sig_atomic_t interrupted = 0;
void on_interrupt(int) { interrupted = 1; }

bool japanese_locale() {
    const char* messages = std::setlocale(LC_MESSAGES, nullptr);
    return messages != nullptr && std::strncmp(messages, "ja", 2) == 0;
}

// The library's texts are Shift-JIS; a terminal gets a one-line display,
// and Ctrl-C reaches the parent, which ends this child at once.
int32_t LUMOSPELL_CALL present(void* context, int32_t event, const char* text) {
    const bool terminal = isatty(2) != 0;
    if (event == LumoSpellProgressStatus && terminal && text != nullptr) {
        std::fprintf(stderr, "\rlumospell: building: %s   ", text);
    } else if (event == LumoSpellProgressClose && terminal) {
        std::fputs("\r\033[K", stderr);
    } else if (event == LumoSpellProgressMessage && text != nullptr) {
        if (japanese_locale()) {
            OutputConverter convert(FileEncoding::ShiftJis, nl_langinfo(CODESET));
            std::fprintf(stderr, "lumospell: %s\n", convert.convert(text).c_str());
        } else {
            std::fprintf(stderr, "lumospell: the builder could not open or write %s\n",
                         static_cast<const char*>(context));
        }
    }
    return LumoSpellProgressContinue;
}

[[noreturn]] void build_in_child(const BuilderApi& api, const char* source, const char* temporary) {
    api.set_progress_presenter(present, const_cast<char*>(source));
    const int done = api.make_dic(nullptr, source, temporary);
    std::fflush(stderr);
    _exit(done != 1 ? BuildFailed : access(temporary, F_OK) == 0 ? BuildDone : BuildCancelled);
}

size_t count_lines(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    size_t lines = 0;
    char buffer[65536];
    ssize_t n;
    while (fd >= 0 && (n = read(fd, buffer, sizeof buffer)) > 0)
        for (ssize_t k = 0; k < n; ++k) lines += buffer[k] == '\n';
    if (fd >= 0) close(fd);
    return lines;
}

int fail(const std::string& what, int error) {
    std::fprintf(stderr, "lumospell: %s: %s\n", what.c_str(), std::strerror(error));
    return ExitError;
}

}  // namespace

int run_build(const Options& o) {
    if (o.arguments.size() != 2) usage_error("build-dict needs SOURCE and OUTPUT");
    const std::string& source = o.arguments[0];
    const std::string& output = o.arguments[1];
    // A source that never ends (/dev/zero, a FIFO) would build forever.
    struct stat st;
    if (stat(source.c_str(), &st) != 0) return fail(source, errno);
    if (!S_ISREG(st.st_mode)) {
        std::fprintf(stderr, "lumospell: %s: not a regular file\n", source.c_str());
        return ExitError;
    }
    struct stat out;
    if (stat(output.c_str(), &out) == 0 && out.st_dev == st.st_dev && out.st_ino == st.st_ino) {
        std::fprintf(stderr, "lumospell: %s is the source itself\n", output.c_str());
        return ExitError;
    }
    const int readable = open(source.c_str(), O_RDONLY | O_CLOEXEC);
    if (readable < 0) return fail(source, errno);
    close(readable);
    const std::string path = find_library("liblexforge.so");
    BuilderApi api;
    std::string error;
    if (path.empty()) error = "cannot find liblexforge.so beside " + program_dir();
    if (!error.empty() || !bind_builder(path, api, error)) {
        std::fprintf(stderr, "lumospell: %s\n", error.c_str());
        return ExitError;
    }
    // Built beside the output and renamed over it only when complete, so
    // that a cancelled, killed or failed build leaves the old one.
    const size_t slash = output.rfind('/');
    remove_leftover_temporaries(slash == std::string::npos ? "." : output.substr(0, slash + 1));
    std::string temporary =
        (slash == std::string::npos ? std::string() : output.substr(0, slash + 1)) +
        ".lumospell-build-XXXXXX";
    const int fd = mkstemp(&temporary[0]);
    if (fd < 0) return fail("cannot create a file beside " + output, errno);
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
    close(fd);

    struct sigaction action {};
    action.sa_handler = on_interrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
    const auto start = std::chrono::steady_clock::now();
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child < 0) {
        unlink(temporary.c_str());
        return fail("cannot start the build", errno);
    }
    if (child == 0) {
        signal(SIGINT, SIG_DFL);
        signal(SIGTERM, SIG_DFL);
        build_in_child(api, source.c_str(), temporary.c_str());
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) break;
        if (interrupted) kill(child, SIGKILL);
    }
    const bool completed = !interrupted && WIFEXITED(status) && WEXITSTATUS(status) == BuildDone;
    if (!completed) {
        unlink(temporary.c_str());
        const bool cancelled = interrupted || WIFSIGNALED(status) ||
                               (WIFEXITED(status) && WEXITSTATUS(status) == BuildCancelled);
        if (cancelled) {
            std::fprintf(stderr, "lumospell: cancelled; %s was left as it was\n", output.c_str());
            return ExitCancelled;
        }
        std::fprintf(stderr, "lumospell: the build failed; %s was left as it was\n",
                     output.c_str());
        return ExitError;
    }
    if (rename(temporary.c_str(), output.c_str()) != 0) {
        const int e = errno;
        unlink(temporary.c_str());
        return fail("cannot replace " + output, e);
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("built %s: %zu words in %.2f s\n", output.c_str(), count_lines(output), seconds);
    return ExitClean;
}

}  // namespace lumo::tool
