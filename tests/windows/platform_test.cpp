// The platform layer's Windows side on its own: the rules the libraries
// rely on that only the system decides (a rename that never replaces,
// names that differ in case, shared access, the formatter's output, the
// code page's lead bytes, binding by ordinal, mapped files).
#include <windows.h>

#include <cstdarg>
#include <cstring>
#include <string>

#include "dynload.h"
#include "files.h"
#include "lead_bytes.h"
#include "mapped_file.h"
#include "message_box.h"
#include "scratch_files.h"
#include "windows_check.h"

namespace platform = lumo::platform;
using wincheck::Deadline;
using wincheck::exists;
using wincheck::read_file;
using wincheck::ScratchFolder;
using wincheck::write_file;

namespace {

constexpr DWORD StepSeconds = 30;

std::string formatted(size_t size, const char* format, ...) {
    std::string buffer(size, '#');
    va_list values;
    va_start(values, format);
    platform::format_message(&buffer[0], size, format, values);
    va_end(values);
    return buffer.substr(0, std::strlen(buffer.c_str()));
}

void files(const ScratchFolder& scratch) {
    Deadline deadline("files", StepSeconds);
    const std::string a = scratch / "a.txt";
    const std::string b = scratch / "b.txt";
    CHECK(write_file(a, "alpha"));
    CHECK(write_file(b, "beta"));

    uint64_t size = 0;
    CHECK(platform::file_size(a.c_str(), &size));
    CHECK_EQ(size, 5u);
    CHECK(!platform::file_size(scratch.path().c_str(), &size));
    CHECK(!platform::file_size((scratch / "none").c_str(), &size));
    CHECK(platform::path_exists(scratch.path().c_str()));
    CHECK(platform::path_exists(a.c_str()));
    CHECK(!platform::path_exists((scratch / "none").c_str()));

    // Renaming onto an existing name fails and leaves both files alone.
    CHECK(!platform::rename_no_replace(a.c_str(), b.c_str()));
    CHECK_EQ(read_file(a), std::string("alpha"));
    CHECK_EQ(read_file(b), std::string("beta"));
    CHECK(!platform::rename_no_replace(a.c_str(), (scratch / "B.TXT").c_str()));
    CHECK(platform::rename_no_replace(a.c_str(), (scratch / "c.txt").c_str()));
    CHECK(!exists(a));
    CHECK_EQ(read_file(scratch / "c.txt"), std::string("alpha"));
    CHECK(!platform::rename_no_replace((scratch / "none").c_str(), a.c_str()));

    // File names do not tell case apart, and a path has many spellings.
    CHECK(platform::same_file(b.c_str(), (scratch / "B.TXT").c_str()));
    CHECK(platform::same_file(b.c_str(), (scratch / ".\\b.txt").c_str()));
    CHECK(!platform::same_file(b.c_str(), (scratch / "c.txt").c_str()));
    CHECK(!platform::same_file(b.c_str(), (scratch / "none").c_str()));

    CHECK(platform::remove_file((scratch / "c.txt").c_str()));
    CHECK(!exists(scratch / "c.txt"));
    CHECK(!platform::remove_file((scratch / "c.txt").c_str()));
    CHECK(!platform::remove_file(scratch.path().c_str()));
}

void shared_access(const ScratchFolder& scratch) {
    Deadline deadline("shared access", StepSeconds);
    const std::string path = scratch / "shared.dic";
    CHECK(write_file(path, "word\r\n"));
    // Another program holds the file open for reading and writing.
    const HANDLE other =
        CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    CHECK(other != INVALID_HANDLE_VALUE);
    std::FILE* file = platform::open_file(path.c_str(), "rb");
    if (CHECK(file != nullptr)) {
        char line[16] = "";
        CHECK(std::fgets(line, sizeof line, file) != nullptr);
        CHECK_EQ(std::string(line), std::string("word\r\n"));
        // And opens it again while this reader still has it.
        const HANDLE again =
            CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        CHECK(again != INVALID_HANDLE_VALUE);
        if (again != INVALID_HANDLE_VALUE) CloseHandle(again);
        std::fclose(file);
    }
    CloseHandle(other);

    // Written in binary: CR LF stays as given, nothing is added.
    file = platform::open_file((scratch / "out.dic").c_str(), "wb");
    if (CHECK(file != nullptr)) {
        CHECK_EQ(std::fputs("one\r\ntwo\n", file) >= 0, true);
        CHECK(platform::close_written_file(file));
        CHECK_EQ(read_file(scratch / "out.dic"), std::string("one\r\ntwo\n"));
    }
    CHECK(platform::open_file(scratch.path().c_str(), "rb") == nullptr);
    CHECK(platform::open_file((scratch / "none\\x.dic").c_str(), "wb") == nullptr);
}

// The lock file goes with its last holder; holders exclude each other.
void lock_files(const ScratchFolder& scratch) {
    Deadline deadline("lock files", StepSeconds);
    const std::string path = scratch / "~~$LUMOSP$.LCK";
    const platform::LockHandle first = platform::lock_file(path.c_str(), false, 0);
    const platform::LockHandle second = platform::lock_file(path.c_str(), false, 0);
    CHECK(first != platform::NoLock && second != platform::NoLock);
    CHECK(exists(path));
    CHECK(platform::lock_file(path.c_str(), true, 20) == platform::NoLock);
    platform::unlock_file(first);
    CHECK(exists(path));
    platform::unlock_file(second);
    CHECK(!exists(path));
    const platform::LockHandle alone = platform::lock_file(path.c_str(), true, 0);
    CHECK(alone != platform::NoLock);
    CHECK(platform::lock_file(path.c_str(), false, 20) == platform::NoLock);
    platform::unlock_file(alone);
    CHECK(!exists(path));
    // One that may not be deleted is locked as it is, and stays.
    CHECK(write_file(path, ""));
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
    const platform::LockHandle kept = platform::lock_file(path.c_str(), true, 0);
    CHECK(kept == platform::NoLock || exists(path));
    platform::unlock_file(kept);
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(path.c_str());
}

void mapped_files(const ScratchFolder& scratch) {
    Deadline deadline("mapped files", StepSeconds);
    const std::string path = scratch / "mapped.bin";
    CHECK(write_file(path, std::string("map\0me", 6)));
    size_t size = 0;
    auto bytes = platform::map_file_for_reading(path, size);
    if (CHECK(bytes != nullptr) && CHECK_EQ(size, 6u))
        CHECK_EQ(std::string(reinterpret_cast<const char*>(bytes.get()), size),
                 std::string("map\0me", 6));
    bytes.reset();
    CHECK(write_file(scratch / "empty.bin", ""));
    size = 99;
    CHECK(platform::map_file_for_reading(scratch / "empty.bin", size) != nullptr);
    CHECK_EQ(size, 0u);
    CHECK(platform::map_file_for_reading(scratch.path(), size) == nullptr);
    CHECK(platform::map_file_for_reading(scratch / "none", size) == nullptr);
}

void formatter() {
    Deadline deadline("formatter", StepSeconds);
    CHECK_EQ(formatted(4096, "LumoSpell Error %d %x %d", 112, 0x8803, 65535),
             std::string("LumoSpell Error 112 8803 65535"));
    CHECK_EQ(formatted(4096, "LumoSpell Error %d,%d", -1, 328),
             std::string("LumoSpell Error -1,328"));
    CHECK_EQ(formatted(4096, "%x", 0xFFFFFFFFu), std::string("ffffffff"));
    // Cut to a small buffer, and never past the formatter's 1024 characters.
    CHECK_EQ(formatted(8, "LumoSpell Error %d", 112), std::string("LumoSpe"));
    const std::string long_text(3000, 'x');
    const std::string result = formatted(4096, "%s", long_text.c_str());
    CHECK(result.size() <= 1024 && result.size() >= 1023);
    CHECK_EQ(result, long_text.substr(0, result.size()));
}

void lead_bytes() {
    Deadline deadline("lead bytes", StepSeconds);
    const platform::LeadByteSet& system = platform::system_lead_bytes();
    const platform::LeadByteSet shift_jis = platform::shift_jis_lead_bytes();
    int differing = 0;
    int leads = 0;
    for (int b = 0; b < 256; ++b) {
        const unsigned char byte = static_cast<unsigned char>(b);
        if (system.is_lead(byte)) ++leads;
        if (system.is_lead(byte) != (IsDBCSLeadByte(byte) != 0)) ++differing;
        if (GetACP() == 932 && system.is_lead(byte) != shift_jis.is_lead(byte)) ++differing;
    }
    CHECK_EQ(differing, 0);
    CHECK_EQ(leads, GetACP() == 932 ? 60 : 0);
}

void binding(const std::string& folder) {
    Deadline deadline("binding", StepSeconds);
    CHECK(platform::load_library("") == nullptr);
    CHECK(platform::load_library((folder + "no-such.dll").c_str()) == nullptr);
    platform::LibraryHandle engine = platform::load_library((folder + "Orthex.dll").c_str());
    if (!CHECK(engine != nullptr)) return;
    const HMODULE module = static_cast<HMODULE>(engine);
    // The ordinal decides; the name only serves where there is no ordinal.
    CHECK(platform::find_function(engine, 1, "SpellCloseUdr") ==
          reinterpret_cast<void*>(GetProcAddress(module, "SpellVer")));
    CHECK(platform::find_function(engine, 16, nullptr) ==
          reinterpret_cast<void*>(GetProcAddress(module, "SpellCloseUdr")));
    CHECK(platform::find_function(engine, 17, "SpellVer") == nullptr);
    CHECK(platform::find_function(engine, 0, "SpellCheck") ==
          reinterpret_cast<void*>(GetProcAddress(module, "SpellCheck")));
    CHECK(platform::find_function(nullptr, 1, "SpellVer") == nullptr);
    platform::free_library(engine);
    CHECK(GetModuleHandleA("Orthex.dll") == nullptr);
}

}  // namespace

int main() {
    ScratchFolder scratch("lumospell-platform");
    std::printf("code page %u\n", GetACP());
    files(scratch);
    shared_access(scratch);
    lock_files(scratch);
    mapped_files(scratch);
    formatter();
    lead_bytes();
    binding(wincheck::program_folder());
    return wincheck::summary("platform");
}
