// Drives the built builder library through its exports, as a host does.
#include <dlfcn.h>
#include <fcntl.h>
#include <link.h>
#include <pty.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "builder_test_support.h"
#include "lumospell/lexforge.h"
#include "test_support.h"

using lumo::test::crlf_lines;
using lumo::test::file_exists;
using lumo::test::read_file;
using lumo::test::Recorder;
using lumo::test::ScratchDir;
using lumo::test::write_file;

namespace {

struct LexforgeLibrary {
    void* handle = nullptr;
    decltype(&LumoSpellMakeDic) make = nullptr;
    decltype(&LumoSpellSetProgressPresenter) set_presenter = nullptr;

    LexforgeLibrary() {
        handle = dlopen(LEXFORGE_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
        if (handle == nullptr) return;
        make = reinterpret_cast<decltype(make)>(dlsym(handle, "LumoSpellMakeDic"));
        set_presenter =
            reinterpret_cast<decltype(set_presenter)>(dlsym(handle, "LumoSpellSetProgressPresenter"));
    }
    ~LexforgeLibrary() {
        if (handle != nullptr) dlclose(handle);
    }
    bool usable() const { return make != nullptr && set_presenter != nullptr; }
};

std::string distinct_words(int count, const char* prefix = "w") {
    std::string text;
    for (int i = 0; i < count; ++i) text += prefix + std::to_string(i) + "\r\n";
    return text;
}

int count_loaded(const char* fragment) {
    struct Search {
        const char* fragment;
        int found;
    } search{fragment, 0};
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void* data) {
            auto* s = static_cast<Search*>(data);
            if (info->dlpi_name != nullptr && std::string(info->dlpi_name).find(s->fragment) != std::string::npos)
                ++s->found;
            return 0;
        },
        &search);
    return search.found;
}

// Reads what a child wrote to its terminal until it closes or a pattern shows.
std::string read_terminal(int master, const std::string& until) {
    std::string seen;
    char chunk[4096];
    for (;;) {
        const ssize_t got = read(master, chunk, sizeof chunk);
        if (got <= 0) break;
        seen.append(chunk, static_cast<size_t>(got));
        if (!until.empty() && seen.find(until) != std::string::npos) break;
    }
    return seen;
}

}  // namespace

TEST(LexforgeLibrary, ExportsOnlyTheBuilderFunctionsAndStandsAlone) {
    LexforgeLibrary lib;
    ASSERT_NE(lib.handle, nullptr) << dlerror();
    EXPECT_TRUE(lib.usable());
    EXPECT_EQ(dlsym(lib.handle, "_ZN4lumo7builder11AddHeadwordEPKcih"), nullptr);
    EXPECT_EQ(count_loaded("liblexforge"), 1);
    EXPECT_EQ(count_loaded("liborthex"), 0);
    EXPECT_EQ(count_loaded("liborthbridge"), 0);
}

TEST(LexforgeLibrary, PresenterSeesTheRunFromCaptionToClose) {
    LexforgeLibrary lib;
    ASSERT_TRUE(lib.usable());
    ScratchDir dir;
    const std::string source = dir.file("source.txt"), output = dir.file("out.dic");
    write_file(source, distinct_words(1500));
    Recorder recorder;
    lib.set_presenter(&Recorder::present, &recorder);
    EXPECT_EQ(lib.make(nullptr, source.c_str(), output.c_str()), 1);
    EXPECT_EQ(recorder.kinds(),
              (std::vector<int32_t>{lumo::test::EventShow, lumo::test::EventPoll, lumo::test::EventStatus,
                                    lumo::test::EventStatus, lumo::test::EventClose}));
    EXPECT_EQ(recorder.events[0].text, lumo::test::Caption);
    EXPECT_EQ(recorder.events[2].text, lumo::test::processing_text(" 62"));
    EXPECT_EQ(recorder.events[3].text, lumo::test::WritingText);
    EXPECT_EQ(crlf_lines(read_file(output)).size(), 1500u);

    // Without a presenter and without a terminal the build is silent.
    lib.set_presenter(nullptr, nullptr);
    recorder = Recorder();
    EXPECT_EQ(lib.make(nullptr, source.c_str(), output.c_str()), 1);
    EXPECT_TRUE(recorder.events.empty());
}

TEST(LexforgeLibrary, InsertCounterRunsOnAcrossBuildsOfOneProcess) {
    LexforgeLibrary lib;
    ASSERT_TRUE(lib.usable());
    ScratchDir dir;
    const std::string source = dir.file("source.txt"), output = dir.file("out.dic");
    Recorder recorder;
    lib.set_presenter(&Recorder::present, &recorder);
    write_file(source, distinct_words(1500));
    lib.make(nullptr, source.c_str(), output.c_str());
    EXPECT_EQ(recorder.polls, 1);  // at the 1001st word; 499 counted since
    recorder.polls = 0;
    write_file(source, distinct_words(501));
    lib.make(nullptr, source.c_str(), output.c_str());
    EXPECT_EQ(recorder.polls, 0);
    write_file(source, distinct_words(1));
    lib.make(nullptr, source.c_str(), output.c_str());
    EXPECT_EQ(recorder.polls, 1);
    lib.set_presenter(nullptr, nullptr);
}

TEST(LexforgeLibrary, NullPathsAndNestedBuildsAreRefused) {
    LexforgeLibrary lib;
    ASSERT_TRUE(lib.usable());
    ScratchDir dir;
    const std::string source = dir.file("source.txt"), output = dir.file("out.dic");
    write_file(source, distinct_words(1200));
    Recorder recorder;
    lib.set_presenter(&Recorder::present, &recorder);
    EXPECT_EQ(lib.make(nullptr, nullptr, output.c_str()), 0);
    EXPECT_EQ(lib.make(nullptr, source.c_str(), nullptr), 0);
    EXPECT_EQ(recorder.texts(lumo::test::EventMessage),
              (std::vector<std::string>{lumo::test::cannot_open_message(""),
                                        lumo::test::cannot_open_message("")}));
    EXPECT_FALSE(file_exists(output));

    static LexforgeLibrary* running;
    static int32_t nested_result;
    running = &lib;
    nested_result = -1;
    recorder = Recorder();
    recorder.on_poll = [](Recorder&) {
        nested_result = running->make(nullptr, "/nonexistent/source", "/nonexistent/output");
    };
    EXPECT_EQ(lib.make(nullptr, source.c_str(), output.c_str()), 1);
    EXPECT_EQ(nested_result, 0);
    EXPECT_TRUE(recorder.texts(lumo::test::EventMessage).empty());
    EXPECT_EQ(crlf_lines(read_file(output)).size(), 1200u);
    lib.set_presenter(nullptr, nullptr);
}

TEST(LexforgeLibrary, WriteErrorRemovesTheUnfinishedOutput) {
    ScratchDir dir;
    const std::string source = dir.file("source.txt"), output = dir.file("out.dic");
    write_file(source, distinct_words(30000));
    const pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        // Files may grow to 64 KiB only; the word list needs more.
        signal(SIGXFSZ, SIG_IGN);
        rlimit limit{65536, 65536};
        setrlimit(RLIMIT_FSIZE, &limit);
        LexforgeLibrary lib;
        if (!lib.usable()) _exit(9);
        Recorder recorder;
        lib.set_presenter(&Recorder::present, &recorder);
        const int32_t result = lib.make(nullptr, source.c_str(), output.c_str());
        const bool reported = recorder.texts(lumo::test::EventMessage) ==
                              std::vector<std::string>{lumo::test::cannot_open_message(output)};
        _exit(result * 10 + (reported ? 1 : 0));
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1) << "result 0 with the message expected";
    EXPECT_FALSE(file_exists(output));
}

TEST(LexforgeLibrary, TerminalShowsTheRunAndCtrlCCancelsIt) {
    ScratchDir dir;
    const std::string source = dir.file("source.fifo"), output = dir.file("out.dic");
    ASSERT_EQ(mkfifo(source.c_str(), 0600), 0);
    write_file(output, "old\r\n");
    int master = -1;
    const pid_t child = forkpty(&master, nullptr, nullptr, nullptr);
    ASSERT_NE(child, -1);
    if (child == 0) {
        setenv("LC_ALL", "C.UTF-8", 1);
        LexforgeLibrary lib;
        if (!lib.usable()) _exit(9);
        const int32_t result = lib.make(nullptr, source.c_str(), output.c_str());
        // The interrupt handler is gone again: the default action applies.
        struct sigaction now;
        sigaction(SIGINT, nullptr, &now);
        _exit(result * 10 + (now.sa_handler == SIG_DFL ? 1 : 0));
    }
    // The child opens the source only when a writer comes.
    const int fifo = open(source.c_str(), O_WRONLY);
    ASSERT_GE(fifo, 0);
    // The caption in UTF-8 (its ending, then its full-width start).
    const std::string caption =
        read_terminal(master, "\xE8\xBE\x9E\xE6\x9B\xB8\xE4\xBD\x9C\xE6\x88\x90\xE4\xB8\xAD");
    EXPECT_NE(caption.find("\xEF\xBC\xAC\xEF\xBD\x95\xEF\xBD\x8D\xEF\xBD\x8F"), std::string::npos);
    const std::string first = distinct_words(1500), second = distinct_words(1500, "v");
    ASSERT_EQ(write(fifo, first.data(), first.size()), static_cast<ssize_t>(first.size()));
    // Whatever the child is doing, it handles the interrupt before it can
    // read a byte of the second half, so the progress call at the 2002nd
    // word comes at the latest.  Once cancelled it may stop reading.
    kill(child, SIGINT);
    signal(SIGPIPE, SIG_IGN);
    [[maybe_unused]] const ssize_t written = write(fifo, second.data(), second.size());
    close(fifo);
    read_terminal(master, "");
    close(master);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "killed by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 11);
    EXPECT_FALSE(file_exists(output));
}
