// What loading the four DLLs costs a host that never calls them: the
// process's committed memory (every committed region, images included)
// before and after each LoadLibrary.  Fails when the four together commit
// more than a few megabytes, as a library with large static tables would
// (the engine's word table is one of 3.6 MB).
#include <windows.h>

#include <cstdio>
#include <string>

#include "scratch_files.h"
#include "windows_check.h"

namespace {

size_t committed_bytes() {
    size_t total = 0;
    MEMORY_BASIC_INFORMATION region;
    for (const char* at = nullptr;
         VirtualQuery(at, &region, sizeof region) == sizeof region;
         at = static_cast<const char*>(region.BaseAddress) + region.RegionSize) {
        if (region.State == MEM_COMMIT) total += region.RegionSize;
    }
    return total;
}

double megabytes(size_t bytes) { return static_cast<double>(bytes) / (1024.0 * 1024.0); }

}  // namespace

int main() {
    const std::string folder = wincheck::program_folder();
    // What any window host has loaded already, and the front and the
    // builder import.
    CHECK(LoadLibraryA("user32.dll") != nullptr);
    const size_t start = committed_bytes();
    size_t before = start;
    for (const char* name : {"Orthex.dll", "Orthbridge.dll", "Lexforge.dll", "LumoRank.dll"}) {
        if (!CHECK(LoadLibraryA((folder + name).c_str()) != nullptr)) continue;
        const size_t after = committed_bytes();
        std::printf("%-15s +%.2f MB committed\n", name, megabytes(after - before));
        before = after;
    }
    std::printf("all four        +%.2f MB committed\n", megabytes(before - start));
    CHECK(before - start < size_t{8} << 20);
    return wincheck::summary("load memory");
}
