// Drives the built engine library through its exports, as the front does.
#include <dlfcn.h>

#include <gtest/gtest.h>

#include <string>

#include "lumospell/orthex.h"
#include "test_support.h"

using lumo::test::read_file;
using lumo::test::ScratchDir;
using lumo::test::write_file;

namespace {

struct OrthexLibrary {
    void* handle = nullptr;
    void* functions[16] = {};

    OrthexLibrary() {
        handle = dlopen(ORTHEX_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
        if (handle == nullptr) return;
        static const char* const names[] = {ORTHEX_EXPORT_NAMES};
        for (int i = 0; i < 16; ++i) functions[i] = dlsym(handle, names[i]);
    }
    ~OrthexLibrary() {
        if (handle) dlclose(handle);
    }
    template <typename F>
    F* fn(int ordinal) const {
        return reinterpret_cast<F*>(functions[ordinal - 1]);
    }
};

}  // namespace

TEST(OrthexLibrary, ExportsExactlyTheSixteenFunctions) {
    OrthexLibrary lib;
    ASSERT_NE(lib.handle, nullptr) << dlerror();
    for (void* f : lib.functions) EXPECT_NE(f, nullptr);
    // Internals stay hidden.
    EXPECT_EQ(dlsym(lib.handle, "_ZN4lumo6engine8WordHashEPKc"), nullptr);
}

TEST(OrthexLibrary, FixedAnswersOfTheSimpleExports) {
    OrthexLibrary lib;
    ASSERT_NE(lib.handle, nullptr);
    uint16_t version = 0, engine = 9, type = 9, count = 0;
    EXPECT_EQ(lib.fn<decltype(SpellVer)>(1)(&version, &engine, &type), 0);
    EXPECT_EQ(version, 0x0100);
    EXPECT_EQ(engine, 0);
    EXPECT_EQ(type, 0);
    EXPECT_EQ(lib.fn<decltype(SpellGetSizeUdr)>(13)(1, 0, &count), 0);
    EXPECT_EQ(count, 0xFFFF);
    EXPECT_EQ(lib.fn<decltype(SpellDelUdr)>(11)(1, 0, "x"), 0);
    EXPECT_EQ(lib.fn<decltype(SpellClearUdr)>(12)(7, 7), 0);
    EXPECT_EQ(lib.fn<decltype(SpellGetListUdr)>(14)(0, 0, nullptr, 0), 0);
    EXPECT_EQ(lib.fn<decltype(SpellCloseMdr)>(15)(0, nullptr), 0);
}

TEST(OrthexLibrary, RunsASessionAndSavesTheUserDictionary) {
    ScratchDir dir;
    const std::string main_path = dir.file("main.dic"), user_path = dir.file("user.dic");
    write_file(main_path, "alpha\r\nbeta\r\n");
    write_file(user_path, "gamma\r\n");
    OrthexLibrary lib;
    ASSERT_NE(lib.handle, nullptr);
    uint32_t session = 0, user_id = 0;
    unsigned char special[11] = {}, main_record[16] = {};
    int read_only = 0;
    uint16_t language = 0xFFFF;
    ASSERT_EQ(lib.fn<decltype(SpellInit)>(2)(&session, special), 0);
    EXPECT_EQ(session, 1u);
    ASSERT_EQ(lib.fn<decltype(SpellVerifyMdr)>(6)(main_path.c_str(), 1033, &language), 0);
    ASSERT_EQ(lib.fn<decltype(SpellOpenMdr)>(7)(session, main_path.c_str(), nullptr, 0, 1, 1033,
                                               main_record),
              0);
    ASSERT_EQ(lib.fn<decltype(SpellOpenUdr)>(8)(session, user_path.c_str(), 1, UdrIgnoreAlways,
                                               &user_id, &read_only),
              0);
    EXPECT_EQ(user_id, 0u);
    ASSERT_EQ(lib.fn<decltype(SpellOptions)>(3)(session, 1), 0);
    EXPECT_EQ(lib.fn<decltype(SpellAddUdr)>(9)(session, user_id, "delta"), 0);
    EXPECT_EQ(lib.fn<decltype(SpellAddUdr)>(9)(session, user_id, nullptr), SpellErrBadArgument);
    EXPECT_EQ(lib.fn<decltype(SpellAddChangeUdr)>(10)(session, UdrChangeAlways, "teh", "the"), 0);
    EXPECT_EQ(lib.fn<decltype(SpellTerminate)>(5)(session, 1), 0);
    EXPECT_EQ(lib.fn<decltype(SpellTerminate)>(5)(session, 1), 0);
    const std::string saved = read_file(user_path);
    EXPECT_NE(saved.find("gamma\r\n"), std::string::npos);
    EXPECT_NE(saved.find("delta\r\n"), std::string::npos);
    EXPECT_EQ(read_file(dir.file("user.BAK")), "gamma\r\n");
}

TEST(OrthexLibrary, AFreshLoadStartsFromEmptyState) {
    {
        OrthexLibrary lib;
        ASSERT_NE(lib.handle, nullptr);
        auto add_change = lib.fn<decltype(SpellAddChangeUdr)>(10);
        for (int i = 0; i < 99; ++i) ASSERT_EQ(add_change(1, 0, "w", "r"), 0);
        ASSERT_EQ(add_change(1, 0, "w", "r"), SpellErrChangeTableFull);
    }
    OrthexLibrary again;
    ASSERT_NE(again.handle, nullptr);
    EXPECT_EQ(again.fn<decltype(SpellAddChangeUdr)>(10)(1, 0, "w", "r"), 0);
}

TEST(OrthexLibrary, BadArgumentsGetCodesNotCrashes) {
    OrthexLibrary lib;
    ASSERT_NE(lib.handle, nullptr);
    EXPECT_EQ(lib.fn<decltype(SpellVer)>(1)(nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(lib.fn<decltype(SpellInit)>(2)(nullptr, nullptr), 0);
    EXPECT_EQ(lib.fn<decltype(SpellVerifyMdr)>(6)(nullptr, 0, nullptr), SpellErrMdrAccess);
    EXPECT_EQ(lib.fn<decltype(SpellOpenMdr)>(7)(1, nullptr, nullptr, 0, 0, 0, nullptr),
              SpellErrOpenMdr);
    EXPECT_EQ(lib.fn<decltype(SpellOpenUdr)>(8)(1, nullptr, 0, 0, nullptr, nullptr),
              SpellErrOpenUdr);
    EXPECT_EQ(lib.fn<decltype(SpellCheck)>(4)(1, 2, nullptr, nullptr), 0);
    EXPECT_EQ(lib.fn<decltype(SpellAddUdr)>(9)(1, 0, nullptr), SpellErrBadArgument);
    EXPECT_EQ(lib.fn<decltype(SpellAddChangeUdr)>(10)(1, 0, nullptr, "b"), SpellErrBadArgument);
    EXPECT_EQ(lib.fn<decltype(SpellAddChangeUdr)>(10)(1, 0, "a", nullptr), SpellErrBadArgument);
    EXPECT_EQ(lib.fn<decltype(SpellGetSizeUdr)>(13)(1, 0, nullptr), 0);
    EXPECT_EQ(lib.fn<decltype(SpellCloseUdr)>(16)(1, 0, 0), 0);
    EXPECT_EQ(lib.fn<decltype(SpellTerminate)>(5)(1, 0), 0);
}
