#include <windows.h>

#include <string>

#include "dynload.h"
#include "files.h"

namespace lumo::platform {

namespace {

// Older systems without the update that brought these flags refuse them.
#ifndef LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR
constexpr DWORD LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR = 0x00000100;
#endif
#ifndef LOAD_LIBRARY_SEARCH_SYSTEM32
constexpr DWORD LOAD_LIBRARY_SEARCH_SYSTEM32 = 0x00000800;
#endif

bool is_separator(wchar_t c) { return c == L'\\' || c == L'/'; }

bool is_drive_letter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

// The folder of the module that holds this code, with a final separator.
std::wstring own_folder() {
    HMODULE module = nullptr;
    if (!GetModuleHandleExW(
            GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
            reinterpret_cast<LPCWSTR>(&own_folder), &module)) {
        return L"";
    }
    std::wstring name(32768, L'\0');
    const DWORD length = GetModuleFileNameW(module, &name[0], static_cast<DWORD>(name.size()));
    if (length == 0 || length >= name.size()) return L"";
    name.resize(length);
    const std::size_t last = name.find_last_of(L"\\/");
    return last == std::wstring::npos ? L"" : name.substr(0, last + 1);
}

// The path to load: a full path (drive and separator, or \\server) as it
// is; a name or relative path beside this module, never in the current
// folder; a path rooted on the current drive ("\x", "C:x") is refused.
std::wstring resolved(const std::wstring& path) {
    if (path.size() >= 2 && is_separator(path[0]) && is_separator(path[1])) return path;
    if (path.size() >= 3 && is_drive_letter(path[0]) && path[1] == L':' && is_separator(path[2]))
        return path;
    if (is_separator(path[0]) || (path.size() >= 2 && path[1] == L':')) return L"";
    const std::wstring folder = own_folder();
    return folder.empty() ? L"" : folder + path;
}

}  // namespace

LibraryHandle load_library(const char* path) {
    if (path == nullptr || *path == '\0') return nullptr;
    // Converted whole, so that no trail byte 0x5C of a double-byte
    // character is ever taken for a separator.
    const int length = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, path, -1, nullptr, 0);
    if (length <= 1) return nullptr;
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, path, -1, &wide[0], length);
    wide.resize(static_cast<std::size_t>(length - 1));
    const std::wstring full = resolved(wide);
    if (full.empty()) return nullptr;
    // The engine's own imports: from its folder and System32 only.
    HMODULE module = LoadLibraryExW(
        full.c_str(), nullptr, LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (module == nullptr && GetLastError() == ERROR_INVALID_PARAMETER)
        module = LoadLibraryExW(full.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    return module;
}

void* find_function(LibraryHandle library, int ordinal, const char* name) {
    if (library == nullptr) return nullptr;
    const HMODULE module = static_cast<HMODULE>(library);
    FARPROC function = nullptr;
    // An ordinal is a 16-bit number passed in place of the name's address.
    if (ordinal >= 1 && ordinal <= 0xFFFF) {
        function = GetProcAddress(module, MAKEINTRESOURCEA(ordinal));
    } else if (name != nullptr) {
        function = GetProcAddress(module, name);
    }
    return reinterpret_cast<void*>(function);
}

void free_library(LibraryHandle library) {
    if (library != nullptr) FreeLibrary(static_cast<HMODULE>(library));
}

void library_error_text(char* text, std::size_t size) {
    system_error_text(static_cast<int>(GetLastError()), text, size);
}

}  // namespace lumo::platform
