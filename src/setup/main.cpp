#include <iostream>
#include <string>
#include <vector>

#include "platform/base/install_paths.h"
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
    if (options.version) {
        std::cout << install::VersionText("koravel-setup");
        return 0;
    }
    return setup::Run(options, std::cout, std::cerr);
}
