#include "VantoCtl.h"

#include <iostream>
#include <string_view>
#include <vector>

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#endif

int main(int argc, char** argv) {
#if defined(_WIN32)
    // "factory" writes raw records to stdout; text mode would turn every 0x0A into 0x0D 0x0A.
    _setmode(_fileno(stdout), _O_BINARY);
    // "translate" and "table" print UTF-8, which a console shows as such only when told so.
    SetConsoleOutputCP(CP_UTF8);
#endif
    std::vector<std::string_view> Args(argv + 1, argv + argc);
    return vanto::ctl::RunVantoCtl(Args, std::cout, std::cerr);
}
