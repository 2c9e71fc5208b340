#include "RegFileDocument.h"

#include <algorithm>

namespace platform::registry::file {

namespace {

constexpr char kSeparator = '\\';

char FoldCase(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

}  // namespace

bool SameName(std::string_view left, std::string_view right)
{
    return left.size() == right.size() &&
           std::equal(left.begin(), left.end(), right.begin(),
                      [](char a, char b) { return FoldCase(a) == FoldCase(b); });
}

bool IsBelow(std::string_view parent, std::string_view child)
{
    return child.size() > parent.size() && child[parent.size()] == kSeparator &&
           SameName(child.substr(0, parent.size()), parent);
}

std::string NormalizePath(std::string_view path)
{
    std::string normalized;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find(kSeparator, start);
        if (end == std::string_view::npos) {
            end = path.size();
        }
        if (end > start) {
            if (!normalized.empty()) {
                normalized += kSeparator;
            }
            normalized.append(path.substr(start, end - start));
        }
        start = end + 1;
    }
    return normalized;
}

std::string_view ParentPath(std::string_view path)
{
    const size_t last = path.rfind(kSeparator);
    return last == std::string_view::npos ? std::string_view() : path.substr(0, last);
}

const Value* FindValue(const KeyEntry& key, std::string_view name)
{
    for (const Value& value : key.values) {
        if (SameName(value.name, name)) {
            return &value;
        }
    }
    return nullptr;
}

void StoreValue(KeyEntry& key, std::string_view name, uint32_t type, std::vector<uint8_t> data)
{
    for (Value& value : key.values) {
        if (SameName(value.name, name)) {
            value.type = type;
            value.data = std::move(data);
            return;
        }
    }
    key.values.push_back(Value{std::string(name), type, std::move(data)});
}

bool RemoveValue(KeyEntry& key, std::string_view name)
{
    const auto found = std::find_if(key.values.begin(), key.values.end(),
                                    [name](const Value& value) { return SameName(value.name, name); });
    if (found == key.values.end()) {
        return false;
    }
    key.values.erase(found);
    return true;
}

KeyEntry* Document::Find(std::string_view path)
{
    for (KeyEntry& key : keys_) {
        if (SameName(key.path, path)) {
            return &key;
        }
    }
    return nullptr;
}

const KeyEntry* Document::Find(std::string_view path) const
{
    return const_cast<Document*>(this)->Find(path);
}

bool Document::Exists(std::string_view path) const
{
    return Find(path) != nullptr || HasSubkeys(path);
}

bool Document::HasSubkeys(std::string_view path) const
{
    return std::any_of(keys_.begin(), keys_.end(),
                       [path](const KeyEntry& key) { return IsBelow(path, key.path); });
}

std::string Document::Spelling(std::string_view path) const
{
    for (const KeyEntry& key : keys_) {
        if (SameName(key.path, path) || IsBelow(path, key.path)) {
            // Case folding keeps the length, so the prefix is the key's own spelling.
            return key.path.substr(0, path.size());
        }
    }
    return std::string(path);
}

KeyEntry& Document::List(std::string_view path)
{
    if (KeyEntry* listed = Find(path)) {
        return *listed;
    }
    // Before the key's own subkeys when some are listed, else after its parent's
    // last descendant, else at the end.
    const auto below = std::find_if(keys_.begin(), keys_.end(),
                                    [path](const KeyEntry& key) { return IsBelow(path, key.path); });
    size_t position = below != keys_.end() ? static_cast<size_t>(below - keys_.begin()) : keys_.size();
    const std::string_view parent = ParentPath(path);
    for (size_t i = keys_.size(); below == keys_.end() && i > 0; --i) {
        const std::string& other = keys_[i - 1].path;
        if (SameName(other, parent) || IsBelow(parent, other)) {
            position = i;
            break;
        }
    }
    return *keys_.insert(keys_.begin() + static_cast<std::ptrdiff_t>(position), KeyEntry{std::string(path), {}});
}

KeyEntry& Document::ListLast(std::string_view path)
{
    if (KeyEntry* listed = Find(path)) {
        return *listed;
    }
    return keys_.emplace_back(KeyEntry{std::string(path), {}});
}

bool Document::Remove(std::string_view path)
{
    const auto found = std::find_if(keys_.begin(), keys_.end(),
                                    [path](const KeyEntry& key) { return SameName(key.path, path); });
    if (found == keys_.end()) {
        return false;
    }
    keys_.erase(found);
    return true;
}

void Document::RemoveTree(std::string_view path)
{
    std::erase_if(keys_, [path](const KeyEntry& key) {
        return SameName(key.path, path) || IsBelow(path, key.path);
    });
}

}  // namespace platform::registry::file
