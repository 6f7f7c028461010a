#include "fix/fix_session.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <map>
#include <set>
#include <sstream>

#include "fix/fix_file.h"

namespace lumo::tool {
namespace {

// Knows a handful of words; holds ignore-always and change-always as the front does.
class ListSpeller : public FixSpeller {
public:
    bool find(std::string_view view, size_t from, size_t to, FixFinding& found) override {
        for (size_t k = from; k < to;) {
            if (!std::isalpha(static_cast<unsigned char>(view[k]))) {
                ++k;
                continue;
            }
            size_t end = k;
            while (end < to && std::isalpha(static_cast<unsigned char>(view[end]))) ++end;
            const std::string word(view.substr(k, end - k));
            if (!known.count(word) && !ignored.count(word)) {
                found = {k, end - k, word, changes.count(word) > 0,
                         changes.count(word) ? changes[word] : ""};
                return true;
            }
            k = end;
        }
        return false;
    }
    std::vector<std::string> suggest(const std::string&) override { return {"the"}; }
    void ignore_always(const std::string& w) override { ignored.insert(w); }
    void change_always(const std::string& w, const std::string& with) override {
        changes[w] = with;
    }
    void forget_decisions() override {
        ignored.clear();
        changes.clear();
        ++forgotten;
    }
    std::set<std::string> known{"the", "cat", "sat", "on", "mat", "code"};
    std::set<std::string> ignored;
    std::map<std::string, std::string> changes;
    int forgotten = 0;
};

// Steps: "r:WORD" replace, "R:WORD" every one, "i", "I", "a", "l", "p", "u" undo.
std::string run_steps(const std::string& text, const std::string& steps, ListSpeller& speller,
                      std::vector<std::string>& added, const std::string& file = "a.txt") {
    FixSession fix(text, FileEncoding::Utf8, mode_for_file_name(file), speller);
    fix.advance();
    std::istringstream in(steps);
    std::string step;
    while (in >> step) {
        const std::string with = step.size() > 2 ? step.substr(2) : "";
        switch (step[0]) {
            case 'r': fix.decide(Decision::Replace, with); break;
            case 'R': fix.decide(Decision::ReplaceAll, with); break;
            case 'i': fix.decide(Decision::IgnoreOnce); break;
            case 'I': fix.decide(Decision::IgnoreAlways); break;
            case 'a': fix.decide(Decision::Add); break;
            case 'l': fix.decide(Decision::AddLower); break;
            case 'p': fix.decide(Decision::AddProject); break;
            case 'u': fix.undo(); break;
        }
    }
    added = fix.added_words();
    for (const std::string& w : fix.project_words()) added.push_back("project:" + w);
    return fix.text() + (fix.at_end() ? "|end" : "|at " + fix.current().word);
}

TEST(FixSession, DecisionsAndUndo) {
    struct Case {
        const char* text;
        const char* steps;
        const char* expected;
        std::vector<std::string> added;
        const char* file = "a.txt";
    } cases[] = {
        {"teh cat\r\nsat on teh mat", "r:the", "the cat\r\nsat on teh mat|at teh", {}},
        {"teh cat teh mat teh", "R:the", "the cat the mat the|end", {}},
        {"teh cat teh mat teh", "R:the u", "teh cat teh mat teh|at teh", {}},
        {"teh cat teh mat teh", "i i", "teh cat teh mat teh|at teh", {}},
        {"teh cat teh mat teh", "I", "teh cat teh mat teh|end", {}},
        {"teh cat teh mat teh", "I u", "teh cat teh mat teh|at teh", {}},
        {"Zork cat zork", "l", "Zork cat zork|end", {"zork"}},
        {"Zork cat Zork", "a", "Zork cat Zork|end", {"Zork"}},
        {"Zork cat Zork", "a u", "Zork cat Zork|at Zork", {}},
        {"Zork cat Zork qux", "p l", "Zork cat Zork qux|end", {"qux", "project:Zork"}},
        {"Zork cat Zork", "p u", "Zork cat Zork|at Zork", {}},
        {"teh foo teh", "R:the i u u", "teh foo teh|at teh", {}},
        {"teh foo teh", "r:the r:bar u", "the foo teh|at foo", {}},
        {"cat", "u u", "cat|end", {}},
        {"the cat mat", "", "the cat mat|end", {}},
        {"cat sat teh", "r:the", "cat sat the|end", {}},
        {"Wrod\n\n```\nwrod\n```\nwrod\n", "i i", "Wrod\n\n```\nwrod\n```\nwrod\n|end", {}, "n.md"},
        {"Wrod\n\n```\nwrod\n```\nwrod\n",
         "r:Word",
         "Word\n\n```\nwrod\n```\nwrod\n|at wrod",
         {},
         "n.md"},
    };
    for (const Case& c : cases) {
        ListSpeller speller;
        std::vector<std::string> added;
        EXPECT_EQ(run_steps(c.text, c.steps, speller, added, c.file), c.expected) << c.steps;
        EXPECT_EQ(added, c.added) << c.steps;
    }
}

TEST(FixSession, UndoSaysWhatItTookBackAndReplacementsAreCounted) {
    struct Case {
        const char* text;
        const char* steps;  // before the undo
        const char* undone;
        size_t replaced;  // before the undo
    } cases[] = {
        {"teh cat", "r:the", "teh replaced by the", 1},
        {"teh cat teh teh", "R:the", "every teh replaced by the and 2 later replacements", 3},
        {"teh foo teh", "R:the i", "foo ignored once and 1 later replacement", 2},
        {"Zork cat", "I", "Zork ignored always", 0},
        {"Zork cat", "l", "zork added to the user dictionary", 0},
        {"Zork cat", "p", "Zork added to the project's words", 0},
    };
    for (const Case& c : cases) {
        ListSpeller speller;
        FixSession fix(c.text, FileEncoding::Utf8, mode_for_file_name("a.txt"), speller);
        fix.advance();
        std::istringstream in(c.steps);
        for (std::string step; in >> step;) {
            const std::string with = step.size() > 2 ? step.substr(2) : "";
            if (step[0] == 'r') fix.decide(Decision::Replace, with);
            if (step[0] == 'R') fix.decide(Decision::ReplaceAll, with);
            if (step[0] == 'i') fix.decide(Decision::IgnoreOnce);
            if (step[0] == 'I') fix.decide(Decision::IgnoreAlways);
            if (step[0] == 'l') fix.decide(Decision::AddLower);
            if (step[0] == 'p') fix.decide(Decision::AddProject);
        }
        EXPECT_EQ(fix.replacement_count(), c.replaced) << c.steps;
        std::string undone;
        EXPECT_TRUE(fix.undo(&undone));
        EXPECT_EQ(undone, c.undone) << c.steps;
    }
}

TEST(FixSession, UndoOfAWordDecisionReplaysTheOthersToTheSpeller) {
    ListSpeller speller;
    std::vector<std::string> added;
    run_steps("teh zork qux", "R:the I u", speller, added);
    EXPECT_EQ(speller.forgotten, 1);
    EXPECT_EQ(speller.changes.at("teh"), "the");
    EXPECT_FALSE(speller.ignored.count("zork"));
}

TEST(FixSession, BytesOutsideTheWordsStayInTheFilesEncoding) {
    struct Case {
        FileEncoding encoding;
        std::string text, expected;
    } cases[] = {
        {FileEncoding::Latin1, "caf\xE9 teh\r\n", "caf\xE9 the\r\n"},
        {FileEncoding::Utf8, "na\xC3\xAFve teh", "na\xC3\xAFve the"},
        {FileEncoding::ShiftJis, "\x83\x65teh\x82\xA0", "\x83\x65the\x82\xA0"},
    };
    for (const Case& c : cases) {
        ListSpeller speller;
        FixSession fix(c.text, c.encoding, {}, speller);
        ASSERT_TRUE(fix.advance());
        EXPECT_EQ(fix.current().word, "teh");
        fix.decide(Decision::Replace, "the");
        EXPECT_TRUE(fix.at_end());
        EXPECT_EQ(fix.text(), c.expected);
    }
}

TEST(FixSession, ChangedAndBinary) {
    ListSpeller speller;
    FixSession fix("teh", FileEncoding::Utf8, {}, speller);
    fix.advance();
    EXPECT_FALSE(fix.changed());
    fix.decide(Decision::Replace, "the");
    EXPECT_TRUE(fix.changed());
    EXPECT_TRUE(looks_binary(std::string("ab\0c", 4)));
    EXPECT_FALSE(looks_binary("plain text\n"));
}

}  // namespace
}  // namespace lumo::tool

namespace lumo::tool {
namespace {

TEST(FixFile, WritesThroughARenameWithABackup) {
    struct Case {
        const char* name;
        bool through_link;
        mode_t mode;
    } cases[] = {{"plain", false, 0640}, {"linked", true, 0600}, {"wide", false, 0755}};
    for (const Case& c : cases) {
        char folder[] = "/tmp/fix_file_XXXXXX";
        ASSERT_NE(mkdtemp(folder), nullptr);
        const std::string file = std::string(folder) + "/a.txt";
        const std::string link = std::string(folder) + "/link.txt";
        {
            std::FILE* out = std::fopen(file.c_str(), "wb");
            std::fputs("teh\r\n", out);
            std::fclose(out);
        }
        chmod(file.c_str(), c.mode);
        ASSERT_EQ(symlink(file.c_str(), link.c_str()), 0);
        const std::string path = c.through_link ? link : file;
        FileSnapshot snapshot;
        std::string error;
        ASSERT_TRUE(read_for_fixing(path, snapshot, error)) << error;
        EXPECT_TRUE(unchanged_on_disk(path, snapshot)) << c.name;
        ASSERT_TRUE(write_fixed(path, snapshot, "the\r\n", error)) << error;
        FileSnapshot now, backup;
        ASSERT_TRUE(read_for_fixing(file, now, error));
        ASSERT_TRUE(read_for_fixing(file + ".bak", backup, error));
        EXPECT_EQ(now.bytes, "the\r\n") << c.name;
        EXPECT_EQ(backup.bytes, "teh\r\n") << c.name;
        EXPECT_EQ(now.mode & 07777, c.mode) << c.name;
        struct stat st;
        EXPECT_EQ(lstat(link.c_str(), &st), 0);
        EXPECT_TRUE(S_ISLNK(st.st_mode)) << c.name;
        EXPECT_FALSE(unchanged_on_disk(path, snapshot)) << c.name;
        EXPECT_FALSE(read_for_fixing(std::string(folder) + "/none", now, error));
        EXPECT_FALSE(read_for_fixing(folder, now, error));
        EXPECT_EQ(error, "not a regular file");
        for (const std::string& f : {file, file + ".bak", link}) unlink(f.c_str());
        rmdir(folder);
    }
}

}  // namespace
}  // namespace lumo::tool
