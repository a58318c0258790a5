#include "update/OpenSslLoader.h"

#include <dlfcn.h>

TLibraryOpener PlatformLibraryOpener() {
    return {
        [](const std::string& Name) -> void* {
            return dlopen(Name.c_str(), RTLD_NOW | RTLD_LOCAL);
        },
        [](void* Library, const char* Symbol) -> void* { return dlsym(Library, Symbol); },
        [](void* Library) { dlclose(Library); },
    };
}

std::vector<TOpenSslNames> PlatformOpenSslNames() {
    return {{"libcrypto.so.3", "libssl.so.3"}, {"libcrypto.so.1.1", "libssl.so.1.1"}};
}

bool PlatformAllowsTls() {
    return true;
}
