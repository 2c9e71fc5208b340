// Serial devices from /dev, sysfs and the COM directory.
#include "platform/SerialPortList.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "platform/SerialDevice.h"

namespace platform {

namespace {

namespace fs = std::filesystem;

// "ttyUSB12" with prefix "ttyUSB" -> 12; -1 when the rest is not a number.
long NumberAfter(const std::string& name, const std::string& prefix)
{
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) {
        return -1;
    }
    const std::string digits = name.substr(prefix.size());
    if (!std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }) ||
        digits.size() > 6) {
        return -1;
    }
    return std::strtol(digits.c_str(), nullptr, 10);
}

// Entries of `directory` named prefix + number, sorted by number, as
// `prefixText` + name.
std::vector<std::string> NumberedEntries(const fs::path& directory, const std::string& prefix,
                                         const std::string& prefixText)
{
    std::vector<std::pair<long, std::string>> found;
    std::error_code error;
    for (fs::directory_iterator it(directory, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        const long number = NumberAfter(name, prefix);
        if (number >= 0) {
            found.emplace_back(number, prefixText + name);
        }
    }
    std::sort(found.begin(), found.end());
    std::vector<std::string> names;
    for (auto& entry : found) {
        names.push_back(std::move(entry.second));
    }
    return names;
}

// Every /dev/ttyS node exists whether or not a UART answers there; the
// kernel's port type (0 = none) tells the real ones.
bool HasUart(const std::string& ttyName)
{
    std::ifstream type("/sys/class/tty/" + ttyName + "/type");
    int value = 0;
    return static_cast<bool>(type >> value) && value != 0;
}

}  // namespace

std::vector<std::string> ListSerialPortCandidates()
{
    std::vector<std::string> names;
    const char* comDirectory = std::getenv("QXZAQ_COMDIR");
    if (comDirectory != nullptr && *comDirectory != '\0') {
        names = NumberedEntries(comDirectory, "COM", "");
    }
    for (const std::string& path : NumberedEntries("/dev", "ttyS", "/dev/")) {
        if (HasUart(path.substr(5))) {
            names.push_back(path);
        }
    }
    for (const char* prefix : {"ttyUSB", "ttyACM"}) {
        const auto more = NumberedEntries("/dev", prefix, "/dev/");
        names.insert(names.end(), more.begin(), more.end());
    }
    return names;
}

bool SameSerialDevice(const std::string& a, const std::string& b)
{
    const std::string pathA = ResolveSerialPath(a);
    const std::string pathB = ResolveSerialPath(b);
    if (pathA == pathB) {
        return true;
    }
    std::error_code errorA;
    std::error_code errorB;
    const fs::path realA = fs::canonical(pathA, errorA);
    const fs::path realB = fs::canonical(pathB, errorB);
    return !errorA && !errorB && realA == realB;
}

}  // namespace platform
