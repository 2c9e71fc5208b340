// The registry file's contents in memory: keys in file order, each with its
// values. Paths are full ("HKEY_LOCAL_MACHINE\Software\Tessaline"); names
// compare without regard to case, as on Windows. A key that is not listed
// itself but has a listed key below it exists (as when regedit imports a file).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace platform::registry::file {

struct Value {
    std::string name;                 // "" is the key's default value
    uint32_t type = 0;
    std::vector<uint8_t> data;
};

struct KeyEntry {
    std::string path;
    std::vector<Value> values;
};

bool SameName(std::string_view left, std::string_view right);
// True when `child` lies somewhere below `parent`.
bool IsBelow(std::string_view parent, std::string_view child);
// The path without empty components ("A\\B\" -> "A\B").
std::string NormalizePath(std::string_view path);
// The path of the key above `path` ("" for a root).
std::string_view ParentPath(std::string_view path);

const Value* FindValue(const KeyEntry& key, std::string_view name);
// Replaces the value of that name (keeping the stored spelling) or adds it.
void StoreValue(KeyEntry& key, std::string_view name, uint32_t type, std::vector<uint8_t> data);
bool RemoveValue(KeyEntry& key, std::string_view name);

class Document {
public:
    const std::vector<KeyEntry>& Keys() const { return keys_; }

    KeyEntry* Find(std::string_view path);
    const KeyEntry* Find(std::string_view path) const;
    bool Exists(std::string_view path) const;
    bool HasSubkeys(std::string_view path) const;
    // The path as the document spells it (listed or implied); `path` itself when absent.
    std::string Spelling(std::string_view path) const;

    // Lists the key (when not listed yet) after its parent's last descendant, so
    // the file keeps its tree order; returns the entry.
    KeyEntry& List(std::string_view path);
    // Lists the key (when not listed yet) at the end: a file read keeps its own
    // order, so reading what was written gives the same document.
    KeyEntry& ListLast(std::string_view path);
    // Removes a listed key (its subkeys stay); false when it was not listed.
    bool Remove(std::string_view path);
    // Removes the key and every key below it.
    void RemoveTree(std::string_view path);

private:
    std::vector<KeyEntry> keys_;
};

}  // namespace platform::registry::file
