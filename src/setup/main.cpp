#include <iostream>
#include <string>
#include <vector>

#include "setup/setup.h"

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    setup::Options options;
    std::string error;
    if (!setup::ParseArguments(args, options, error)) {
        std::cerr << "koravel-setup: " << error << "\n" << setup::Usage();
        return 2;
    }
    if (options.help) {
        std::cout << setup::Usage();
        return 0;
    }
    return setup::Run(options, std::cout, std::cerr);
}
