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

void CRegistry::deleteKeyBelow(const char* parentPath, const char* name, const char* path)
{
    HKEY parent = 0;
    uint32_t code = reg::OpenKey(reg::kLocalMachine, parentPath, reg::kAccessAll, parent);
    if (code != reg::kSuccess) {
        traceFailure("RegOpenKeyEx(%s) failed.  %#08x", parentPath, code);
        return;
    }
    code = reg::DeleteKey(parent, name);
    if (code != reg::kSuccess) {
        traceFailure("RegDeleteKey(%s) failed.  %#08x", path, code);
    }
    closeKey(parent);
}

int CRegistry::deleteProviderKey()
{
    deleteKeyBelow(kMakerKey, kProductName, kProviderKey);
    // Fails while the maker key holds another product's key.
    deleteKeyBelow(kSoftwareKey, kMakerName, kMakerKey);
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
        failQuery(name, code);
        ok = false;
    }
    // Checked even after a failed query, whose type is then 0.
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
    uint32_t size = 0;
    if (value == nullptr) {
        return failQuery(name, reg::kInvalidParameter);
    }
    if (!queryTyped(key, name, reg::kTypeString, "REG_SZ", nullptr, &size)) {
        return 0;
    }
    std::vector<char> buffer;
    try {
        buffer.assign(static_cast<size_t>(size) + 1, '\0');
    } catch (const std::bad_alloc&) {
        traceFailure(" NULL == pBuffer ");
        return 0;
    }
    // Queried again with the type check: another process may change the value in between.
    if (!queryTyped(key, name, reg::kTypeString, "REG_SZ", buffer.data(), &size)) {
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
    if (buffer == nullptr) {
        return failQuery(name, reg::kInvalidParameter);
    }
    return queryTyped(key, name, reg::kTypeBinary, "REG_BINARY", buffer, &size);
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

bool CRegistry::failQuery(const char* name, uint32_t code)
{
    traceFailure("RegQueryValueEx(%s) failed.  %#08x", NameText(name), code);
    return false;
}

int CRegistry::queryTyped(HKEY key, const char* name, uint32_t expectedType, const char* typeName, void* data,
                          uint32_t* size)
{
    uint32_t type = 0;
    const uint32_t code = reg::QueryValue(key, NameText(name), &type, data, size);
    if (code != reg::kSuccess) {
        return failQuery(name, code);
    }
    if (type != expectedType) {
        traceFailure("dwDataType != %s.  %#08x", typeName, type);
        return 0;
    }
    return 1;
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
