// Checks real text against the shipped English word list through the
// exports of the built engine library, bound by name as a host binds them.
#include <dlfcn.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "lumospell/orthex.h"
#include "test_support.h"

namespace {

const std::string WordList = std::string(LUMOSPELL_DATA_DIR) + "/words/american-english-large";

struct Session {
    void* handle = nullptr;
    decltype(&SpellInit) init = nullptr;
    decltype(&SpellOptions) options = nullptr;
    decltype(&SpellCheck) check = nullptr;
    decltype(&SpellTerminate) terminate = nullptr;
    decltype(&SpellOpenMdr) open_main = nullptr;
    decltype(&SpellAddChangeUdr) add_change = nullptr;
    uint32_t id = 0;

    Session() {
        handle = dlopen(ORTHEX_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
        if (handle == nullptr) return;
        init = reinterpret_cast<decltype(init)>(dlsym(handle, "SpellInit"));
        options = reinterpret_cast<decltype(options)>(dlsym(handle, "SpellOptions"));
        check = reinterpret_cast<decltype(check)>(dlsym(handle, "SpellCheck"));
        terminate = reinterpret_cast<decltype(terminate)>(dlsym(handle, "SpellTerminate"));
        open_main = reinterpret_cast<decltype(open_main)>(dlsym(handle, "SpellOpenMdr"));
        add_change = reinterpret_cast<decltype(add_change)>(dlsym(handle, "SpellAddChangeUdr"));
    }
    ~Session() {
        if (handle == nullptr) return;
        if (terminate != nullptr) terminate(id, 0);
        dlclose(handle);
    }

    bool open() {
        if (init == nullptr || open_main == nullptr || check == nullptr) return false;
        return init(&id, nullptr) == 0 &&
               open_main(id, WordList.c_str(), nullptr, 0, 0, 1033, nullptr) == 0;
    }
};

struct Report {
    uint16_t status = 0;
    uint16_t offset = 0;
    uint16_t length = 0;
    std::vector<std::string> strings;
};

// One call as the front makes it: a 256-byte area, the text in a buffer
// with room for the terminator.
Report call(Session& session, uint32_t command, const std::string& text) {
    std::vector<char> buffer(text.begin(), text.end());
    buffer.push_back('\0');
    char area[256];
    SpellInputBuffer in{};
    in.textLength = static_cast<uint16_t>(text.size());
    in.text = buffer.data();
    SpellReturnBuffer out{};
    out.suggestionCapacity = sizeof area;
    out.suggestions = area;
    EXPECT_EQ(session.check(session.id, command, &in, &out), 0);
    Report report{out.status, out.errorOffset, out.errorLength, {}};
    for (size_t pos = 0, i = 0; i < out.suggestionCount; ++i) {
        report.strings.emplace_back(area + pos);
        pos += report.strings.back().size() + 1;
    }
    return report;
}

std::vector<std::string> suggestions_for(Session& session, const std::string& word) {
    return call(session, CommandSuggest, word).strings;
}

bool before(const std::vector<std::string>& list, const std::string& a, const std::string& b) {
    auto pa = std::find(list.begin(), list.end(), a);
    auto pb = std::find(list.begin(), list.end(), b);
    return pa != list.end() && pb != list.end() && pa < pb;
}

}  // namespace

TEST(SpellCheckLibrary, ReportsTheMisspeltWordsOfASentence) {
    Session session;
    ASSERT_TRUE(session.open()) << dlerror();
    const std::string text =
        "The committee's report, published in 1998, was recieved with \"great\" "
        "enthusiasm by famous critics; others jumpd to conclusions.";
    Report first = call(session, CommandVerifyBuffer, text);
    ASSERT_EQ(first.status, StatusUnknownWord);
    EXPECT_EQ(text.substr(first.offset, first.length), "recieved");
    EXPECT_EQ(first.strings, std::vector<std::string>{"recieved"});

    // Go on past the reported word, as a host does.
    const size_t next = first.offset + first.length;
    Report second = call(session, CommandVerifyBuffer, text.substr(next));
    ASSERT_EQ(second.status, StatusUnknownWord);
    EXPECT_EQ(text.substr(next + second.offset, second.length), "jumpd");

    const size_t rest = next + second.offset + second.length;
    Report last = call(session, CommandVerifyBuffer, text.substr(rest));
    EXPECT_EQ(last.status, StatusNoErrors);
    EXPECT_EQ(last.strings, std::vector<std::string>{"jumpd"});
}

TEST(SpellCheckLibrary, SuggestsTheUsualCorrections) {
    Session session;
    ASSERT_TRUE(session.open()) << dlerror();
    // A transposition comes before every other kind of edit.
    EXPECT_EQ(suggestions_for(session, "recieve").front(), "receive");
    const auto jumpd = suggestions_for(session, "jumpd");
    EXPECT_TRUE(before(jumpd, "jump", "jumps"));
    EXPECT_TRUE(before(jumpd, "jumps", "jumped"));
    const auto separate = suggestions_for(session, "Seperate");
    EXPECT_NE(std::find(separate.begin(), separate.end(), "Separate"), separate.end());
    const auto occured = suggestions_for(session, "OCCURED");
    EXPECT_NE(std::find(occured.begin(), occured.end(), "OCCURRED"), occured.end());
    EXPECT_TRUE(suggestions_for(session, "xqzvw").empty());
}

TEST(SpellCheckLibrary, ChangeAlwaysAndOptionsThroughTheExports) {
    Session session;
    ASSERT_TRUE(session.open()) << dlerror();
    ASSERT_NE(session.add_change, nullptr);
    ASSERT_EQ(session.add_change(session.id, UdrChangeAlways, "teh", "the"), 0);
    Report changed = call(session, CommandVerifyBuffer, "In teh end.");
    EXPECT_EQ(changed.status, StatusChangeAlways);
    EXPECT_EQ(changed.offset, 3);
    EXPECT_EQ(changed.strings, std::vector<std::string>{"the"});
    // The change-always word itself is never a suggestion.
    const auto teh = suggestions_for(session, "teh");
    EXPECT_EQ(std::find(teh.begin(), teh.end(), "teh"), teh.end());
    EXPECT_EQ(teh.front(), "eth");

    EXPECT_EQ(call(session, CommandVerifyBuffer, "NATO and FWIW x86").status, StatusUnknownWord);
    session.options(session.id, OptionIgnoreAllCapitals | OptionIgnoreWordsWithDigits);
    EXPECT_EQ(call(session, CommandVerifyBuffer, "NATO and FWIW x86").status, StatusNoErrors);
}

// A real text walked as a host walks it, in pieces cut at spaces: every
// reported word is absent from the list in any ASCII case.
TEST(SpellCheckLibrary, WalksARealTextToItsEnd) {
    Session session;
    ASSERT_TRUE(session.open()) << dlerror();
    std::string prose = lumo::test::read_file(std::string(LUMOSPELL_DATA_DIR) + "/prose/devil.txt");
    ASSERT_GT(prose.size(), 100000u);
    prose.resize(60000);
    std::vector<std::string> list;
    {
        std::string words = lumo::test::read_file(WordList);
        for (size_t pos = 0; pos < words.size();) {
            size_t nl = words.find('\n', pos);
            if (nl == std::string::npos) nl = words.size();
            std::string w = words.substr(pos, nl - pos);
            for (char& c : w) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            list.push_back(w);
            pos = nl + 1;
        }
        std::sort(list.begin(), list.end());
    }
    size_t pos = 0, reported = 0;
    while (pos < prose.size()) {
        std::string piece = prose.substr(pos, 16000);
        if (pos + piece.size() < prose.size()) piece.resize(piece.rfind(' ') + 1);
        Report r = call(session, CommandVerifyBuffer, piece);
        if (r.status == StatusNoErrors) {
            pos += piece.size();
            continue;
        }
        ASSERT_EQ(r.status, StatusUnknownWord);
        std::string word = piece.substr(r.offset, r.length);
        for (char& c : word) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        EXPECT_FALSE(std::binary_search(list.begin(), list.end(), word)) << word;
        ++reported;
        pos += r.offset + r.length;
    }
    EXPECT_GT(reported, 10u);
    EXPECT_LT(reported, 2000u);
}
