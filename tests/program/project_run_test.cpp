// A whole project through the built program: a git repository of files,
// walked, configured and reported in each output format.
#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "run_program.h"
#include "test_support.h"

using lumo::test::read_file;
using lumo::test::run_program;
using lumo::test::ScratchDir;
using lumo::test::write_file;

namespace {

const char* const Words =
    "a\r\nword\r\nwords\r\nhere\r\nthe\r\nint\r\nmain\r\ncomment\r\nis\r\n"
    "fine\r\ntext\r\nline\r\n";

// A repository in a scratch folder, the program run from its top.
struct Project {
    ScratchDir dir;
    std::string home = dir.file("home");
    std::string root = dir.file("repo");
    bool own_dictionary = true;  // else each variant's installed one
    Project() {
        std::filesystem::create_directories(home);
        std::filesystem::create_directories(root + "/docs");
        std::filesystem::create_directories(root + "/src");
        write_file(home + "/main.dic", Words);
        std::system(("git init -q " + root).c_str());
        put(".gitignore", "build/\n*.log\n");
        put("docs/a.md", "a wrod here\n");
        put("src/b.c", "// teh comment\nint main(){}\n");
        put("build/out.txt", "zzzyx\n");
        put("trace.log", "zzzyx\n");
        put("image.png", "\x89PNG\r\n\x1a\n");
        put("blob.bin", std::string("text\0more", 9));
        put(".git/notes.txt", "zzzyx\n");
    }
    void put(const std::string& name, const std::string& text) {
        std::filesystem::create_directories(std::filesystem::path(root + "/" + name).parent_path());
        write_file(root + "/" + name, text);
    }
    lumo::test::ProgramRun run(const std::string& args, const std::string& input = "",
                               const std::string& as = "") {
        const std::string command = "cd '" + root + "' && exec " + as +
                                    " '" LUMOSPELL_PROGRAM "' " + args +
                                    (own_dictionary ? " --main-dict '" + home + "/main.dic'" : "") +
                                    " --user-dict '" + home + "/user.dic'";
        return run_program({"/bin/sh", "-c", command}, input,
                           {"HOME=" + home, "XDG_DATA_HOME=" + home, "LC_ALL=C.UTF-8"});
    }
};

TEST(ProjectRun, WalksTheTreeAsGitSeesItInPathOrder) {
    Project p;
    p.put(".lumospell-ignore", "docs/skip*.md\n");
    p.put("docs/skip-me.md", "zzzyx\n");
    p.put("docs/c.txt", "qqqzx\n");
    ASSERT_EQ(symlink("/usr/share", (p.root + "/outside").c_str()), 0);
    ASSERT_EQ(symlink("loop-b", (p.root + "/loop-a").c_str()), 0);
    ASSERT_EQ(symlink("loop-a", (p.root + "/loop-b").c_str()), 0);
    ASSERT_EQ(mkfifo((p.root + "/fifo").c_str(), 0644), 0);
    const auto run = p.run("check --no-suggest .");
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_EQ(run.out, "docs/a.md:1:3: wrod\ndocs/c.txt:1:1: qqqzx\nsrc/b.c:1:4: teh\n");
    EXPECT_NE(run.err.find("fifo: not a regular file, skipped"), std::string::npos);
    EXPECT_NE(run.err.find("loop-a: a loop of links, skipped"), std::string::npos);
    EXPECT_NE(run.err.find(" files, "), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find("image.png"), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find("blob.bin"), std::string::npos) << run.err;
    // A glob, a named file and a directory together; list takes the same paths.
    EXPECT_EQ(p.run("list 'docs/a*.md' src").out, "wrod\nteh\n");
    EXPECT_EQ(p.run("check --no-suggest 'nothing*'").exit_code, 2);
}

TEST(ProjectRun, ManyWorkersPrintWhatOneDoesByteForByte) {
    Project p;
    for (int k = 0; k < 40; ++k)
        p.put("many/f" + std::to_string(k) + ".txt",
              "a wrod line " + std::to_string(k) + " qqzx\n");
    for (const char* format : {"text", "json", "sarif", "github"}) {
        const auto one = p.run(std::string("check -j1 --format ") + format + " .");
        const auto four = p.run(std::string("check -j4 --format ") + format + " .");
        EXPECT_EQ(one.exit_code, 1);
        EXPECT_EQ(four.exit_code, 1);
        EXPECT_EQ(one.out, four.out) << format;
    }
}

TEST(ProjectRun, SarifAndGithubAnnotationsAsCiReadsThem) {
    Project p;
    p.put("odd\xff name.txt", "qqzx, here\n");
    const auto run = p.run("check --format sarif --max-suggestions 2 .");
    EXPECT_EQ(run.exit_code, 1);
    const auto sarif = nlohmann::json::parse(run.out);
    // What the SARIF 2.1.0 schema requires of each object, by where it is.
    const std::vector<std::pair<std::string, std::vector<std::string>>> required = {
        {"", {"version", "runs"}},
        {"/runs/0", {"tool", "results"}},
        {"/runs/0/tool", {"driver"}},
        {"/runs/0/tool/driver", {"name"}},
        {"/runs/0/tool/driver/rules/0", {"id"}},
        {"/runs/0/results/0", {"message"}},
        {"/runs/0/results/0/message", {"text"}},
        {"/runs/0/results/0/fixes/0", {"artifactChanges"}},
        {"/runs/0/results/0/fixes/0/artifactChanges/0", {"artifactLocation", "replacements"}},
        {"/runs/0/results/0/fixes/0/artifactChanges/0/replacements/0", {"deletedRegion"}},
    };
    for (const auto& [where, keys] : required)
        for (const std::string& key : keys)
            EXPECT_TRUE(sarif.at(nlohmann::json::json_pointer(where)).contains(key))
                << where << " " << key;
    EXPECT_EQ(sarif["version"], "2.1.0");
    const auto& driver = sarif["runs"][0]["tool"]["driver"];
    EXPECT_EQ(driver["name"], "lumospell");
    EXPECT_FALSE(driver["version"].get<std::string>().empty());
    EXPECT_EQ(driver["rules"].size(), 3u);
    const auto& results = sarif["runs"][0]["results"];
    ASSERT_EQ(results.size(), 3u);
    for (const auto& r : results) {
        EXPECT_TRUE(r["message"].contains("text"));
        EXPECT_EQ(r["ruleId"], "unknown-word");
    }
    const auto& first = results[0];
    EXPECT_EQ(first["locations"][0]["physicalLocation"]["artifactLocation"]["uri"], "docs/a.md");
    EXPECT_EQ(first["locations"][0]["physicalLocation"]["region"]["startColumn"], 3);
    EXPECT_EQ(first["fixes"][0]["artifactChanges"][0]["replacements"][0]["insertedContent"]["text"],
              "word");
    EXPECT_EQ(results[1]["locations"][0]["physicalLocation"]["artifactLocation"]["uri"],
              "odd%FF%20name.txt");
    const auto github = p.run("check --format github --no-suggest docs");
    EXPECT_EQ(github.out,
              "::warning file=docs/a.md,line=1,col=3,endColumn=7,title=unknown-word::"
              "Unknown word: wrod\n");
    // Names that are not UTF-8 stay byte-exact in text.
    EXPECT_NE(p.run("check --no-suggest .").out.find("odd\xff name.txt:1:1: qqzx"),
              std::string::npos);
}

TEST(ProjectRun, ConfigurationWordsPatternsModesAndDirectives) {
    Project p;
    p.put("words.txt", "qqzx\n");
    p.put(".lumospell.toml",
          "words = [\"wrod\"]\nword_lists = [\"words.txt\"]\nignore_paths = [\"vendor/\"]\n"
          "ignore_patterns = ['0x[0-9a-z]+', 'id-[a-z]+']\nmin_word_length = 4\nunknown = 1\n"
          "[modes]\n\"*.note\" = \"markdown\"\n");
    p.put("vendor/x.txt", "zzzyx\n");
    p.put("notes.txt",
          "qqzx teh id-abcxyz 0xdeadbeefz zzzqa\n"
          "lumospell: ignore zzzqb\nzzzqb\n"
          "lumospell: disable-next-line\nzzzqc\nzzzqd\n"
          "<!-- lumospell: disable -->\nzzzqe\nlumospell: enable\nzzzqf\n");
    p.put("a.note", "`zzzqg` zzzqh\n");
    const auto run = p.run("check --no-suggest .");
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_EQ(run.out,
              "a.note:1:9: zzzqh\nnotes.txt:1:32: zzzqa\nnotes.txt:6:1: zzzqd\n"
              "notes.txt:10:1: zzzqf\n");
    EXPECT_NE(run.err.find(".lumospell.toml:6:11: unknown key 'unknown'"), std::string::npos)
        << run.err;
    // Standard input's directives too, from a pipe or a file; its project's words.
    const std::string piped = "lumospell: ignore zzzqb\nzzzqb qqzx zzzqa\n";
    EXPECT_EQ(p.run("check --no-suggest -", piped).out, "<stdin>:2:12: zzzqa\n");
    EXPECT_EQ(p.run("check --no-suggest - < notes.txt").out.substr(0, 19), "<stdin>:1:32: zzzqa");
    const auto shown = p.run("config --show notes.txt");
    EXPECT_EQ(shown.exit_code, 0);
    EXPECT_NE(shown.out.find("ignore pattern: id-[a-z]+"), std::string::npos) << shown.out;
    // Malformed: the place and exit 2; a configuration that is a folder is refused.
    p.put("bad.toml", "words = [\"a\",\n");
    const auto bad = p.run("check --config bad.toml docs");
    EXPECT_EQ(bad.exit_code, 2);
    EXPECT_NE(bad.err.find("bad.toml:1:15: "), std::string::npos) << bad.err;
    EXPECT_EQ(p.run("check --config src docs").exit_code, 2);
    p.put("slow.toml", "ignore_patterns = ['(a*)*b']\n");
    EXPECT_EQ(p.run("check --config slow.toml --no-suggest docs").exit_code, 1);
}

TEST(ProjectRun, EachFileTakesItsOwnFoldersConfiguration) {
    Project p;
    p.put(".lumospell.toml", "words = [\"zzqtop\"]\nignore_paths = [\"gen/\"]\n");
    p.put("sub/.lumospell.toml",
          "words = [\"zzqsub\"]\nignore_paths = [\"/only.txt\", \"*.tmp\"]\n"
          "[modes]\n\"*.note\" = \"markdown\"\n");
    p.put("gen/a.txt", "zzqgen\n");
    p.put("sub/gen/b.txt", "zzqtop zzqsub\n");
    p.put("sub/only.txt", "zzqonly\n");
    p.put("sub/deep/only.txt", "zzqdeep\n");
    p.put("sub/deep/c.tmp", "zzqtmp\n");
    p.put("sub/d.note", "`zzqcode` zzqnote\n");
    const std::string expected =
        "sub/d.note:1:11: zzqnote\nsub/deep/only.txt:1:1: zzqdeep\nsub/gen/b.txt:1:1: zzqtop\n";
    // The same from the top, from the sub-project and by a glob.
    EXPECT_EQ(p.run("check --no-suggest .").out,
              "docs/a.md:1:3: wrod\nsrc/b.c:1:4: teh\n" + expected);
    EXPECT_EQ(p.run("check --no-suggest sub").out, expected);
    EXPECT_EQ(p.run("check --no-suggest 'sub/**'").out, expected);
}

// Each file in its configuration's language unless the command line names
// one; a language not installed leaves its files reported and the rest checked.
TEST(ProjectRun, EachSubProjectInItsOwnLanguage) {
    Project p;
    p.own_dictionary = false;
    p.put(".lumospell.toml", "language = \"en_GB\"\n");
    p.put("us/.lumospell.toml", "language = \"en_US\"\n");
    p.put("fr/.lumospell.toml", "language = \"fr_FR\"\n");
    p.put("plain/.lumospell.toml", "words = [\"wrod\"]\n");  // the locale's: en_US
    for (const char* name : {"a.txt", "fr/c.txt", "plain/d.txt", "us/deep/e.txt", "z.txt"})
        p.put(name, "colour color\n");
    const std::string gb = "1:8: color\n", us = "1:1: colour\n";
    const std::string each = "a.txt:" + gb + "docs/a.md:1:3: wrod\nplain/d.txt:" + us +
                             "src/b.c:1:4: teh\nus/deep/e.txt:" + us + "z.txt:" + gb;
    const std::string french = "fr/c.txt: not checked: the language of " + p.root +
                               "/fr/.lumospell.toml: unknown language 'fr_FR'";
    const struct {
        const char* args;
        std::string out, err;
        int exit_code;
    } cases[] = {
        {"check --no-suggest -j1 .", each, french, 2},
        {"check --no-suggest -j2 .", each, french, 2},
        {"check --no-suggest -j3 .", each, french, 2},
        {"list -j2 .", "color\nwrod\ncolour\nteh\ncolour\ncolor\n", french, 2},
        {"check --no-suggest -j2 --lang en_US a.txt fr/c.txt", "a.txt:" + us + "fr/c.txt:" + us, "",
         1},
        {"check --no-suggest --config fr/.lumospell.toml a.txt us/deep/e.txt", "",
         "us/deep/e.txt: not checked: the language of fr/.lumospell.toml", 2},
    };
    for (const auto& c : cases) {
        const auto run = p.run(c.args);
        EXPECT_EQ(run.out, c.out) << c.args << "\n" << run.err;
        EXPECT_EQ(run.exit_code, c.exit_code) << c.args;
        EXPECT_NE(run.err.find(c.err), std::string::npos) << c.args << "\n" << run.err;
    }
}

TEST(ProjectRun, GlobsFollowTheWalksRules) {
    Project p;
    p.put(".lumospell.toml", "ignore_paths = [\"docs/skip.md\"]\n");
    p.put("docs/skip.md", "zzzyx\n");
    p.put("docs/.hidden.md", "zzzyx\n");
    p.put("docs/deeper/d.md", "zzqdeep\n");
    p.put("top.md", "zzqtop\n");
    EXPECT_EQ(p.run("check --no-suggest 'docs/*.md' '*.md'").out,
              "docs/a.md:1:3: wrod\ntop.md:1:1: zzqtop\n");
    EXPECT_EQ(p.run("check --no-suggest './*.md'").out, "top.md:1:1: zzqtop\n");
    // A folder the glob names is walked as any folder is.
    EXPECT_EQ(p.run("check --no-suggest 'do*'").out,
              "docs/.hidden.md:1:1: zzzyx\ndocs/a.md:1:3: wrod\ndocs/deeper/d.md:1:1: zzqdeep\n");
    const auto ignored = p.run("check --no-suggest '*.log'");
    EXPECT_EQ(ignored.exit_code, 2);
    EXPECT_NE(ignored.err.find("*.log: no file matches"), std::string::npos) << ignored.err;
}

TEST(ProjectRun, AddsProjectWordsSortedToTheFirstList) {
    Project p;
    p.put(".lumospell.toml", "word_lists = [\"docs/words.txt\"]\n");
    EXPECT_EQ(p.run("add --project zeta alpha").out, "added: zeta\nadded: alpha\n");
    const auto again = p.run("add --project alpha");
    EXPECT_EQ(again.exit_code, 0);
    EXPECT_EQ(read_file(p.root + "/docs/words.txt"), "alpha\nzeta\n");
    p.put("docs/z.txt", "zeta alpha qqzx\n");
    EXPECT_EQ(p.run("list docs/z.txt").out, "qqzx\n");
}

TEST(ProjectRun, UnreadableFilesAndFoldersAreReportedAndTheRestChecked) {
    Project p;
    // Permissions do not stop root: as root the program runs as nobody.
    std::string as;
    if (geteuid() == 0) {
        as = "setpriv --reuid=nobody --regid=nogroup --clear-groups";
        if (std::system((as + " true 2>/dev/null").c_str()) != 0) as = "runuser -u nobody --";
        if (std::system((as + " true 2>/dev/null").c_str()) != 0)
            GTEST_SKIP() << "neither setpriv nor runuser can drop root";
        std::system(("chmod -R a+rX '" + p.dir.path() + "' && chmod 777 '" + p.home + "'").c_str());
    }
    p.put("locked/x.txt", "zzzyx\n");
    p.put("secret.txt", "zzzyx\n");
    chmod((p.root + "/locked").c_str(), 0);
    chmod((p.root + "/secret.txt").c_str(), 0);
    const auto run = p.run("check --no-suggest .", "", as);
    const auto named = p.run("check --no-suggest secret.txt docs/a.md", "", as);
    chmod((p.root + "/locked").c_str(), 0755);
    EXPECT_EQ(run.exit_code, 2) << run.err;
    EXPECT_NE(run.out.find("docs/a.md:1:3: wrod"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("locked: Permission denied"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("secret.txt: Permission denied"), std::string::npos) << run.err;
    EXPECT_EQ(named.exit_code, 2);
    EXPECT_EQ(named.out, "docs/a.md:1:3: wrod\n");
}

TEST(ProjectRun, NamedBinariesAreToldAndSkippedUtf16TextIsChecked) {
    Project p;
    std::string wide = "\xff\xfe";
    for (char c : std::string("a wrod\r\n\xe9 teh\n")) wide += std::string{c, '\0'};
    p.put("docs/wide.txt", wide);
    p.put("src/elf.c",
          "\x7f"
          "ELF\x02\x01\x01");
    EXPECT_EQ(p.run("check --no-suggest docs").out,
              "docs/a.md:1:3: wrod\ndocs/wide.txt:1:3: wrod\ndocs/wide.txt:2:3: teh\n");
    for (const char* command : {"check --no-suggest", "list"}) {
        const auto run = p.run(std::string(command) + " src/elf.c blob.bin src/b.c docs/wide.txt");
        EXPECT_EQ(run.exit_code, 2) << command;
        EXPECT_NE(run.out.find("teh\n"), std::string::npos) << run.out;
        EXPECT_NE(run.out.find("wrod\n"), std::string::npos) << run.out;
        EXPECT_EQ(run.err,
                  "lumospell: src/elf.c: looks like a binary file, not checked\n"
                  "lumospell: blob.bin: looks like a binary file, not checked\n");
    }
}

}  // namespace
