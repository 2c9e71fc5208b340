#include "ControlPanelHost.h"

#include <cstring>

#include "CplRecords.h"
#include "platform/SharedLibrary.h"

namespace {

// The applet's name and information text, from the new-style record or else
// the old-style one.
std::string Describe(cpl::AppletEntry entry, intptr_t index)
{
    cpl::NEWCPLINFO record{};
    entry(nullptr, cpl::kNewInquire, index, reinterpret_cast<intptr_t>(&record));
    if (record.dwSize == sizeof record) {
        record.szName[sizeof record.szName - 1] = '\0';
        record.szInfo[sizeof record.szInfo - 1] = '\0';
        return std::string(record.szName) + " - " + record.szInfo;
    }
    cpl::CPLINFO old{};
    entry(nullptr, cpl::kInquire, index, reinterpret_cast<intptr_t>(&old));
    return "applet " + std::to_string(index) + " (name string " + std::to_string(old.idName) + ", information string " +
           std::to_string(old.idInfo) + ")";
}

}  // namespace

int RunControlPanel(const HostOptions& options, std::ostream& out, std::ostream& errors)
{
    std::string error;
    auto library = platform::SharedLibrary::Open(options.appletPath, error);
    if (!library) {
        errors << "zaq16cntrl: " << error << "\n";
        return 1;
    }
    auto entry = reinterpret_cast<cpl::AppletEntry>(library->Symbol(cpl::kEntryName));
    if (entry == nullptr) {
        errors << "zaq16cntrl: " << options.appletPath << " has no " << cpl::kEntryName << "\n";
        return 1;
    }
    if (entry(nullptr, cpl::kInitialise, 0, 0) == 0) {
        errors << "zaq16cntrl: the applet refused to start\n";
        return 1;
    }
    const int32_t count = entry(nullptr, cpl::kGetCount, 0, 0);
    for (int32_t index = 0; index < count; ++index) {
        out << Describe(entry, index) << "\n";
    }
    if (count > 0 && !options.listOnly) {
        entry(nullptr, cpl::kDoubleClick, 0, 0);
        entry(nullptr, cpl::kStop, 0, 0);
    }
    entry(nullptr, cpl::kExit, 0, 0);
    return 0;
}
