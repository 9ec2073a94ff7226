#include "VantoCtl.h"

#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <shellapi.h>

namespace {

// argv holds the arguments in the ANSI code page, where a file name in another script arrives
// as "?"; the wide command line holds them whole, and the commands read UTF-8.
std::vector<std::string> Utf8Arguments() {
    int Count = 0;
    LPWSTR* Wide = CommandLineToArgvW(GetCommandLineW(), &Count);
    std::vector<std::string> Args;
    for (int I = 1; Wide != nullptr && I < Count; ++I) {
        const int Length = static_cast<int>(wcslen(Wide[I]));
        std::string Arg(
            WideCharToMultiByte(CP_UTF8, 0, Wide[I], Length, nullptr, 0, nullptr, nullptr), '\0');
        WideCharToMultiByte(CP_UTF8, 0, Wide[I], Length, Arg.data(), static_cast<int>(Arg.size()),
                            nullptr, nullptr);
        Args.push_back(std::move(Arg));
    }
    LocalFree(Wide);
    return Args;
}

} // namespace
#endif

int main([[maybe_unused]] int argc, [[maybe_unused]] char** argv) {
#if defined(_WIN32)
    // "factory" writes raw records to stdout; text mode would turn every 0x0A into 0x0D 0x0A.
    _setmode(_fileno(stdout), _O_BINARY);
    // "translate" and "table" print UTF-8, which a console shows as such only when told so.
    SetConsoleOutputCP(CP_UTF8);
    const std::vector<std::string> Owned = Utf8Arguments();
#else
    const std::vector<std::string> Owned(argv + 1, argv + argc);
#endif
    const std::vector<std::string_view> Args(Owned.begin(), Owned.end());
    return vanto::ctl::RunVantoCtl(Args, std::cout, std::cerr);
}
