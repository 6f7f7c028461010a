#include "speller/leftover_temporaries.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <ctime>

#include "test_support.h"

namespace lumo::tool {
namespace {

using test::ScratchDir;
using test::write_file;

// Planted with their times: older than the process, or younger (another
// run's save in progress); only old regular files of the patterns go.
TEST(LeftoverTemporaries, OnlyOldRegularFilesOfThePatterns) {
    ScratchDir dir;
    const time_t old_time = std::time(nullptr) - 3600, young_time = std::time(nullptr) + 3600;
    struct Case {
        const char* name;
        bool pattern, old;
    } cases[] = {
        {".notes.txt.lumospell-Ab12Cd", true, true},
        {".lumospell-build-x9Y8z7", true, true},
        {".notes.txt.lumospell-Ab12Cd2", false, true},  // not mkstemp's six
        {".notes.txt.lumospell-Ab1", false, true},
        {"notes.txt.lumospell-Ab12Cd", false, true},  // not hidden
        {"..lumospell-Ab12Cd", false, true},          // no file name
        {".notes.txt.lumospell-Ab-2Cd", false, true},
        {".notes.txt", false, true},
        {".other.dic.lumospell-Zz99Yy", true, false},  // younger than the process
    };
    for (const Case& c : cases) {
        write_file(dir.file(c.name), "x");
        const time_t t = c.old ? old_time : young_time;
        const timespec times[2] = {{t, 0}, {t, 0}};
        ASSERT_EQ(utimensat(AT_FDCWD, dir.file(c.name).c_str(), times, 0), 0);
    }
    ASSERT_EQ(symlink("/etc/passwd", dir.file(".link.lumospell-Qq11Ww").c_str()), 0);
    EXPECT_EQ(remove_leftover_temporaries(dir.path()), 2);
    for (const Case& c : cases) {
        EXPECT_EQ(is_leftover_temporary_name(c.name), c.pattern) << c.name;
        EXPECT_EQ(access(dir.file(c.name).c_str(), F_OK) != 0, c.pattern && c.old) << c.name;
    }
    struct stat st;
    EXPECT_EQ(lstat(dir.file(".link.lumospell-Qq11Ww").c_str(), &st), 0) << "a link is kept";
}

}  // namespace
}  // namespace lumo::tool
