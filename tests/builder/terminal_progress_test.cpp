// The Linux progress display on a terminal, and the cannot-open message
// on standard error.
#include <fcntl.h>
#include <pty.h>
#include <signal.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "builder_test_support.h"
#include "progress.h"
#include "progress_display.h"
#include "test_support.h"

namespace platform = lumo::platform;

namespace {

const char Processing50[] = " 50% \x8F\x88\x97\x9D\x92\x86";
const char Processing50Utf8[] = " 50% \xE5\x87\xA6\xE7\x90\x86\xE4\xB8\xAD";
const char CaptionUtf8[] =
    "\xEF\xBC\xAC\xEF\xBD\x95\xEF\xBD\x8D\xEF\xBD\x8F\xE3\x82\xB9\xE3\x83\x9A\xE3\x83\xAB"
    "\xE3\x83\x81\xE3\x82\xA7\xE3\x83\x83\xE3\x82\xAF\xE3\x82\xAD\xE3\x83\x83\xE3\x83\x88"
    ":\xE8\xBE\x9E\xE6\x9B\xB8\xE4\xBD\x9C\xE6\x88\x90\xE4\xB8\xAD";

platform::ProgressHandle open_display = nullptr;
int cancel_requests = 0;
volatile sig_atomic_t host_interrupts = 0;

void cancel_like_the_builder() {
    ++cancel_requests;
    platform::destroy_progress_dialog(open_display);
}

extern "C" void host_handler(int) { host_interrupts = host_interrupts + 1; }

// Puts standard error on a terminal (or a file) for the length of a test.
class StandardError : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("LC_ALL", "C.UTF-8", 1);
        lumo::builder::set_progress_presenter(nullptr, nullptr);
        saved_ = dup(STDERR_FILENO);
        cancel_requests = 0;
        host_interrupts = 0;
    }
    void TearDown() override {
        std::fflush(stderr);
        dup2(saved_, STDERR_FILENO);
        close(saved_);
        if (master_ >= 0) close(master_);
        signal(SIGINT, SIG_DFL);
    }
    void use_terminal() {
        int replica = -1;
        ASSERT_EQ(openpty(&master_, &replica, nullptr, nullptr, nullptr), 0);
        fcntl(master_, F_SETFL, O_NONBLOCK);
        dup2(replica, STDERR_FILENO);
        close(replica);
    }
    void use_file(const std::string& path) {
        const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ASSERT_GE(fd, 0);
        dup2(fd, STDERR_FILENO);
        close(fd);
    }
    std::string terminal_output() {
        std::string seen;
        char chunk[1024];
        ssize_t got;
        while ((got = read(master_, chunk, sizeof chunk)) > 0) seen.append(chunk, static_cast<size_t>(got));
        return seen;
    }

    int saved_ = -1;
    int master_ = -1;
    lumo::test::ScratchDir dir_;
};

using TerminalProgress = StandardError;
using CannotOpenMessage = StandardError;

}  // namespace

TEST_F(TerminalProgress, DrawsCaptionAndStatusOnOneLineInTheUsersCharacterSet) {
    use_terminal();
    open_display = platform::create_progress_dialog(nullptr, lumo::test::Caption, cancel_like_the_builder);
    ASSERT_TRUE(platform::progress_dialog_exists(open_display));
    EXPECT_EQ(terminal_output(), std::string("\r") + CaptionUtf8 + "\x1b[K");
    platform::set_progress_text(open_display, Processing50);
    EXPECT_EQ(terminal_output(), std::string("\r") + CaptionUtf8 + " " + Processing50Utf8 + "\x1b[K");
    EXPECT_FALSE(platform::dispatch_progress_message(open_display));
    platform::destroy_progress_dialog(open_display);
    EXPECT_EQ(terminal_output(), "\r\x1b[K");
    EXPECT_FALSE(platform::progress_dialog_exists(open_display));
    EXPECT_EQ(cancel_requests, 0);
}

TEST_F(TerminalProgress, InterruptAsksToCancelAndTheHostHandlerReturnsAfterwards) {
    use_terminal();
    signal(SIGINT, host_handler);
    open_display = platform::create_progress_dialog(nullptr, lumo::test::Caption, cancel_like_the_builder);
    raise(SIGINT);
    EXPECT_EQ(host_interrupts, 0);
    EXPECT_TRUE(platform::dispatch_progress_message(open_display));
    EXPECT_EQ(cancel_requests, 1);
    EXPECT_FALSE(platform::progress_dialog_exists(open_display));
    EXPECT_FALSE(platform::dispatch_progress_message(open_display));
    raise(SIGINT);
    EXPECT_EQ(host_interrupts, 1);

    // An interrupt left over from an earlier display does not cancel a new one.
    open_display = platform::create_progress_dialog(nullptr, lumo::test::Caption, cancel_like_the_builder);
    EXPECT_FALSE(platform::dispatch_progress_message(open_display));
    platform::destroy_progress_dialog(open_display);
}

TEST_F(TerminalProgress, IgnoredInterruptsStayIgnored) {
    use_terminal();
    signal(SIGINT, SIG_IGN);
    open_display = platform::create_progress_dialog(nullptr, lumo::test::Caption, cancel_like_the_builder);
    raise(SIGINT);
    EXPECT_FALSE(platform::dispatch_progress_message(open_display));
    platform::destroy_progress_dialog(open_display);
    struct sigaction now;
    sigaction(SIGINT, nullptr, &now);
    EXPECT_EQ(now.sa_handler, SIG_IGN);
    EXPECT_EQ(cancel_requests, 0);
}

TEST_F(TerminalProgress, DrawsNothingWithoutATerminal) {
    const std::string log = dir_.file("stderr.txt");
    use_file(log);
    open_display = platform::create_progress_dialog(nullptr, lumo::test::Caption, cancel_like_the_builder);
    EXPECT_TRUE(platform::progress_dialog_exists(open_display));
    platform::set_progress_text(open_display, Processing50);
    EXPECT_FALSE(platform::dispatch_progress_message(open_display));
    platform::destroy_progress_dialog(open_display);
    EXPECT_EQ(lumo::test::read_file(log), "");
}

TEST_F(CannotOpenMessage, ConvertsTheTextButKeepsThePathBytes) {
    const std::string log = dir_.file("stderr.txt");
    use_file(log);
    const std::string path = "/tmp/caf\xC3\xA9.txt";  // a UTF-8 name, as given
    const std::string message = lumo::test::cannot_open_message(path);
    platform::show_cannot_open(nullptr, message.c_str(), path.c_str());
    platform::show_cannot_open(nullptr, lumo::test::cannot_open_message("").c_str(), "");
    EXPECT_EQ(lumo::test::read_file(log),
              "[" + path + "] \xE3\x82\x92\xE9\x96\x8B\xE3\x81\x91\xE3\x81\xBE\xE3\x81\x9B\xE3\x82\x93\n"
              "[] \xE3\x82\x92\xE9\x96\x8B\xE3\x81\x91\xE3\x81\xBE\xE3\x81\x9B\xE3\x82\x93\n");
}

TEST_F(CannotOpenMessage, GoesToThePresenterWhenOneIsInstalled) {
    const std::string log = dir_.file("stderr.txt");
    use_file(log);
    lumo::test::Recorder recorder;
    lumo::builder::set_progress_presenter(&lumo::test::Recorder::present, &recorder);
    lumo::builder::show_cannot_open(nullptr, "[x] y", "x");
    lumo::builder::set_progress_presenter(nullptr, nullptr);
    EXPECT_EQ(recorder.texts(lumo::test::EventMessage), std::vector<std::string>{"[x] y"});
    EXPECT_EQ(lumo::test::read_file(log), "");
}
