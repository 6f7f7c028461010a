#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>

#include "run_program.h"
#include "test_support.h"

using lumo::test::file_exists;
using lumo::test::read_file;
using lumo::test::run_program;
using lumo::test::ScratchDir;
using lumo::test::write_file;

namespace {

const char* const Words =
    "the\r\nquick\r\nbrown\r\nfox\r\njumps\r\nover\r\nlazy\r\ndog\r\nthis\r\nline\r\nis\r\n"
    "fine\r\nlazy-dog\r\na\r\nword\r\nwords\r\nand\r\nmore\r\ngood\r\ntext\r\nnaive\r\nEnglish\r\n";

// A scratch home with a small main dictionary; every run uses it.
struct Cli {
    ScratchDir dir;
    std::string main_dict = dir.file("main.dic");
    std::string user_dict = dir.file("user.dic");
    std::vector<std::string> env{"XDG_DATA_HOME=" + dir.file("xdg"), "HOME=" + dir.path(),
                                 "LC_ALL=C.UTF-8"};
    Cli() { write_file(main_dict, Words); }

    lumo::test::ProgramRun run(std::vector<std::string> args, const std::string& input = "",
                               bool with_dicts = true) {
        std::vector<std::string> argv{LUMOSPELL_PROGRAM};
        if (!args.empty()) argv.push_back(args.front());
        if (with_dicts) {
            argv.insert(argv.end(), {"--main-dict", main_dict, "--user-dict", user_dict});
        }
        argv.insert(argv.end(), args.begin() + (args.empty() ? 0 : 1), args.end());
        return run_program(argv, input, env);
    }
};

}  // namespace

TEST(CheckCommand, ReportsEveryMisspeltWordWithPositionAndSuggestions) {
    Cli cli;
    const std::string file = cli.dir.file("text.txt");
    write_file(file, "the quikc brown fox\nthis line is fine\njumps ovr teh dog\n");
    auto run = cli.run({"check", "--engine-order", file});
    EXPECT_EQ(run.exit_code, 1) << run.err;
    EXPECT_EQ(run.out, file + ":1:5: quikc: quick\n" + file + ":3:7: ovr: over\n" + file +
                           ":3:11: teh: the\n");
}

TEST(CheckCommand, ExitsZeroForCleanTextAndReadsStandardInput) {
    Cli cli;
    auto clean = cli.run({"check"}, "the quick brown fox\n");
    EXPECT_EQ(clean.exit_code, 0);
    EXPECT_EQ(clean.out, "");
    auto addresses = cli.run({"check", "--engine-order"}, "see https://www.exmaple.org/teh fox@exmaple.com dir/fiel.txt\n");
    EXPECT_EQ(addresses.exit_code, 1);
    EXPECT_EQ(addresses.out, "<stdin>:1:1: see\n");
    auto paths = cli.run({"check", "--no-paths", "--no-suggest"}, "the dir/fiel.txt\n");
    EXPECT_EQ(paths.out, "<stdin>:1:5: dir\n<stdin>:1:9: fiel\n<stdin>:1:14: txt\n");
    // A possessive is accepted at the start of a line as anywhere else.
    auto possessive = cli.run({"check"}, "Zork's fox\nthe fox's dog\n");
    EXPECT_EQ(possessive.exit_code, 0) << possessive.out;
    auto dirty = cli.run({"check", "--no-suggest"}, "a wrod\n");
    EXPECT_EQ(dirty.exit_code, 1);
    EXPECT_EQ(dirty.out, "<stdin>:1:3: wrod\n");
}

TEST(CheckCommand, WritesOneJsonObjectPerReportedWord) {
    Cli cli;
    auto run = cli.run({"check", "--json", "--engine-order"}, "good\nteh \"dog\"\n");
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_EQ(run.out,
              "{\"file\":\"<stdin>\",\"line\":2,\"column\":1,\"offset\":5,\"word\":\"teh\","
              "\"kind\":\"unknown\",\"suggestions\":[\"the\"]}\n");
}

TEST(CheckCommand, JsonStaysValidForFileNamesThatAreNotUtf8) {
    Cli cli;
    // A surrogate and an overlong form: bytes that only look like UTF-8.
    for (const char* bytes : {"\xED\xA0\x80", "\xE0\x80\xA0"}) {
        const std::string file = cli.dir.file(std::string("name") + bytes + ".txt");
        write_file(file, "teh\n");
        auto run = cli.run({"check", "--json", "--no-suggest", file});
        EXPECT_EQ(run.exit_code, 1) << run.err;
        std::string escaped;
        for (const char* b = bytes; *b; ++b) {
            char unit[8];
            std::snprintf(unit, sizeof unit, "\\u%04x", static_cast<unsigned char>(*b));
            escaped += unit;
        }
        EXPECT_NE(run.out.find("name" + escaped + ".txt\""), std::string::npos) << run.out;
        EXPECT_EQ(std::count_if(run.out.begin(), run.out.end(), [](char c) { return c & 0x80; }), 0);
    }
}

TEST(CheckCommand, CountsColumnsInCharactersAndKeepsForeignWordsWhole) {
    Cli cli;
    // An accented word is not split into English fragments; English right
    // after Japanese characters is still checked.
    auto run = cli.run({"check", "--no-suggest"},
                       "na\xC3\xAFve caf\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC" "Englsh and \xE6\x97\xA5" "English\n");
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_EQ(run.out, "<stdin>:1:14: Englsh\n");
}

TEST(CheckCommand, ChecksLinesLongerThanOneCallInPiecesWithoutSplittingWords) {
    Cli cli;
    std::string line;
    while (line.size() < 40000) line += "good words ";
    line.insert(19800, "mispelt ");
    line += "wrng\n";
    auto run = cli.run({"check", "--no-suggest"}, line);
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_EQ(run.out, "<stdin>:1:19801: mispelt\n<stdin>:1:" + std::to_string(line.size() - 4) +
                           ": wrng\n");
}

TEST(CheckCommand, AcceptsJoinedWordsWhosePartsAreKnown) {
    Cli cli;
    auto run = cli.run({"check"}, "good-words _fine_ lazy-dgo fox wrod-qux-fox\n");
    EXPECT_EQ(run.exit_code, 1);
    // Of the others only the unknown parts, each where it stands, with its own suggestions.
    EXPECT_EQ(run.out, "<stdin>:1:24: dgo: dog\n<stdin>:1:32: wrod: word, words, good\n"
                       "<stdin>:1:37: qux: fox\n");
}

TEST(CheckCommand, ChecksIdentifiersOfCodePartByPart) {
    Cli cli;
    const std::string input = "// quickBrownFox lazyDgo HTTPFox the_wrod FOX_QUIKC\n";
    auto run = cli.run({"check", "--engine-order", "--max-suggestions", "1", "--mode", "c"}, input);
    EXPECT_EQ(run.out, "<stdin>:1:22: lazyDgo: Dgo: lazyDog\n"
                       "<stdin>:1:38: the_wrod: wrod: the_word\n"
                       "<stdin>:1:47: FOX_QUIKC: QUIKC: FOX_QUICK\n") << run.err;
    run = cli.run({"check", "--engine-order", "--json", "--max-suggestions", "1", "--mode", "c"},
                  "// lazyDgo\n");
    EXPECT_EQ(run.out,
              "{\"file\":\"<stdin>\",\"line\":1,\"column\":8,\"offset\":7,\"word\":\"Dgo\","
              "\"identifier\":\"lazyDgo\",\"kind\":\"unknown\",\"suggestions\":[\"Dog\"]}\n");
    // The words of software, and C's, are known in C alone; prose is read as
    // before, each word whole.
    run = cli.run({"check", "--no-suggest", "--mode", "c"}, "// quickMemmove stdout STDOUT\n");
    EXPECT_EQ(run.out, "");
    run = cli.run({"check", "--no-suggest", "--mode", "sql"}, "-- stdout memmove\n");
    EXPECT_EQ(run.out, "<stdin>:1:11: memmove\n");
    run = cli.run({"check", "--no-suggest", "--mode", "text"}, "lazyDgo stdout\n");
    EXPECT_EQ(run.out, "<stdin>:1:1: lazyDgo\n<stdin>:1:9: stdout\n");
}

TEST(CheckCommand, SurvivesBinaryInput) {
    Cli cli;
    std::string bytes;
    for (int i = 0; i < 256; ++i) bytes.push_back(static_cast<char>(i));
    bytes += std::string("\0zzq\0", 5);
    auto run = cli.run({"check", "--no-suggest"}, bytes + bytes);
    EXPECT_EQ(run.exit_code, 1) << run.err;
    EXPECT_NE(run.out.find("zzq"), std::string::npos);
}

TEST(CheckCommand, ReportsUnreadableFilesAndGoesOn) {
    Cli cli;
    const std::string good = cli.dir.file("good.txt");
    write_file(good, "fine text\n");
    auto run = cli.run({"check", cli.dir.file("missing.txt"), cli.dir.file("none*.md"), good});
    EXPECT_EQ(run.exit_code, 2);
    EXPECT_NE(run.err.find("missing.txt: No such file or directory"), std::string::npos);
    EXPECT_NE(run.err.find("none*.md: no file matches"), std::string::npos);
}

TEST(CheckCommand, RefusesBadOptionsAndMissingDictionaries) {
    Cli cli;
    auto bad = cli.run({"check", "--frobnicate"});
    EXPECT_EQ(bad.exit_code, 2);
    EXPECT_NE(bad.err.find("unknown option '--frobnicate'"), std::string::npos);
    auto none = run_program({LUMOSPELL_PROGRAM}, "", cli.env);
    EXPECT_EQ(none.exit_code, 2);
    auto missing = run_program(
        {LUMOSPELL_PROGRAM, "check", "--main-dict", cli.dir.file("nope.dic")}, "x\n", cli.env);
    EXPECT_EQ(missing.exit_code, 2);
    EXPECT_NE(missing.err.find("nope.dic"), std::string::npos);
    auto bad_user = run_program({LUMOSPELL_PROGRAM, "check", "--main-dict", cli.main_dict,
                                 "--user-dict", cli.dir.file("no/such/dir/user.dic")},
                                "x\n", cli.env);
    EXPECT_EQ(bad_user.exit_code, 2);
    EXPECT_NE(bad_user.err.find("cannot create user dictionary"), std::string::npos);
}

TEST(CheckCommand, ColoursOnlyWhenAskedOrOnATerminal) {
    Cli cli;
    const std::string plain = "<stdin>:1:5: wrod: word\n";
    EXPECT_EQ(cli.run({"check", "--color=always", "--max-suggestions", "1"}, "the wrod\n").out,
              "\033[35m<stdin>\033[36m:\033[32m1\033[36m:\033[32m5\033[36m:\033[m "
              "\033[1;31mwrod\033[m: word\n");
    for (const char* when : {"--color=never", "--color=auto", "--no-web"})
        EXPECT_EQ(cli.run({"check", when, "--max-suggestions", "1"}, "the wrod\n").out, plain)
            << when << ": standard output is a pipe";
    EXPECT_EQ(cli.run({"check", "--color=always", "--json"}, "the\n").exit_code, 0);
    auto bad = cli.run({"check", "--color=sometimes"}, "the\n");
    EXPECT_EQ(bad.exit_code, 2);
    EXPECT_NE(bad.err.find("--color takes auto, always or never"), std::string::npos);
}

TEST(CheckCommand, WarnsOfAHunspellDictionaryAndNothingElse) {
    Cli cli;
    const std::string hunspell = cli.dir.file("en.dic");
    write_file(hunspell, "2\nwalk/DSG\nthe\n");
    write_file(cli.dir.file("en.aff"), "SFX D Y 1\n");
    auto warned = run_program({LUMOSPELL_PROGRAM, "check", "--main-dict", hunspell, "--user-dict",
                               cli.user_dict},
                              "the\n", cli.env);
    EXPECT_EQ(warned.exit_code, 0) << warned.err;
    EXPECT_NE(warned.err.find(hunspell + " is a Hunspell dictionary"), std::string::npos)
        << warned.err;
    EXPECT_NE(warned.err.find("unmunch"), std::string::npos) << warned.err;
    // A plain list beside an .aff, or a count with no .aff: no warning.
    write_file(cli.dir.file("main.aff"), "");
    EXPECT_EQ(cli.run({"check"}, "the\n").err, "");
    write_file(cli.dir.file("counted.dic"), "1\nthe\n");
    EXPECT_EQ(run_program({LUMOSPELL_PROGRAM, "check", "--main-dict", cli.dir.file("counted.dic"),
                           "--user-dict", cli.user_dict},
                          "the\n", cli.env)
                  .err,
              "");
}

TEST(UserDictionary, IsCreatedInTheDataDirectoryAndKeepsAddedWords) {
    Cli cli;
    auto add = run_program({LUMOSPELL_PROGRAM, "add", "--main-dict", cli.main_dict, "frobnitz",
                            "dog"},
                           "", cli.env);
    EXPECT_EQ(add.exit_code, 0) << add.err;
    EXPECT_EQ(add.out, "already known: dog\nadded: frobnitz\n");
    const std::string user = cli.dir.file("xdg/lumospell/user.dic");
    EXPECT_EQ(read_file(user), "frobnitz\r\n");
    EXPECT_TRUE(file_exists(cli.dir.file("xdg/lumospell/user.BAK")));
    auto check = run_program({LUMOSPELL_PROGRAM, "check", "--main-dict", cli.main_dict},
                             "frobnitz\n", cli.env);
    EXPECT_EQ(check.exit_code, 0);
}

TEST(PipeProtocol, AnswersWordsLikeIspell) {
    Cli cli;
    auto run = cli.run({"pipe", "--engine-order"}, "the wrod\n^teh xqzv\n!\nfine jumsp\n");
    EXPECT_EQ(run.exit_code, 0) << run.err;
    EXPECT_EQ(run.out,
              "@(#) International Ispell Version 3.1.20 (but really LumoSpell 1.0.0)\n"
              "*\n& wrod 1 4: word\n\n"
              "& teh 1 1: the\n# xqzv 5\n\n"
              "& jumsp 1 5: jumps\n\n");
}

TEST(PipeProtocol, SessionWordsAndSavedWords) {
    Cli cli;
    write_file(cli.user_dict, "older\r\n");
    auto run = cli.run({"-a", "--engine-order"}, "!\n@zork\n*blorp\n^zork blorp\n#\n^zork blorp fnord\n");
    EXPECT_EQ(run.exit_code, 0) << run.err;
    // Accepted words stay accepted after the save reopened the session.
    EXPECT_EQ(run.out.substr(run.out.find('\n') + 1), "\n# fnord 12\n\n");
    const std::string saved = read_file(cli.user_dict);
    EXPECT_NE(saved.find("blorp\r\n"), std::string::npos);
    EXPECT_EQ(saved.find("zork"), std::string::npos);
    EXPECT_NE(read_file(cli.dir.file("user.BAK")).find("older\r\n"), std::string::npos);
}

TEST(PipeProtocol, ListModePrintsEachReportedWord) {
    Cli cli;
    auto run = cli.run({"-l"}, "teh dog\nqqx teh\n");
    EXPECT_EQ(run.exit_code, 0);
    EXPECT_EQ(run.out, "teh\nqqx\nteh\n");
    auto version = run_program({LUMOSPELL_PROGRAM, "-vv"});
    EXPECT_EQ(version.exit_code, 0);
    EXPECT_EQ(version.out.rfind("@(#) International Ispell Version 3.1.20", 0), 0u);
}

TEST(BuildDict, WritesASortedWordListAndReportsMissingSources) {
    Cli cli;
    const std::string source = cli.dir.file("source.txt");
    // Shift-JIS: a headword line with a pronunciation section that is dropped.
    write_file(source, "\x81\xA1zebra  {n} : \x83\x5B\x83\x75\x83\x89\x81\x79\x94\xAD\x89\xB9\x81\x7A"
                       "z'i:br@\x81\x79\x8C\xEA\x8B\x60\x81\x7A" "striped animal\r\n");
    const std::string output = cli.dir.file("out.dic");
    // What a killed build left: removed by the next one.
    const std::string leftover = cli.dir.file(".lumospell-build-K1ll3d");
    write_file(leftover, "half");
    const timespec old_time[2] = {{std::time(nullptr) - 3600, 0}, {std::time(nullptr) - 3600, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, leftover.c_str(), old_time, 0), 0);
    auto run = run_program({LUMOSPELL_PROGRAM, "build-dict", source, output});
    EXPECT_EQ(run.exit_code, 0) << run.err;
    EXPECT_EQ(read_file(output), "animal\r\nstriped\r\nzebra\r\n");
    EXPECT_NE(access(leftover.c_str(), F_OK), 0);
    auto missing = run_program({LUMOSPELL_PROGRAM, "build-dict", cli.dir.file("none.txt"), output});
    EXPECT_EQ(missing.exit_code, 2);
    EXPECT_NE(missing.err.find("none.txt"), std::string::npos);
    auto usage = run_program({LUMOSPELL_PROGRAM, "build-dict", source});
    EXPECT_EQ(usage.exit_code, 2);
}

namespace {

// A copy of the program beside only the libraries and data files given, to
// see what it does when the others are missing.
struct ProgramCopy {
    ScratchDir dir;
    std::string program = dir.file("bin/lumospell");
    ProgramCopy(const std::vector<std::string>& libraries, const std::vector<std::string>& data) {
        namespace fs = std::filesystem;
        const fs::path built = fs::path(LUMOSPELL_PROGRAM).parent_path().parent_path();
        for (const char* folder : {"bin", "lib", "share/lumospell"})
            fs::create_directories(dir.file(folder));
        fs::copy_file(LUMOSPELL_PROGRAM, program);
        for (const std::string& name : libraries)
            fs::copy_file(built / "lib" / name, dir.file("lib/" + name));
        for (const std::string& name : data)
            fs::copy_file(built / "share/lumospell" / name, dir.file("share/lumospell/" + name));
    }
};

const char* const SoundAlikes = "eth\r\nthe\r\neh\r\ntea\r\ndog\r\n";

}  // namespace

TEST(RankedSuggestions, PutTheLikeliestWordFirstUnlessTheEngineOrderIsAsked) {
    Cli cli;
    write_file(cli.main_dict, SoundAlikes);
    struct Case {
        std::vector<std::string> args;
        std::string input, out_starts;
    };
    const Case cases[] = {
        {{"check"}, "teh\n", "<stdin>:1:1: teh: the, "},
        {{"check", "--engine-order"}, "teh\n", "<stdin>:1:1: teh: eth, the, eh, tea\n"},
        {{"check", "--max-suggestions", "1"}, "Teh\n", "<stdin>:1:1: Teh: The\n"},
    };
    for (const Case& c : cases) {
        auto run = cli.run(c.args, c.input);
        EXPECT_EQ(run.out.rfind(c.out_starts, 0), 0u) << c.input << run.out << run.err;
    }
    EXPECT_NE(cli.run({"pipe"}, "^teh\n").out.find("& teh 4 1: the, "), std::string::npos);
    // The session's words are the ranker's too: two edits away the engine
    // has nothing to offer.
    EXPECT_NE(cli.run({"pipe"}, "@frobnitz\n^frobbnits\n").out.find("& frobbnits 1 1: frobnitz\n"),
              std::string::npos);
}

TEST(RankedSuggestions, FallBackToTheEngineOrderWhenTheRankerOrItsFilesAreMissing) {
    const std::vector<std::string> engine = {"liborthex.so", "liborthbridge.so"};
    std::vector<std::string> all = engine;
    all.push_back("liblumorank.so");
    struct Case {
        std::vector<std::string> libraries, data;
        std::string out, note;
    };
    const Case cases[] = {
        {all, {"word-frequency.txt"}, "<stdin>:1:1: teh: the, ", "index built at start"},
        {engine, {"word-frequency.txt"}, "<stdin>:1:1: teh: eth, the, eh, tea\n",
         "cannot find liblumorank.so"},
        {all, {}, "<stdin>:1:1: teh: eth, the, eh, tea\n", "cannot find the word frequencies"},
    };
    for (const Case& c : cases) {
        ProgramCopy copy(c.libraries, c.data);
        Cli cli;
        write_file(cli.main_dict, SoundAlikes);
        auto run = run_program({copy.program, "check", "--verbose", "--main-dict", cli.main_dict,
                                "--user-dict", cli.user_dict},
                               "teh\n", cli.env);
        EXPECT_EQ(run.exit_code, 1) << run.err;
        EXPECT_EQ(run.out.rfind(c.out, 0), 0u) << run.out;
        EXPECT_NE(run.err.find(c.note), std::string::npos) << run.err;
        auto quiet = run_program({copy.program, "check", "--main-dict", cli.main_dict,
                                  "--user-dict", cli.user_dict},
                                 "teh\n", cli.env);
        EXPECT_EQ(quiet.err, "");
    }
}

TEST(StartUp, LoadsLibgit2ForADirectoryWalkOnly) {
    Cli cli;
    const std::string project = cli.dir.file("project");
    std::filesystem::create_directory(project);
    write_file(project + "/note.txt", "the fox\n");
    // The dynamic loader names every library it maps.
    cli.env.push_back("LD_DEBUG=files");
    struct Case {
        std::vector<std::string> args;
        std::string input;
        bool loads;
    };
    const Case cases[] = {
        {{"list"}, "the teh\n", false},
        {{"check", "--no-suggest"}, "teh\n", false},
        {{"pipe"}, "the\n", false},
        {{"check", project}, "", true},
    };
    for (const Case& c : cases) {
        auto run = cli.run(c.args, c.input);
        EXPECT_EQ(run.err.find("libgit2") != std::string::npos, c.loads) << c.args[0];
        EXPECT_EQ(run.err.find("ignore rules not applied"), std::string::npos) << run.err;
    }
}

TEST(DocumentReading, DefectsOfANewUserStayFixed) {
    Cli cli;
    const std::string text = cli.dir.file("words.txt");
    write_file(text, "the wrod\n");
    const std::string markdown = cli.dir.file("notes.md");
    write_file(markdown, "the `wrod` fox\n\n```\nteh\n```\nx86y ovr\n");
    const std::string sjis = cli.dir.file("sjis.txt");
    write_file(sjis, "\x83\x65\x83\x58\x83\x67" "fox \x83\x61table\n");
    const std::string long_run(100000, 'a');
    struct Case {
        std::vector<std::string> args;
        std::string input;
        std::string out;
        int exit_code;
    } cases[] = {
        {{"list", "--no-web", "--no-paths"}, "the http://exampel.com/pathh\n", "http\nexampel\ncom\npathh\n", 0},
        {{"list", text}, "", "wrod\n", 0},
        {{"list", cli.dir.file("none.txt")}, "", "", 2},
        {{"pipe", "--engine-order", text}, "", "@(#) International Ispell Version 3.1.20 (but really LumoSpell 1.0.0)\n*\n& wrod 1 4: word\n\n", 0},
        {{"check", "--engine-order", "--json", "--max-suggestions", "1"}, "wordz\n",
         "{\"file\":\"<stdin>\",\"line\":1,\"column\":1,\"offset\":0,\"word\":\"wordz\","
         "\"kind\":\"unknown\",\"suggestions\":[\"word\"]}\n", 1},
        {{"check"}, "the dog'' fox\n", "", 0},
        {{"check", "--no-suggest"}, "``the dogz''\n", "<stdin>:1:7: dogz\n", 1},
        {{"pipe"}, long_run + "\n",
         "@(#) International Ispell Version 3.1.20 (but really LumoSpell 1.0.0)\n# " +
             long_run.substr(0, 32) + " 0\n\n",
         0},
        {{"check"}, long_run + "\n",
         "<stdin>:1:1: " + long_run.substr(0, 32) + "...: too long to be a word (100000 characters)\n", 1},
        {{"check", "--no-suggest", markdown}, "", markdown + ":6:6: ovr\n", 1},
        {{"check", "--no-suggest", "--mode", "text"}, "x86y ovr\n", "<stdin>:1:1: x86y\n<stdin>:1:6: ovr\n", 1},
        {{"check", "--no-suggest", sjis}, "", sjis + ":1:9: table\n", 1},
        {{"check", "--no-suggest", "--encoding", "cp932"}, read_file(sjis), "<stdin>:1:9: table\n", 1},
    };
    for (const Case& c : cases) {
        auto run = cli.run(c.args, c.input);
        EXPECT_EQ(run.out, c.out) << c.args[0] << " " << c.input.substr(0, 40) << run.err;
        EXPECT_EQ(run.exit_code, c.exit_code) << c.input.substr(0, 40) << run.err;
    }
}

TEST(DocumentReading, DictionaryNamesHelpAndAMissingHome) {
    Cli cli;
    auto missing = run_program({LUMOSPELL_PROGRAM, "check", "-d", "missing.dic"}, "x\n", cli.env);
    EXPECT_EQ(missing.exit_code, 2);
    EXPECT_NE(missing.err.find("missing.dic"), std::string::npos);
    auto named = cli.run({"check", "-v", "-d", "english"}, "the fox\n");
    EXPECT_EQ(named.exit_code, 0) << named.err;
    EXPECT_NE(named.err.find("ignoring the ispell dictionary name 'english'"), std::string::npos);
    EXPECT_NE(named.err.find("<stdin>: utf-8 (detected), mode text"), std::string::npos);
    for (const char* command : {"check", "list", "pipe", "add", "build-dict"}) {
        auto help = run_program({LUMOSPELL_PROGRAM, command, "--help"});
        EXPECT_EQ(help.out.rfind(std::string("usage: lumospell ") + command, 0), 0u) << help.out;
    }
    auto homeless = run_program({LUMOSPELL_PROGRAM, "check", "--engine-order", "--main-dict", cli.main_dict}, "teh\n",
                                {"HOME=", "XDG_DATA_HOME="});
    EXPECT_EQ(homeless.exit_code, 1) << homeless.err;
    EXPECT_EQ(homeless.out, "<stdin>:1:1: teh: the\n");
    EXPECT_NE(homeless.err.find("additions cannot be saved"), std::string::npos);
}

// The program answers a line while its input is still open, and reads
// any amount of input in bounded memory.
TEST(DocumentReading, StreamsInBoundedMemory) {
    Cli cli;
    int in[2], out[2];
    ASSERT_EQ(pipe(in), 0);
    ASSERT_EQ(pipe(out), 0);
    const pid_t child = fork();
    if (child == 0) {
        dup2(in[0], 0);
        dup2(out[1], 1);
        for (int fd : {in[0], in[1], out[0], out[1]}) close(fd);
        execl(LUMOSPELL_PROGRAM, LUMOSPELL_PROGRAM, "check", "--no-suggest", "--main-dict",
              cli.main_dict.c_str(), "--user-dict", cli.user_dict.c_str(), nullptr);
        _exit(127);
    }
    close(in[0]);
    close(out[1]);
    ASSERT_EQ(write(in[1], "teh\n", 4), 4);
    pollfd ready{out[0], POLLIN, 0};
    EXPECT_EQ(poll(&ready, 1, 60000), 1);
    char answer[64] = {};
    EXPECT_GT(read(out[0], answer, sizeof answer - 1), 0);
    EXPECT_STREQ(answer, "<stdin>:1:1: teh\n");
    close(in[1]);
    close(out[0]);
    waitpid(child, nullptr, 0);
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "address space limits do not apply under the address sanitizer";
#else
    // 50 MB on one line, checked under an address space far smaller.
    const std::string big = cli.dir.file("big.txt");
    {
        std::string chunk;
        while (chunk.size() < (1u << 20)) chunk += "the quick brown fox jumps over the lazy dog ";
        std::FILE* f = std::fopen(big.c_str(), "wb");
        for (int k = 0; k < 50; ++k) std::fwrite(chunk.data(), 1, chunk.size(), f);
        std::fclose(f);
    }
    const pid_t lister = fork();
    if (lister == 0) {
        const rlimit limit{64u << 20, 64u << 20};
        setrlimit(RLIMIT_AS, &limit);
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        execl(LUMOSPELL_PROGRAM, LUMOSPELL_PROGRAM, "list", "--main-dict", cli.main_dict.c_str(),
              "--user-dict", cli.user_dict.c_str(), big.c_str(), nullptr);
        _exit(127);
    }
    int status = 0;
    waitpid(lister, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
#endif
}

// A rebuild replaces the old output only when it completed.
TEST(BuildDict, KeepsTheOldOutputWhenCancelledOrRefused) {
    Cli cli;
    const std::string output = cli.dir.file("out.dic");
    const std::string source = cli.dir.file("big.txt");
    {
        std::FILE* f = std::fopen(source.c_str(), "wb");
        for (int k = 0; k < 300000; ++k) std::fprintf(f, "\x81\xA1word%d  {n} : striped animal\r\n", k);
        std::fclose(f);
    }
    const std::string fifo = cli.dir.file("fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    struct Case {
        std::string source;
        std::string output;
        int exit_code;
        const char* message;
    } cases[] = {
        {fifo, output, 2, "not a regular file"},
        {"/dev/zero", output, 2, "not a regular file"},
        {source, source, 2, "is the source itself"},
        {source, cli.dir.file("none/out.dic"), 2, "No such file or directory"},
    };
    for (const Case& c : cases) {
        write_file(output, "old\r\n");
        auto run = run_program({LUMOSPELL_PROGRAM, "build-dict", c.source, c.output}, "",
                               {"LC_ALL=C.UTF-8"});
        EXPECT_EQ(run.exit_code, c.exit_code) << c.source;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        EXPECT_EQ(read_file(output), "old\r\n");
    }
    const pid_t child = fork();
    if (child == 0) {
        execl(LUMOSPELL_PROGRAM, LUMOSPELL_PROGRAM, "build-dict", source.c_str(), output.c_str(),
              nullptr);
        _exit(127);
    }
    usleep(50000);
    kill(child, SIGINT);
    int status = 0;
    waitpid(child, &status, 0);
    // Cancelled, or ended by the signal before it could take it.
    EXPECT_TRUE(WIFSIGNALED(status) || (WIFEXITED(status) && WEXITSTATUS(status) == 130)) << status;
    EXPECT_EQ(read_file(output), "old\r\n");
    auto done = run_program({LUMOSPELL_PROGRAM, "build-dict", source, output});
    EXPECT_EQ(done.exit_code, 0) << done.err;
    EXPECT_EQ(done.out.rfind("built " + output + ": 300002 words in ", 0), 0u) << done.out;
}
