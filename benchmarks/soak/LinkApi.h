// The link library's entries the soak uses, taken from the shared library
// loaded at run time: the library reads its trace settings when it is loaded,
// so it is loaded only once the soak's registry file is in place.
#pragma once

#include <memory>
#include <string>

#include "platform/SharedLibrary.h"
#include "qxzaqlnk.h"

struct LinkApi {
    decltype(&QXZAQStartLink) StartLink = nullptr;
    decltype(&QXZAQStopLink) StopLink = nullptr;
    decltype(&QXZAQRestart) Restart = nullptr;
    decltype(&QXZAQGetEvent) GetEvent = nullptr;
    decltype(&QXZAQEnableEventUpdates) EnableEventUpdates = nullptr;
    decltype(&QXZAQEnableDChEvents) EnableDChEvents = nullptr;
    decltype(&QXZAQDisableDChEvents) DisableDChEvents = nullptr;
    decltype(&QXZAQRecordDChannelEvents) RecordDChannelEvents = nullptr;

    std::unique_ptr<platform::SharedLibrary> library;
};

// False with `error` set when the file cannot be loaded or lacks an entry.
bool LoadLinkApi(const std::string& file, LinkApi& api, std::string& error);
