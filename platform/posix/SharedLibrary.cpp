// Shared libraries on the dynamic loader (dlopen, dladdr).
#include "platform/SharedLibrary.h"

#include <dlfcn.h>

#include <filesystem>
#include <system_error>

namespace platform {

std::unique_ptr<SharedLibrary> SharedLibrary::Open(const std::string& path, std::string& error)
{
    // Once loaded, a library stays mapped until the process ends: libraries
    // such as Qt keep process-wide state that does not survive an unload.
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    if (handle == nullptr) {
        const char* reason = dlerror();
        error = reason != nullptr ? reason : "cannot load " + path;
        return nullptr;
    }
    return std::unique_ptr<SharedLibrary>(new SharedLibrary(handle));
}

SharedLibrary::~SharedLibrary()
{
    dlclose(handle_);
}

void* SharedLibrary::Symbol(const std::string& name) const
{
    return dlsym(handle_, name.c_str());
}

std::string LoadedFileOf(const void* address)
{
    Dl_info info{};
    if (dladdr(address, &info) == 0 || info.dli_fname == nullptr) {
        return {};
    }
    std::error_code error;
    const auto real = std::filesystem::canonical(info.dli_fname, error);
    return error ? std::string(info.dli_fname) : real.string();
}

std::string ProgramFile()
{
    std::error_code error;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string() : self.string();
}

}  // namespace platform
