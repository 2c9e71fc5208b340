#include "LinkApi.h"

namespace {

template <typename Entry>
bool Find(const platform::SharedLibrary& library, const char* name, Entry& entry, std::string& error)
{
    entry = reinterpret_cast<Entry>(library.Symbol(name));
    if (entry == nullptr)
        error = std::string("the link library has no entry ") + name;
    return entry != nullptr;
}

}  // namespace

bool LoadLinkApi(const std::string& file, LinkApi& api, std::string& error)
{
    api.library = platform::SharedLibrary::Open(file, error);
    if (!api.library)
        return false;
    const platform::SharedLibrary& library = *api.library;
    return Find(library, "QXZAQStartLink", api.StartLink, error) && Find(library, "QXZAQStopLink", api.StopLink, error) &&
           Find(library, "QXZAQRestart", api.Restart, error) && Find(library, "QXZAQGetEvent", api.GetEvent, error) &&
           Find(library, "QXZAQEnableEventUpdates", api.EnableEventUpdates, error) &&
           Find(library, "QXZAQEnableDChEvents", api.EnableDChEvents, error) &&
           Find(library, "QXZAQDisableDChEvents", api.DisableDChEvents, error) &&
           Find(library, "QXZAQRecordDChannelEvents", api.RecordDChannelEvents, error);
}
