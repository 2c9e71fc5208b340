#include "core/LibraryLifetime.h"

#include <filesystem>
#include <string>

#include "common/Registry.h"
#include "core/EventDelivery.h"
#include "base/EventSink.h"
#include "core/LinkState.h"
#include "core/Playback.h"
#include "base/SystemEventLog.h"
#include "base/Trace.h"
#include "platform/Clock.h"
#include "platform/Paths.h"

namespace {

constexpr char kAttachText[] = "PROCESS ATTACH";
constexpr char kDetachText[] = "PROCESS DETACH";

void ReadTraceSettings()
{
    TraceWriter& trace = LibraryTrace();
    trace.SetLevel(TraceWriter::kDefaultLevel);
    trace.SetPath("");
    CRegistry registry(trace);
    CRegistry::HKEY key = 0;
    if (!registry.openProviderKey(platform::registry::kAccessAll, &key)) {
        Trace(TRACE_FATAL, "QXZAQStartLink()", "CRegistry::openProviderKey failed");
        return;
    }
    uint32_t level = TraceWriter::kDefaultLevel;
    if (registry.getDwordValue(key, CRegistry::kTraceLevelValue, &level)) {
        trace.SetLevel(static_cast<int32_t>(level));
    }
    std::string directory;
    registry.getStringValue(key, CRegistry::kTracePathValue, &directory);
    // Without a trace directory the log and its rotation use the current
    // directory at load (the root directory is not writable here).
    if (directory.empty()) {
        std::error_code failed;
        directory = std::filesystem::current_path(failed).string();
    }
    TraceWriter::RotateLog(directory, "qxzaqlnk");
    trace.SetPath(platform::PathInDirectory(directory, "qxzaqlnk.log"));
    registry.closeKey(key);
}

}  // namespace

void LibraryAttach()
{
    // Everything a reader thread reaches is built here, inside the attach:
    // objects built during it are destroyed after the detach, which stops the
    // threads an application left running.
    LinkState& link = Link();
    LibraryEventSink();
    platform::SystemClock();
    StopPorts(TakeAllBoards());
    DestroyEventQueue();
    ReadTraceSettings();
    link.eventCallback = nullptr;
    link.linkStarted = false;
    ReportInfo("QXZAQLNK", sizeof kAttachText, kAttachText);
}

void LibraryDetach()
{
    LinkState& link = Link();
    StopPorts(TakeAllBoards());
    StopPlayback();
    DestroyEventQueue();
    link.eventCallback = nullptr;
    link.linkStarted = false;
    ReportInfo("QXZAQLNK", sizeof kDetachText, kDetachText);
}

void LibraryProcessExit()
{
    ReportInfo("QXZAQLNK", sizeof kDetachText, kDetachText);
}
