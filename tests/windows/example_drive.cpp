// Drives the Win32 example host by messages, as a user's clicks would:
//   example_drive check    checks, replaces, ignores, adds and changes
//                          words; leaves a reported word on screen
//   example_drive finish   builds a dictionary through the window, closes it
#include <windows.h>

#include <string>

#include "scratch_files.h"
#include "windows_check.h"

namespace {

enum { IdText = 100, IdCheck, IdReplace, IdIgnore, IdChange, IdAdd, IdBuild, IdSuggestions,
       IdStatus };

HWND host = nullptr;

std::string text_of(int id) {
    char text[512] = "";
    GetDlgItemTextA(host, id, text, sizeof text);
    return text;
}

// Asked in UTF-16: Wine copies only that form of LB_GETTEXT between processes.
std::string first_suggestion() {
    wchar_t word[256] = L"";
    SendDlgItemMessageW(host, IdSuggestions, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(word));
    char narrow[256] = "";
    WideCharToMultiByte(CP_ACP, 0, word, -1, narrow, sizeof narrow, nullptr, nullptr);
    return narrow;
}

void click(int id) { SendMessageA(host, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

void check_text(const char* text) {
    SetDlgItemTextA(host, IdText, text);
    click(IdCheck);
}

void check_steps() {
    wincheck::Deadline deadline("check", 30);
    check_text("The quick brown fox jumpd over the lazzy dog.");
    CHECK_EQ(text_of(IdStatus), std::string("Unknown: jumpd"));
    DWORD start = 0, end = 0;
    SendDlgItemMessageA(host, IdText, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                        reinterpret_cast<LPARAM>(&end));
    CHECK(start == 20 && end == 25);
    // The ranker's order: the engine's own would offer "jump" first.
    CHECK_EQ(first_suggestion(), std::string("jumped"));
    click(IdReplace);
    CHECK_EQ(text_of(IdText), std::string("The quick brown fox jumped over the lazzy dog."));
    CHECK_EQ(text_of(IdStatus), std::string("Unknown: lazzy"));
    click(IdIgnore);
    CHECK_EQ(text_of(IdStatus), std::string("No errors."));

    check_text("the lazzy foxx");
    CHECK_EQ(text_of(IdStatus), std::string("Unknown: foxx"));
    click(IdAdd);
    CHECK_EQ(text_of(IdStatus), std::string("No errors."));

    check_text("the qick fox");
    CHECK_EQ(first_suggestion(), std::string("quick"));
    click(IdChange);
    CHECK_EQ(text_of(IdText), std::string("the quick fox"));
    check_text("qick dog");
    CHECK_EQ(text_of(IdStatus), std::string("Change: qick"));
    CHECK_EQ(first_suggestion(), std::string("quick"));

    // What the screenshot shows: the engine's order would put "Eth" first.
    // The Japanese sentence (Shift-JIS) is passed over.
    check_text("Teh quick brown fox jumped over the lazy dog. "
               "\x93\xfa\x96\x7b\x8c\xea\x82\xcc\x95\xb6\x82\xe0"
               "\x8f\x91\x82\xaf\x82\xdc\x82\xb7\x81\x42");
    CHECK_EQ(text_of(IdStatus), std::string("Unknown: Teh"));
    CHECK_EQ(first_suggestion(), std::string("The"));
}

void finish_steps() {
    wincheck::Deadline deadline("finish", 60);
    const std::string folder = wincheck::program_folder();
    DeleteFileA((folder + "built.dic").c_str());
    CHECK(wincheck::write_file(folder + "source.txt", "zebra\r\napple\r\nzebra\r\n"));
    click(IdBuild);
    CHECK_EQ(text_of(IdStatus), "Built (or cancelled): " + folder + "built.dic");
    CHECK_EQ(wincheck::read_file(folder + "built.dic"), std::string("apple\r\nzebra\r\n"));
    CHECK(IsWindowEnabled(host));

    DWORD process_id = 0;
    GetWindowThreadProcessId(host, &process_id);
    const HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, process_id);
    PostMessageA(host, WM_CLOSE, 0, 0);
    CHECK(process != nullptr && WaitForSingleObject(process, 20000) == WAIT_OBJECT_0);
    DWORD code = 1;
    if (process != nullptr) GetExitCodeProcess(process, &code);
    CHECK_EQ(code, 0ul);
}

}  // namespace

int main(int argc, char** argv) {
    const std::string step = argc > 1 ? argv[1] : "";
    for (int tries = 0; host == nullptr && tries < 200; ++tries) {
        // Found once it is shown, with all its controls made.
        host = FindWindowA("LumoSpellExample", nullptr);
        if (host != nullptr && !IsWindowVisible(host)) host = nullptr;
        if (host == nullptr) Sleep(100);
    }
    if (!CHECK(host != nullptr)) return wincheck::summary("example drive");
    if (step == "check") check_steps();
    if (step == "finish") finish_steps();
    return wincheck::summary(("example drive " + step).c_str());
}
