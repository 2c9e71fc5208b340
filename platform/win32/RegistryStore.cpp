// The system registry itself: each operation is the Win32 call of the same name.
#include "platform/RegistryStore.h"

#include <windows.h>

namespace platform::registry {

namespace {

// The predefined root is sign-extended in a 64-bit HKEY; every other key is
// the handle the system gave.
HKEY ToHandle(Key key)
{
    return key == kLocalMachine ? HKEY_LOCAL_MACHINE : reinterpret_cast<HKEY>(key);
}

Key FromHandle(HKEY handle)
{
    return handle == HKEY_LOCAL_MACHINE ? kLocalMachine : reinterpret_cast<Key>(handle);
}

}  // namespace

uint32_t OpenKey(Key parent, const std::string& subKey, uint32_t access, Key& out)
{
    out = 0;
    HKEY opened = nullptr;
    const LONG result = RegOpenKeyExA(ToHandle(parent), subKey.c_str(), 0, access, &opened);
    if (result == ERROR_SUCCESS) {
        out = FromHandle(opened);
    }
    return static_cast<uint32_t>(result);
}

uint32_t CreateKey(Key parent, const std::string& subKey, uint32_t access, Key& out)
{
    out = 0;
    HKEY created = nullptr;
    const LONG result = RegCreateKeyExA(ToHandle(parent), subKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access,
                                        nullptr, &created, nullptr);
    if (result == ERROR_SUCCESS) {
        out = FromHandle(created);
    }
    return static_cast<uint32_t>(result);
}

uint32_t DeleteKey(Key parent, const std::string& subKey)
{
    return static_cast<uint32_t>(RegDeleteKeyA(ToHandle(parent), subKey.c_str()));
}

uint32_t QueryValue(Key key, const std::string& name, uint32_t* type, void* data, uint32_t* size)
{
    if (data != nullptr && size == nullptr) {
        return kInvalidParameter;
    }
    DWORD foundType = 0;
    DWORD length = size != nullptr ? *size : 0;
    const LONG result = RegQueryValueExA(ToHandle(key), name.c_str(), nullptr, &foundType, static_cast<LPBYTE>(data),
                                         size != nullptr ? &length : nullptr);
    if (type != nullptr && (result == ERROR_SUCCESS || result == ERROR_MORE_DATA)) {
        *type = foundType;
    }
    if (size != nullptr && (result == ERROR_SUCCESS || result == ERROR_MORE_DATA)) {
        *size = length;
    }
    return static_cast<uint32_t>(result);
}

uint32_t SetValue(Key key, const std::string& name, uint32_t type, const void* data, uint32_t size)
{
    return static_cast<uint32_t>(
        RegSetValueExA(ToHandle(key), name.c_str(), 0, type, static_cast<const BYTE*>(data), size));
}

uint32_t DeleteValue(Key key, const std::string& name)
{
    return static_cast<uint32_t>(RegDeleteValueA(ToHandle(key), name.c_str()));
}

uint32_t FlushKey(Key key)
{
    return static_cast<uint32_t>(RegFlushKey(ToHandle(key)));
}

uint32_t CloseKey(Key key)
{
    if (key == 0) {
        return kInvalidHandle;
    }
    return static_cast<uint32_t>(RegCloseKey(ToHandle(key)));
}

std::string StoreLocation()
{
    return "HKEY_LOCAL_MACHINE";
}

}  // namespace platform::registry
