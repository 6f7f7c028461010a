// Runs the built program as a user would and captures what it prints.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace lumo::test {

struct ProgramRun {
    int exit_code = -1;
    std::string out;
    std::string err;
};

inline ProgramRun run_program(const std::vector<std::string>& args, const std::string& input = "",
                              const std::vector<std::string>& env = {}) {
    int in_pipe[2], out_pipe[2], err_pipe[2];
    ProgramRun run;
    if (pipe(in_pipe) || pipe(out_pipe) || pipe(err_pipe)) return run;
    const pid_t child = fork();
    if (child == 0) {
        dup2(in_pipe[0], 0);
        dup2(out_pipe[1], 1);
        dup2(err_pipe[1], 2);
        for (int fd : {in_pipe[0], in_pipe[1], out_pipe[0], out_pipe[1], err_pipe[0], err_pipe[1]})
            close(fd);
        for (const std::string& e : env) putenv(const_cast<char*>(e.c_str()));
        std::vector<char*> argv;
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(in_pipe[0]);
    close(out_pipe[1]);
    close(err_pipe[1]);
    signal(SIGPIPE, SIG_IGN);
    size_t written = 0;
    fcntl(in_pipe[1], F_SETFL, O_NONBLOCK);
    bool out_open = true, err_open = true, in_open = true;
    if (input.empty()) {
        close(in_pipe[1]);
        in_open = false;
    }
    while (out_open || err_open) {
        pollfd fds[3] = {{out_pipe[0], POLLIN, 0}, {err_pipe[0], POLLIN, 0},
                         {in_open ? in_pipe[1] : -1, POLLOUT, 0}};
        if (poll(fds, 3, 60000) <= 0) break;
        char buffer[4096];
        for (int k = 0; k < 2; ++k) {
            if (!(fds[k].revents & (POLLIN | POLLHUP))) continue;
            const ssize_t n = read(fds[k].fd, buffer, sizeof buffer);
            if (n <= 0) {
                (k == 0 ? out_open : err_open) = false;
            } else {
                (k == 0 ? run.out : run.err).append(buffer, static_cast<size_t>(n));
            }
        }
        if (in_open && (fds[2].revents & (POLLOUT | POLLERR))) {
            const ssize_t n = write(in_pipe[1], input.data() + written, input.size() - written);
            if (n > 0) written += static_cast<size_t>(n);
            if (n < 0 || written == input.size()) {
                close(in_pipe[1]);
                in_open = false;
            }
        }
    }
    if (in_open) close(in_pipe[1]);
    close(out_pipe[0]);
    close(err_pipe[0]);
    int status = 0;
    waitpid(child, &status, 0);
    run.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return run;
}

}  // namespace lumo::test
