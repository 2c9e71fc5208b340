#include "common/Registry.h"

#include <cstdarg>
#include <new>
#include <vector>

#include "platform/Paths.h"

namespace reg = platform::registry;

namespace {

constexpr const char* kTraceFunction = "REGISTRY";
constexpr const char* kSoftwareKey = "Software";
constexpr uint32_t kDefaultPortCount = 0;
constexpr uint32_t kDefaultTraceLevel = TRACE_INFO;

const char* NameText(const char* name)
{
    return name != nullptr ? name : "";
}

}  // namespace

void CRegistry::traceFailure(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    trace_.WriteV(TRACE_ERROR, kTraceFunction, format, args);
    va_end(args);
}

int CRegistry::openProviderKey(uint32_t access, HKEY* key)
{
    HKEY opened = 0;
    uint32_t code = reg::OpenKey(reg::kLocalMachine, kProviderKey, access, opened);
    if (code == reg::kSuccess && key == nullptr) {
        reg::CloseKey(opened);
        code = reg::kInvalidParameter;
    }
    if (code != reg::kSuccess) {
        traceFailure("RegOpenKeyEx(%s) failed.  %#08x", kProviderKey, code);
        return 0;
    }
    *key = opened;
    return 1;
}

int CRegistry::closeKey(HKEY key)
{
    if (key == 0) {
        return 1;
    }
    const uint32_t flushed = reg::FlushKey(key);
    if (flushed != reg::kSuccess) {
        traceFailure("RegFlushKey() failed.  %#08x", flushed);
    }
    const uint32_t closed = reg::CloseKey(key);
    if (closed != reg::kSuccess) {
        traceFailure("RegCloseKey() failed.  %#08x", closed);
    }
    return flushed == reg::kSuccess && closed == reg::kSuccess;
}

int CRegistry::createProviderKey()
{
    HKEY maker = 0;
    HKEY product = 0;
    bool ok = true;
    uint32_t code = reg::CreateKey(reg::kLocalMachine, kMakerKey, reg::kAccessCreateSubKey, maker);
    if (code != reg::kSuccess) {
        traceFailure("RegCreateKeyEx(%s) failed.  %#08x", kMakerKey, code);
        ok = false;
    } else {
        code = reg::CreateKey(maker, kProductName, reg::kAccessWrite, product);
        if (code != reg::kSuccess) {
            traceFailure("RegCreateKeyEx(%s) failed.  %#08x", kProviderKey, code);
            ok = false;
        }
    }
    // Without the product key these writes fail too, and say so in the trace.
    ok &= setDwordValue(product, kPortCountValue, kDefaultPortCount) == 1;
    ok &= setDwordValue(product, kTraceLevelValue, kDefaultTraceLevel) == 1;
    ok &= setStringValue(product, kTracePathValue, platform::SystemDirectory().c_str()) == 1;
    ok &= closeKey(product) == 1;
    ok &= closeKey(maker) == 1;
    return ok ? 1 : 0;
}

int CRegistry::deleteProviderKey()
{
    HKEY maker = 0;
    uint32_t code = reg::OpenKey(reg::kLocalMachine, kMakerKey, reg::kAccessAll, maker);
    if (code != reg::kSuccess) {
        traceFailure("RegOpenKeyEx(%s) failed.  %#08x", kMakerKey, code);
    } else {
        code = reg::DeleteKey(maker, kProductName);
        if (code != reg::kSuccess) {
            traceFailure("RegDeleteKey(%s) failed.  %#08x", kProviderKey, code);
        }
        closeKey(maker);
    }

    HKEY software = 0;
    code = reg::OpenKey(reg::kLocalMachine, kSoftwareKey, reg::kAccessAll, software);
    if (code != reg::kSuccess) {
        traceFailure("RegOpenKeyEx(%s) failed.  %#08x", kSoftwareKey, code);
    } else {
        // Fails while the maker key holds another product's key.
        code = reg::DeleteKey(software, kMakerName);
        if (code != reg::kSuccess) {
            traceFailure("RegDeleteKey(%s) failed.  %#08x", kMakerKey, code);
        }
        closeKey(software);
    }
    return 1;
}

int CRegistry::getDwordValue(HKEY key, const char* name, uint32_t* value)
{
    uint32_t type = 0;
    uint32_t data = 0;
    uint32_t size = sizeof data;
    const uint32_t code =
        value != nullptr ? reg::QueryValue(key, NameText(name), &type, &data, &size) : reg::kInvalidParameter;
    bool ok = true;
    if (code != reg::kSuccess) {
        traceFailure("RegQueryValueEx(%s) failed.  %#08x", NameText(name), code);
        ok = false;
    }
    if (type != reg::kTypeDword) {
        traceFailure("(%s)dwDataType != REG_DWORD.  %#08x", NameText(name), type);
        ok = false;
    }
    if (ok) {
        *value = data;
    }
    return ok ? 1 : 0;
}

int CRegistry::getStringValue(HKEY key, const char* name, std::string* value)
{
    uint32_t type = 0;
    uint32_t size = 0;
    uint32_t code = value != nullptr ? reg::QueryValue(key, NameText(name), &type, nullptr, &size)
                                     : reg::kInvalidParameter;
    if (code != reg::kSuccess) {
        traceFailure("RegQueryValueEx(%s) failed.  %#08x", NameText(name), code);
        return 0;
    }
    if (type != reg::kTypeString) {
        traceFailure("dwDataType != REG_SZ.  %#08x", type);
        return 0;
    }
    std::vector<char> buffer;
    try {
        buffer.assign(static_cast<size_t>(size) + 1, '\0');
    } catch (const std::bad_alloc&) {
        traceFailure(" NULL == pBuffer ");
        return 0;
    }
    code = reg::QueryValue(key, NameText(name), &type, buffer.data(), &size);
    if (code != reg::kSuccess) {
        traceFailure("RegQueryValueEx(%s) failed.  %#08x", NameText(name), code);
        return 0;
    }
    // Another process may have changed the value between the two queries.
    if (type != reg::kTypeString) {
        traceFailure("dwDataType != REG_SZ.  %#08x", type);
        return 0;
    }
    const std::string text(buffer.data());
    if (!text.empty()) {
        *value = text;
    }
    return 1;
}

int CRegistry::getBinaryValue(HKEY key, const char* name, void* buffer, uint32_t size)
{
    uint32_t type = 0;
    const uint32_t code = buffer != nullptr ? reg::QueryValue(key, NameText(name), &type, buffer, &size)
                                            : reg::kInvalidParameter;
    if (code != reg::kSuccess) {
        traceFailure("RegQueryValueEx(%s) failed.  %#08x", NameText(name), code);
        return 0;
    }
    if (type != reg::kTypeBinary) {
        traceFailure("dwDataType != REG_BINARY.  %#08x", type);
        return 0;
    }
    return 1;
}

int CRegistry::setDwordValue(HKEY key, const char* name, uint32_t value)
{
    return setValue(key, name, reg::kTypeDword, &value, sizeof value);
}

int CRegistry::setStringValue(HKEY key, const char* name, const char* value)
{
    if (value == nullptr) {
        return setValue(key, name, reg::kTypeString, nullptr, 1);
    }
    return setValue(key, name, reg::kTypeString, value, static_cast<uint32_t>(std::char_traits<char>::length(value) + 1));
}

int CRegistry::setBinaryValue(HKEY key, const char* name, const void* data, uint32_t size)
{
    return setValue(key, name, reg::kTypeBinary, data, size);
}

int CRegistry::setValue(HKEY key, const char* name, uint32_t type, const void* data, uint32_t size)
{
    const uint32_t code = reg::SetValue(key, NameText(name), type, data, size);
    if (code != reg::kSuccess) {
        traceFailure("RegSetValueEx(%s) failed.  %#08x", NameText(name), code);
        return 0;
    }
    return 1;
}
