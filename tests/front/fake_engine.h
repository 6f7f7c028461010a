// An in-process stand-in for the engine library: the front under test loads
// it through fake library functions, and every engine call is recorded
// with its arguments so that tests can see exactly what the front passed.
#pragma once

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "error_box.h"
#include "front.h"

namespace lumo::test {

struct FakeEngine {
    std::vector<std::string> calls;
    int loads = 0;
    int releases = 0;
    int missing_ordinal = 0;  // find() yields nothing for it
    bool load_fails = false;
    std::string loaded_path;

    uint16_t init_code = 0;
    uint16_t verify_code = 0;
    uint16_t verify_writes_language = 0xFFFF;  // 0xFFFF: leaves it alone
    uint16_t open_mdr_code = 0;
    uint16_t open_udr_code = 0;
    uint32_t open_udr_writes_id = 0;
    uint16_t options_code = 0;
    uint16_t add_code = 0;
    // SpellCheck: what the engine does with the records; result returned.
    std::function<uint16_t(uint32_t command, SpellInputBuffer*, SpellReturnBuffer*)> check;
    std::vector<std::string> checked_texts;  // the text each verification saw
};

inline FakeEngine* fake = nullptr;

inline void record(const char* format, ...) __attribute__((format(printf, 1, 2)));
inline void record(const char* format, ...) {
    char line[512];
    va_list values;
    va_start(values, format);
    std::vsnprintf(line, sizeof line, format, values);
    va_end(values);
    fake->calls.emplace_back(line);
}

namespace fake_functions {
inline uint16_t SpellVer(uint16_t*, uint16_t*, uint16_t*) { return 0; }
inline uint16_t SpellInit(uint32_t* session, void* special) {
    record("SpellInit special=%s", special != nullptr ? "given" : "null");
    *session = 1;
    return fake->init_code;
}
inline uint16_t SpellOptions(uint32_t session, uint32_t options) {
    record("SpellOptions %u %u", session, options);
    return fake->options_code;
}
inline uint16_t SpellCheck(uint32_t session, uint32_t command, SpellInputBuffer* in,
                           SpellReturnBuffer* out) {
    record("SpellCheck %u %u", session, command);
    if (command == CommandVerifyBuffer) {
        fake->checked_texts.emplace_back(in->text, in->textLength);
    }
    return fake->check ? fake->check(command, in, out) : 0;
}
inline uint16_t SpellTerminate(uint32_t session, uint32_t force) {
    record("SpellTerminate %u %u", session, force);
    return 0;
}
inline uint16_t SpellVerifyMdr(const char* path, uint16_t expected, uint16_t* language) {
    record("SpellVerifyMdr %s %u %u", path, expected, *language);
    if (fake->verify_writes_language != 0xFFFF) *language = fake->verify_writes_language;
    return fake->verify_code;
}
inline uint16_t SpellOpenMdr(uint32_t session, const char* path, const char* exception_path,
                             int create, int cache, uint16_t language, void* record_address) {
    record("SpellOpenMdr %u %s %s %d %d %u %s", session, path,
           exception_path != nullptr ? exception_path : "(null)", create, cache, language,
           record_address != nullptr ? "record" : "null");
    return fake->open_mdr_code;
}
inline uint16_t SpellOpenUdr(uint32_t session, const char* path, int create, uint16_t type,
                             uint32_t* id, int* read_only) {
    record("SpellOpenUdr %u %s %d %#x %s %s", session, path, create, type,
           id != nullptr ? "id" : "null", read_only != nullptr ? "flag" : "null");
    if (fake->open_udr_writes_id != 0) *id = fake->open_udr_writes_id;
    return fake->open_udr_code;
}
inline uint16_t SpellAddUdr(uint32_t session, uint32_t id, const char* word) {
    record("SpellAddUdr %u %#x %s", session, id, word);
    return fake->add_code;
}
inline uint16_t SpellAddChangeUdr(uint32_t session, uint32_t id, const char* word,
                                  const char* replacement) {
    record("SpellAddChangeUdr %u %#x %s %s", session, id, word, replacement);
    return fake->add_code;
}
inline uint16_t SpellDelUdr(uint32_t, uint32_t, const char*) { return 0; }
inline uint16_t SpellClearUdr(uint32_t, uint32_t) { return 0; }
inline uint16_t SpellGetSizeUdr(uint32_t, uint32_t, uint16_t*) { return 0; }
inline uint16_t SpellGetListUdr(uint32_t, uint32_t, char*, uint16_t) { return 0; }
inline uint16_t SpellCloseMdr(uint32_t, void*) { return 0; }
inline uint16_t SpellCloseUdr(uint32_t, uint32_t, uint32_t) { return 0; }

inline void* const table[16] = {
    reinterpret_cast<void*>(&SpellVer),        reinterpret_cast<void*>(&SpellInit),
    reinterpret_cast<void*>(&SpellOptions),    reinterpret_cast<void*>(&SpellCheck),
    reinterpret_cast<void*>(&SpellTerminate),  reinterpret_cast<void*>(&SpellVerifyMdr),
    reinterpret_cast<void*>(&SpellOpenMdr),    reinterpret_cast<void*>(&SpellOpenUdr),
    reinterpret_cast<void*>(&SpellAddUdr),     reinterpret_cast<void*>(&SpellAddChangeUdr),
    reinterpret_cast<void*>(&SpellDelUdr),     reinterpret_cast<void*>(&SpellClearUdr),
    reinterpret_cast<void*>(&SpellGetSizeUdr), reinterpret_cast<void*>(&SpellGetListUdr),
    reinterpret_cast<void*>(&SpellCloseMdr),   reinterpret_cast<void*>(&SpellCloseUdr)};
}  // namespace fake_functions

inline int fake_library_marker = 0;

inline void* fake_load(const char* path) {
    if (fake->load_fails) return nullptr;
    ++fake->loads;
    fake->loaded_path = path;
    return &fake_library_marker;
}
inline void* fake_find(void* library, int ordinal, const char* name) {
    if (library != &fake_library_marker || ordinal == fake->missing_ordinal) return nullptr;
    // The front asks by ordinal and by the matching name.
    if (std::strcmp(name, front::engine_function_name(ordinal)) != 0) return nullptr;
    return fake_functions::table[ordinal - 1];
}
inline void fake_release(void*) { ++fake->releases; }

inline const front::LibraryOps fake_library_ops = {fake_load, fake_find, fake_release};

// Messages shown by the front, caption included.
inline std::vector<std::string> shown_messages;
inline void capture_message(const char* text, const char* caption, void*) {
    shown_messages.push_back(std::string(caption) + "|" + text);
}

// A front bound to a fresh fake engine, messages captured.
struct FakeEngineFixture {
    FakeEngine engine;
    std::unique_ptr<front::Front> front;

    explicit FakeEngineFixture(const platform::LeadByteSet* lead_bytes = nullptr) {
        fake = &engine;
        shown_messages.clear();
        front::set_message_handler(capture_message, nullptr);
        front = std::make_unique<front::Front>(fake_library_ops, lead_bytes);
    }
    ~FakeEngineFixture() {
        front::set_message_handler(nullptr, nullptr);
        front.reset();
        fake = nullptr;
    }
    bool bind() { return front->init("fake-engine") == 1; }
};

}  // namespace lumo::test
