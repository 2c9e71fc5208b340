#include "CardRegistry.h"

#include "AppletTrace.h"
#include "common/Registry.h"
#include "platform/SerialPortList.h"

namespace {

std::string CardValueName(uint32_t number)
{
    return "CARD" + std::to_string(number);
}

// The configuration key, opened with all rights (created first when missing);
// closed when the object goes.
class OpenKey {
public:
    explicit OpenKey(const char* caller) : registry_(AppletTrace())
    {
        if (registry_.openProviderKey(platform::registry::kAccessAll, &key_) == 0) {
            registry_.createProviderKey();
            if (registry_.openProviderKey(platform::registry::kAccessAll, &key_) == 0) {
                key_ = 0;
                AppletTrace().Write(TRACE_ERROR, caller, "CRegistry::openProviderKey failed");
            }
        }
    }
    ~OpenKey()
    {
        if (key_ != 0) {
            registry_.closeKey(key_);
        }
    }
    OpenKey(const OpenKey&) = delete;
    OpenKey& operator=(const OpenKey&) = delete;

    bool IsOpen() const { return key_ != 0; }
    CRegistry& registry() { return registry_; }
    CRegistry::HKEY key() const { return key_; }

    uint32_t PortCount()
    {
        uint32_t count = 0;
        if (registry_.getDwordValue(key_, CRegistry::kPortCountValue, &count) == 0) {
            return 0;
        }
        return count;
    }
    std::string Card(uint32_t number)
    {
        std::string name;
        registry_.getStringValue(key_, CardValueName(number).c_str(), &name);
        return name;
    }

private:
    CRegistry registry_;
    CRegistry::HKEY key_ = 0;
};

}  // namespace

std::vector<std::string> CardRegistry::Cards(const char* caller)
{
    OpenKey key(caller);
    std::vector<std::string> cards;
    if (!key.IsOpen()) {
        return cards;
    }
    const uint32_t count = key.PortCount();
    for (uint32_t number = 1; number <= count && number <= 255; ++number) {
        cards.push_back(key.Card(number));
    }
    return cards;
}

CardRegistry::AddResult CardRegistry::AddCard(const std::string& port)
{
    OpenKey key("CAddZAQ::OnOK");
    if (!key.IsOpen()) {
        return AddResult::Failed;
    }
    const uint32_t count = key.PortCount();
    AppletTrace().Write(TRACE_INFO, "CAddZAQ::OnOK", "numPorts before addition = %u", count);
    for (uint32_t number = 1; number <= count; ++number) {
        const std::string card = key.Card(number);
        if (!card.empty() && platform::SameSerialDevice(card, port)) {
            return AddResult::AlreadyListed;
        }
    }
    if (key.registry().setDwordValue(key.key(), CRegistry::kPortCountValue, count + 1) == 0) {
        return AddResult::Failed;
    }
    AppletTrace().Write(TRACE_INFO, "CAddZAQ::OnOK", "numPorts after addition = %u", count + 1);
    if (key.registry().setStringValue(key.key(), CardValueName(count + 1).c_str(), port.c_str()) == 0) {
        return AddResult::Failed;
    }
    AppletTrace().Write(TRACE_INFO, "CAddZAQ::OnOK", "new port added %s", port.c_str());
    return AddResult::Added;
}

bool CardRegistry::RemoveCard(const std::string& port)
{
    OpenKey key("OnRemove");
    if (!key.IsOpen()) {
        return false;
    }
    const uint32_t count = key.PortCount();
    AppletTrace().Write(TRACE_INFO, "CAddZAQ::OnOK", "numPorts before subtraction = %u", count);
    uint32_t found = 0;
    for (uint32_t number = 1; number <= count && found == 0; ++number) {
        const std::string card = key.Card(number);
        if (!card.empty() && platform::SameSerialDevice(card, port)) {
            found = number;
        }
    }
    if (found == 0) {
        return false;
    }
    CRegistry& registry = key.registry();
    for (uint32_t number = found; number < count; ++number) {
        registry.setStringValue(key.key(), CardValueName(number).c_str(), key.Card(number + 1).c_str());
    }
    const std::string last = CardValueName(count);
    if (platform::registry::DeleteValue(key.key(), last) != platform::registry::kSuccess) {
        AppletTrace().Write(TRACE_INFO, "REMOVE", "FAILURE REMOVING VALUE %s", last.c_str());
    }
    registry.setDwordValue(key.key(), CRegistry::kPortCountValue, count - 1);
    AppletTrace().Write(TRACE_INFO, "OnRemove", "numPorts after subtraction = %u", count - 1);
    return true;
}

TraceSettings CardRegistry::ReadTraceSettings(const char* caller)
{
    OpenKey key(caller);
    TraceSettings settings;
    if (!key.IsOpen()) {
        return settings;
    }
    uint32_t level = 0;
    if (key.registry().getDwordValue(key.key(), CRegistry::kTraceLevelValue, &level) != 0) {
        settings.level = level;
    }
    std::string path;
    if (key.registry().getStringValue(key.key(), CRegistry::kTracePathValue, &path) != 0) {
        settings.path = path;
    }
    return settings;
}

bool CardRegistry::WriteTraceLevel(uint32_t level, const char* caller)
{
    OpenKey key(caller);
    return key.IsOpen() && key.registry().setDwordValue(key.key(), CRegistry::kTraceLevelValue, level) != 0;
}

bool CardRegistry::WriteTracePath(const std::string& folder, const char* caller)
{
    OpenKey key(caller);
    return key.IsOpen() && key.registry().setStringValue(key.key(), CRegistry::kTracePathValue, folder.c_str()) != 0;
}
