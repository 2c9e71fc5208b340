#include "platform/RegistryStore.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "RegFileDocument.h"
#include "RegFileStorage.h"

namespace platform::registry {

namespace {

using file::Document;
using file::KeyEntry;

constexpr const char* kRootName = "HKEY_LOCAL_MACHINE";
constexpr const char* kDefaultLocation = "/etc/qxzaq16/qxzaq16.reg";
constexpr uint32_t kRightQueryValue = 0x0001;
constexpr uint32_t kRightSetValue = 0x0002;
constexpr size_t kMaxKeyNameLength = 255;

struct OpenedKey {
    std::string path;
    uint32_t access = 0;
};

// The open key handles of the process; a handle names a key path.
class HandleTable {
public:
    Key Add(OpenedKey key)
    {
        std::lock_guard<std::mutex> guard(mutex_);
        do {
            next_ += 4;
        } while (next_ == 0 || keys_.count(next_) != 0 || next_ == kLocalMachine);
        keys_.emplace(next_, std::move(key));
        return next_;
    }

    bool Find(Key handle, OpenedKey& out) const
    {
        std::lock_guard<std::mutex> guard(mutex_);
        const auto found = keys_.find(handle);
        if (found == keys_.end()) {
            return false;
        }
        out = found->second;
        return true;
    }

    bool Remove(Key handle)
    {
        std::lock_guard<std::mutex> guard(mutex_);
        return keys_.erase(handle) != 0;
    }

private:
    mutable std::mutex mutex_;
    std::unordered_map<Key, OpenedKey> keys_;
    Key next_ = 0x100;
};

HandleTable& Handles()
{
    static HandleTable table;
    return table;
}

uint32_t Resolve(Key handle, OpenedKey& out)
{
    if (handle == kLocalMachine) {
        out = {kRootName, kAccessAll};
        return kSuccess;
    }
    return Handles().Find(handle, out) ? kSuccess : kInvalidHandle;
}

bool IsRoot(std::string_view path)
{
    return file::SameName(path, kRootName);
}

bool KeyPresent(const Document& document, std::string_view path)
{
    return IsRoot(path) || document.Exists(path);
}

// Names go into the file between quotes or brackets: no line breaks, no zeros.
bool WritableName(std::string_view name)
{
    return name.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

// The path below `base` named by `subKey` ("A\B", a trailing "\" allowed); empty on a bad name.
std::string ChildPath(const std::string& base, const std::string& subKey)
{
    std::string_view rest = subKey;
    if (rest.ends_with('\\')) {
        rest.remove_suffix(1);
    }
    if (rest.empty()) {
        return base;
    }
    std::string path = base;
    size_t start = 0;
    while (start <= rest.size()) {
        size_t end = rest.find('\\', start);
        if (end == std::string_view::npos) {
            end = rest.size();
        }
        const std::string_view component = rest.substr(start, end - start);
        if (component.empty() || component.size() > kMaxKeyNameLength || !WritableName(component)) {
            return {};
        }
        path += '\\';
        path += component;
        start = end + 1;
    }
    return path;
}

// The key a handle names, re-checked in the current file.
uint32_t ResolvePresent(Key handle, const Document& document, OpenedKey& out)
{
    const uint32_t code = Resolve(handle, out);
    if (code != kSuccess) {
        return code;
    }
    return KeyPresent(document, out.path) ? kSuccess : kKeyDeleted;
}

// The key of `parent` and the path of its subkey `subKey`.
uint32_t ResolveChild(Key parent, const std::string& subKey, OpenedKey& base, std::string& path)
{
    const uint32_t code = Resolve(parent, base);
    if (code != kSuccess) {
        return code;
    }
    path = ChildPath(base.path, subKey);
    return path.empty() ? kInvalidParameter : kSuccess;
}

// Runs `change` under the writers' lock once the handle's key is found in the file.
uint32_t UpdateAtKey(Key handle, OpenedKey& opened, const file::DocumentChange& change)
{
    return file::UpdateDocument(StoreLocation(), [&](Document& document, bool& changed) {
        const uint32_t present = ResolvePresent(handle, document, opened);
        return present != kSuccess ? present : change(document, changed);
    });
}

uint32_t CheckRight(const OpenedKey& key, uint32_t right)
{
    return (key.access & right) == right ? kSuccess : kAccessDenied;
}

// Runs a change of one key's values under the writers' lock.
uint32_t ChangeValues(Key key, const std::string& name, const std::function<uint32_t(KeyEntry&)>& change)
{
    OpenedKey opened;
    uint32_t code = Resolve(key, opened);
    if (code == kSuccess) {
        code = CheckRight(opened, kRightSetValue);
    }
    if (code == kSuccess && !WritableName(name)) {
        code = kInvalidParameter;
    }
    if (code == kSuccess && IsRoot(opened.path)) {
        code = kAccessDenied;   // the predefined root holds no values
    }
    if (code != kSuccess) {
        return code;
    }
    return UpdateAtKey(key, opened, [&](Document& document, bool& changed) {
        const uint32_t result = change(document.List(opened.path));
        changed = result == kSuccess;
        return result;
    });
}

}  // namespace

std::string StoreLocation()
{
    const char* configured = std::getenv("QXZAQ_REGISTRY");
    return (configured != nullptr && *configured != '\0') ? configured : kDefaultLocation;
}

uint32_t OpenKey(Key parent, const std::string& subKey, uint32_t access, Key& out)
{
    out = 0;
    OpenedKey base;
    std::string path;
    uint32_t code = ResolveChild(parent, subKey, base, path);
    Document document;
    if (code == kSuccess) {
        code = file::LoadDocument(StoreLocation(), document);
    }
    if (code == kSuccess) {
        code = ResolvePresent(parent, document, base);
    }
    if (code == kSuccess && !KeyPresent(document, path)) {
        code = kNotFound;
    }
    if (code == kSuccess) {
        out = Handles().Add({document.Spelling(path), access});
    }
    return code;
}

uint32_t CreateKey(Key parent, const std::string& subKey, uint32_t access, Key& out)
{
    out = 0;
    OpenedKey base;
    std::string path;
    uint32_t code = ResolveChild(parent, subKey, base, path);
    std::string spelled;
    if (code == kSuccess) {
        code = UpdateAtKey(parent, base, [&](Document& document, bool& changed) {
            spelled = document.Spelling(path);
            if (KeyPresent(document, path)) {
                return kSuccess;
            }
            if (CheckRight(base, kAccessCreateSubKey) != kSuccess) {
                return kAccessDenied;
            }
            // List each missing key from the base down, in the spelling already in the file.
            std::string current = base.path;
            for (size_t at = base.path.size(); at < path.size();) {
                const size_t next = std::min(path.find('\\', at + 1), path.size());
                current = document.Spelling(current + path.substr(at, next - at));
                if (!IsRoot(current)) {
                    document.List(current);
                }
                at = next;
            }
            spelled = current;
            changed = true;
            return kSuccess;
        });
    }
    if (code == kSuccess) {
        out = Handles().Add({spelled, access});
    }
    return code;
}

uint32_t DeleteKey(Key parent, const std::string& subKey)
{
    OpenedKey base;
    std::string path;
    uint32_t code = ResolveChild(parent, subKey, base, path);
    if (code == kSuccess && path == base.path) {
        code = kInvalidParameter;
    }
    if (code != kSuccess) {
        return code;
    }
    return UpdateAtKey(parent, base, [&](Document& document, bool& changed) {
        if (!document.Exists(path)) {
            return kNotFound;
        }
        if (document.HasSubkeys(path)) {
            return kAccessDenied;
        }
        changed = document.Remove(path);
        return kSuccess;
    });
}

uint32_t QueryValue(Key key, const std::string& name, uint32_t* type, void* data, uint32_t* size)
{
    if (data != nullptr && size == nullptr) {
        return kInvalidParameter;
    }
    OpenedKey opened;
    uint32_t code = Resolve(key, opened);
    if (code == kSuccess) {
        code = CheckRight(opened, kRightQueryValue);
    }
    Document document;
    if (code == kSuccess) {
        code = file::LoadDocument(StoreLocation(), document);
    }
    if (code == kSuccess) {
        code = ResolvePresent(key, document, opened);
    }
    if (code != kSuccess) {
        return code;
    }
    const KeyEntry* entry = document.Find(opened.path);
    const file::Value* value = entry != nullptr ? file::FindValue(*entry, name) : nullptr;
    if (value == nullptr) {
        return kNotFound;
    }
    const auto needed = static_cast<uint32_t>(value->data.size());
    if (type != nullptr) {
        *type = value->type;
    }
    if (data != nullptr) {
        if (*size < needed) {
            *size = needed;
            return kMoreData;
        }
        std::memcpy(data, value->data.data(), needed);
    }
    if (size != nullptr) {
        *size = needed;
    }
    return kSuccess;
}

uint32_t SetValue(Key key, const std::string& name, uint32_t type, const void* data, uint32_t size)
{
    if (data == nullptr && size != 0) {
        return kInvalidParameter;
    }
    const auto* bytes = static_cast<const uint8_t*>(data);
    std::vector<uint8_t> copy(bytes, bytes + (data != nullptr ? size : 0));
    return ChangeValues(key, name, [&](KeyEntry& entry) {
        file::StoreValue(entry, name, type, std::move(copy));
        return kSuccess;
    });
}

uint32_t DeleteValue(Key key, const std::string& name)
{
    return ChangeValues(key, name, [&](KeyEntry& entry) {
        return file::RemoveValue(entry, name) ? kSuccess : kNotFound;
    });
}

uint32_t FlushKey(Key key)
{
    // Every change is already on disk: the file is synced before it replaces the old one.
    OpenedKey opened;
    return Resolve(key, opened);
}

uint32_t CloseKey(Key key)
{
    if (key == kLocalMachine) {
        return kSuccess;
    }
    return Handles().Remove(key) ? kSuccess : kInvalidHandle;
}

}  // namespace platform::registry
