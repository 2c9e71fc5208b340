// Fuzz entry: the input is the registry file. It is read as text (UTF-8 or
// UTF-16 with its byte-order mark, regedit's escapes, continued hex lines),
// written back and read again: the second reading must give the same file,
// or a value the library itself wrote would change or vanish on the next
// start. Then the library's registry class reads its settings from the
// file as a start of the link does.
#include <cstdint>
#include <fstream>
#include <string>
#include <string_view>

#include "FuzzRequire.h"
#include "common/Registry.h"
#include "platform/ProcessEnvironment.h"
#include "posix/RegFileText.h"
#include "support/TempDir.h"

namespace {

void ReadSettings(const std::string& path, const uint8_t* data, size_t size)
{
    {
        std::ofstream file(path, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    TraceWriter quiet;
    CRegistry registry(quiet);
    CRegistry::HKEY key = 0;
    if (registry.openProviderKey(platform::registry::kAccessRead, &key) != 1) {
        return;
    }
    uint32_t number = 0;
    std::string text;
    uint8_t bytes[64];
    registry.getDwordValue(key, CRegistry::kPortCountValue, &number);
    registry.getDwordValue(key, CRegistry::kTraceLevelValue, &number);
    registry.getStringValue(key, CRegistry::kTracePathValue, &text);
    registry.getStringValue(key, "CARD1", &text);
    registry.getBinaryValue(key, "CARD1", bytes, sizeof bytes);
    registry.closeKey(key);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    namespace file = platform::registry::file;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::string written = file::FormatRegText(file::ParseRegText(text));
    fuzz::Require(file::FormatRegText(file::ParseRegText(written)) == written);

    static TempDir directory;
    static const std::string path = directory.File("qxzaq16.reg");
    static const bool pointed = platform::SetEnvironmentVariable("QXZAQ_REGISTRY", path);
    fuzz::Require(pointed);
    ReadSettings(path, data, size);
    return 0;
}
