// run_measure INPUT COMMAND [ARG...]: runs the command once with INPUT as
// its standard input ("-": this one's) and its output thrown away, and prints its processor
// time (user + system, milliseconds) and peak memory (KiB).  Spawned from
// this small program, the child's peak is not inflated by a large parent.
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

extern char** environ;

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: run_measure INPUT COMMAND [ARG...]\n");
        return 2;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (std::strcmp(argv[1], "-") != 0)
        posix_spawn_file_actions_addopen(&actions, 0, argv[1], O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid;
    const int failed = posix_spawnp(&pid, argv[2], &actions, nullptr, argv + 2, environ);
    if (failed != 0) {
        std::fprintf(stderr, "%s: %s\n", argv[2], std::strerror(failed));
        return 1;
    }
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid) return 1;
    const long us = (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000000L +
                    usage.ru_utime.tv_usec + usage.ru_stime.tv_usec;
    const double ms = static_cast<double>(us) / 1e3;
    std::printf("%.3f %ld\n", ms, usage.ru_maxrss);
    return 0;
}
