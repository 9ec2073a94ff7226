#include "VantoCtl.h"

#include <iostream>
#include <string_view>
#include <vector>

int main(int argc, char** argv) {
    std::vector<std::string_view> Args(argv + 1, argv + argc);
    return vanto::ctl::RunVantoCtl(Args, std::cout, std::cerr);
}
