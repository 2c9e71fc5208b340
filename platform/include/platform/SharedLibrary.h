// Loading a shared library at run time and finding its entries (the control
// panel host loads the applet this way), and naming the file a loaded entry
// came from.
#pragma once

#include <memory>
#include <string>

namespace platform {

class SharedLibrary {
public:
    // Null on failure; `error` then says why. The library stays mapped until
    // the process ends, even after this object goes.
    static std::unique_ptr<SharedLibrary> Open(const std::string& path, std::string& error);
    ~SharedLibrary();
    SharedLibrary(const SharedLibrary&) = delete;
    SharedLibrary& operator=(const SharedLibrary&) = delete;

    // The address of the exported entry `name`, null when it has none.
    void* Symbol(const std::string& name) const;

private:
    explicit SharedLibrary(void* handle) : handle_(handle) {}
    void* handle_;
};

// The file, with links followed, of the loaded library or program that holds
// `address` ("" when it cannot be told).
std::string LoadedFileOf(const void* address);

// The running program's file.
std::string ProgramFile();

}  // namespace platform
