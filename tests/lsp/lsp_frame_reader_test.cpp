#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lsp_server.h"

namespace lumo::tool {
namespace {

using Result = FrameReader::Result;

// What a reader makes of input written at once and then closed: each
// result, with the body of each message.
std::vector<std::string> read_all_frames(const std::string& input, size_t max_body) {
    int fds[2];
    EXPECT_EQ(pipe(fds), 0);
    // A child writes, so that input larger than the pipe does not block.
    const pid_t child = fork();
    if (child == 0) {
        close(fds[0]);
        size_t done = 0;
        while (done < input.size()) {
            const ssize_t n = write(fds[1], input.data() + done, input.size() - done);
            if (n <= 0) _exit(1);
            done += static_cast<size_t>(n);
        }
        _exit(0);
    }
    close(fds[1]);
    FrameReader reader(fds[0], max_body);
    std::vector<std::string> seen;
    std::string body;
    for (Result r; (r = reader.next(body, 5000)) != Result::Closed;)
        seen.push_back(r == Result::Message ? body : r == Result::Skipped ? "<skipped>" : "<timeout>");
    close(fds[0]);
    waitpid(child, nullptr, 0);
    return seen;
}

TEST(FrameReader, SplitsAndSkips) {
    using V = std::vector<std::string>;
    struct Case {
        std::string input;
        V expected;
    } cases[] = {
        {"Content-Length: 2\r\n\r\n{}Content-Length: 3\r\n\r\n[1]", {"{}", "[1]"}},
        {"content-length:2\r\nContent-Type: x\r\n\r\n{}", {"{}"}},
        {"Content-Length: x\r\n\r\nContent-Length: 1\r\n\r\n1", {"<skipped>", "1"}},
        {"Content-Length: -1\r\n\r\n", {"<skipped>"}},
        {"Content-Length: 20\r\n\r\n" + std::string(20, 'a') + "Content-Length: 1\r\n\r\n2",
         {"<skipped>", "2"}},  // longer than allowed: passed over
        {"Content-Length: 99\r\n\r\n{}", {}},  // cut off by the end of input
        {std::string(10000, 'j') + "\r\n\r\nContent-Length: 1\r\n\r\n3", {"<skipped>", "3"}},
    };
    for (const Case& c : cases) EXPECT_EQ(read_all_frames(c.input, 10), c.expected) << c.input.substr(0, 40);
}

TEST(FrameReader, PassesOverAHugeBodyWithoutKeepingIt) {
    const std::string huge(3u << 20, 'x');
    EXPECT_EQ(read_all_frames("Content-Length: " + std::to_string(huge.size()) + "\r\n\r\n" + huge +
                                  "Content-Length: 2\r\n\r\nok",
                              1024),
              (std::vector<std::string>{"<skipped>", "ok"}));
}

TEST(FrameReader, TimesOutAndTakesBackUnreadBytes) {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    FrameReader reader(fds[0], 100);
    std::string body;
    EXPECT_EQ(reader.next(body, 10), Result::Timeout);
    reader.unread("Content-Length: 1\r\n\r\n7");
    ASSERT_EQ(reader.next(body, 10), Result::Message);
    EXPECT_EQ(body, "7");
    close(fds[1]);
    EXPECT_EQ(reader.next(body, 10), Result::Closed);
    close(fds[0]);
}

}  // namespace
}  // namespace lumo::tool
