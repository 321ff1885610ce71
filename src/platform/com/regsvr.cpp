// koravel-regsvr: registers (or with -u unregisters) an in-process server library by
// calling its own registration entry point.
#include <cstdio>
#include <cstring>
#include <dlfcn.h>
#include <string>

#include "platform/base/install_paths.h"
#include "platform/com/com.h"

int main(int argc, char** argv) {
    bool unregister = false;
    const char* library = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-u") == 0)
            unregister = true;
        else if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::printf("Usage: koravel-regsvr [-u] LIBRARY.so\n"
                        "Registers the component library in %s (-u: unregisters it).\n"
                        "  -u         unregister\n"
                        "  --help     this text\n"
                        "  --version  the version\n"
                        "Environment: KORAVEL_COM_REGISTRY names another registry file\n"
                        "(default: $XDG_CONFIG_HOME/koravel/registry.ini, else\n"
                        "~/.config/koravel/registry.ini).\n",
                        ComRegistryFile().c_str());
            return 0;
        } else if (std::strcmp(argv[i], "--version") == 0) {
            std::fputs(install::VersionText("koravel-regsvr").c_str(), stdout);
            return 0;
        } else
            library = argv[i];
    }
    if (!library) {
        std::fprintf(stderr, "koravel-regsvr: name the library to register (see --help)\n");
        return 2;
    }
    void* handle = ::dlopen(library, RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        std::fprintf(stderr, "koravel-regsvr: cannot load %s: %s\n", library, ::dlerror());
        return 1;
    }
    const char* entry = unregister ? "DllUnregisterServer" : "DllRegisterServer";
    auto fn = reinterpret_cast<DllRegisterServerFn>(::dlsym(handle, entry));
    if (!fn) {
        std::fprintf(stderr, "koravel-regsvr: %s has no %s\n", library, entry);
        return 1;
    }
    const HRESULT hr = fn();
    if (hr == SELFREG_E_CLASS) {
        std::fprintf(stderr,
                     "koravel-regsvr: cannot write the registry %s: make it (and its folder) "
                     "writable, or name another file with KORAVEL_COM_REGISTRY\n",
                     ComRegistryFile().c_str());
        return 1;
    }
    if (FAILED(hr)) {
        std::fprintf(stderr, "koravel-regsvr: %s failed (0x%08X)\n", entry,
                     static_cast<unsigned>(hr));
        return 1;
    }
    std::printf("%s %s in %s\n", library, unregister ? "unregistered" : "registered",
                ComRegistryFile().c_str());
    return 0;
}
