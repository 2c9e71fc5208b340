#include "RegFileText.h"

#include <optional>

#include "platform/RegistryStore.h"

namespace platform::registry::file {

namespace {

constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00";
constexpr std::string_view kOldHeader = "REGEDIT4";
constexpr std::string_view kLineEnd = "\r\n";

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view TrimBlanks(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && SameName(text.substr(0, prefix.size()), prefix);
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// 1 to `maxDigits` hex digits and nothing else.
std::optional<uint32_t> ParseHexNumber(std::string_view text, size_t maxDigits)
{
    if (text.empty() || text.size() > maxDigits) {
        return std::nullopt;
    }
    uint32_t number = 0;
    for (char c : text) {
        const int digit = HexDigit(c);
        if (digit < 0) {
            return std::nullopt;
        }
        number = number * 16 + static_cast<uint32_t>(digit);
    }
    return number;
}

void AppendUtf8(std::string& out, uint32_t codePoint)
{
    if (codePoint < 0x80) {
        out += static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
        out += static_cast<char>(0xC0 | (codePoint >> 6));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        out += static_cast<char>(0xE0 | (codePoint >> 12));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (codePoint >> 18));
        out += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
}

// UTF-16LE (after its byte-order mark) to UTF-8; a lone surrogate becomes U+FFFD.
std::string Utf16LeToUtf8(std::string_view bytes)
{
    constexpr uint32_t kReplacement = 0xFFFD;
    std::string out;
    out.reserve(bytes.size() / 2);
    auto unitAt = [&bytes](size_t i) {
        return static_cast<uint32_t>(static_cast<uint8_t>(bytes[i])) |
               (static_cast<uint32_t>(static_cast<uint8_t>(bytes[i + 1])) << 8);
    };
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const uint32_t unit = unitAt(i);
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 3 < bytes.size()) {
            const uint32_t low = unitAt(i + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
                i += 2;
                continue;
            }
        }
        AppendUtf8(out, (unit >= 0xD800 && unit <= 0xDFFF) ? kReplacement : unit);
    }
    return out;
}

std::string DecodeText(std::string_view text)
{
    if (text.starts_with("\xFF\xFE")) {
        return Utf16LeToUtf8(text.substr(2));
    }
    if (text.starts_with("\xEF\xBB\xBF")) {
        text.remove_prefix(3);
    }
    return std::string(text);
}

class LineReader {
public:
    explicit LineReader(std::string_view text) : text_(text) {}

    std::optional<std::string_view> Next()
    {
        if (position_ >= text_.size()) {
            return std::nullopt;
        }
        size_t end = text_.find('\n', position_);
        if (end == std::string_view::npos) {
            end = text_.size();
        }
        std::string_view line = text_.substr(position_, end - position_);
        position_ = end + 1;
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        return line;
    }

private:
    std::string_view text_;
    size_t position_ = 0;
};

// A quoted text with regedit's escapes (\\ and \"), from just after the opening
// quote; `text` is left after the closing quote. Nothing on an unterminated text.
std::optional<std::string> ReadQuoted(std::string_view& text)
{
    std::string unquoted;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"') {
            text.remove_prefix(i + 1);
            return unquoted;
        }
        if (c == '\\' && i + 1 < text.size()) {
            const char next = text[++i];
            if (next != '\\' && next != '"') {
                unquoted += '\\';
            }
            unquoted += next;
            continue;
        }
        unquoted += c;
    }
    return std::nullopt;
}

std::optional<std::vector<uint8_t>> ParseHexBytes(std::string_view text)
{
    std::vector<uint8_t> bytes;
    text = TrimBlanks(text);
    if (text.empty()) {
        return bytes;
    }
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(',', start);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        const std::string_view item = TrimBlanks(text.substr(start, end - start));
        const bool lastItem = end == text.size();
        if (!(item.empty() && lastItem && start > 0)) {   // a trailing comma is allowed
            const auto byte = ParseHexNumber(item, 2);
            if (!byte) {
                return std::nullopt;
            }
            bytes.push_back(static_cast<uint8_t>(*byte));
        }
        start = end + 1;
    }
    return bytes;
}

struct ParsedData {
    bool deletes = false;
    uint32_t type = 0;
    std::vector<uint8_t> data;
};

std::optional<ParsedData> ParseData(std::string_view text)
{
    if (text == "-") {
        return ParsedData{true, 0, {}};
    }
    if (text.starts_with('"')) {
        text.remove_prefix(1);
        auto unquoted = ReadQuoted(text);
        if (!unquoted || !TrimBlanks(text).empty()) {
            return std::nullopt;
        }
        std::vector<uint8_t> bytes(unquoted->begin(), unquoted->end());
        bytes.push_back(0);
        return ParsedData{false, kTypeString, std::move(bytes)};
    }
    if (StartsWithNoCase(text, "dword:")) {
        const auto number = ParseHexNumber(TrimBlanks(text.substr(6)), 8);
        if (!number) {
            return std::nullopt;
        }
        std::vector<uint8_t> bytes(4);
        for (size_t i = 0; i < 4; ++i) {
            bytes[i] = static_cast<uint8_t>(*number >> (8 * i));
        }
        return ParsedData{false, kTypeDword, std::move(bytes)};
    }
    uint32_t type = kTypeBinary;
    if (StartsWithNoCase(text, "hex(")) {
        const size_t close = text.find("):");
        const auto number = close == std::string_view::npos ? std::nullopt : ParseHexNumber(text.substr(4, close - 4), 8);
        if (!number) {
            return std::nullopt;
        }
        type = *number;
        text.remove_prefix(close + 2);
    } else if (StartsWithNoCase(text, "hex:")) {
        text.remove_prefix(4);
    } else {
        return std::nullopt;
    }
    auto bytes = ParseHexBytes(text);
    if (!bytes) {
        return std::nullopt;
    }
    return ParsedData{false, type, std::move(*bytes)};
}

// Hex data may go on over the next lines, each line but the last ending in "\".
std::string JoinContinuedLines(std::string_view data, LineReader& lines)
{
    std::string joined(data);
    while (!joined.empty() && joined.back() == '\\') {
        joined.pop_back();
        const auto next = lines.Next();
        if (!next) {
            break;
        }
        joined += TrimBlanks(*next);
    }
    return joined;
}

void ParseValueLine(std::string_view line, LineReader& lines, KeyEntry* key)
{
    std::string name;
    if (line.starts_with('@')) {
        line.remove_prefix(1);
    } else {
        line.remove_prefix(1);
        auto quoted = ReadQuoted(line);
        if (!quoted) {
            return;
        }
        name = std::move(*quoted);
    }
    line = TrimBlanks(line);
    if (!line.starts_with('=')) {
        return;
    }
    std::string_view data = TrimBlanks(line.substr(1));
    std::string joined;
    if (StartsWithNoCase(data, "hex")) {
        joined = JoinContinuedLines(data, lines);
        data = joined;
    }
    const auto parsed = ParseData(data);
    if (!parsed || key == nullptr) {
        return;
    }
    if (parsed->deletes) {
        RemoveValue(*key, name);
    } else {
        StoreValue(*key, name, parsed->type, parsed->data);
    }
}

// Returns the key that the following values belong to (null: skip them).
KeyEntry* ParseSectionLine(std::string_view line, Document& document)
{
    const size_t close = line.rfind(']');
    if (close == std::string_view::npos) {
        return nullptr;
    }
    // Not trimmed: key names may begin or end with blanks.
    std::string_view inside = line.substr(1, close - 1);
    const bool deletes = inside.starts_with('-');
    if (deletes) {
        inside.remove_prefix(1);
    }
    const std::string path = NormalizePath(inside);
    if (path.empty()) {
        return nullptr;
    }
    if (deletes) {
        document.RemoveTree(path);
        return nullptr;
    }
    return &document.ListLast(document.Spelling(path));
}

std::string EscapeQuoted(std::string_view text)
{
    std::string escaped = "\"";
    for (char c : text) {
        if (c == '\\' || c == '"') {
            escaped += '\\';
        }
        escaped += c;
    }
    escaped += '"';
    return escaped;
}

constexpr char kHexDigits[] = "0123456789abcdef";

void AppendHexByte(std::string& text, uint8_t byte)
{
    text += kHexDigits[byte >> 4];
    text += kHexDigits[byte & 0x0F];
}

std::string HexBytes(const std::vector<uint8_t>& data)
{
    std::string text;
    for (size_t i = 0; i < data.size(); ++i) {
        if (i > 0) {
            text += ',';
        }
        AppendHexByte(text, data[i]);
    }
    return text;
}

// A string value is written as text when the text reads back to the same bytes:
// one terminating zero, no other zero, no line break.
bool IsPlainString(const std::vector<uint8_t>& data)
{
    if (data.empty() || data.back() != 0) {
        return false;
    }
    for (size_t i = 0; i + 1 < data.size(); ++i) {
        if (data[i] == 0 || data[i] == '\r' || data[i] == '\n') {
            return false;
        }
    }
    return true;
}

std::string FormatData(const Value& value)
{
    if (value.type == kTypeString && IsPlainString(value.data)) {
        return EscapeQuoted(std::string_view(reinterpret_cast<const char*>(value.data.data()), value.data.size() - 1));
    }
    if (value.type == kTypeDword && value.data.size() == 4) {
        std::string text = "dword:";
        for (size_t i = 4; i > 0; --i) {
            AppendHexByte(text, value.data[i - 1]);
        }
        return text;
    }
    if (value.type == kTypeBinary) {
        return "hex:" + HexBytes(value.data);
    }
    std::string type;
    for (uint32_t rest = value.type; type.empty() || rest != 0; rest >>= 4) {
        type.insert(type.begin(), kHexDigits[rest & 0x0F]);
    }
    return "hex(" + type + "):" + HexBytes(value.data);
}

}  // namespace

Document ParseRegText(std::string_view text)
{
    const std::string decoded = DecodeText(text);
    LineReader lines(decoded);
    Document document;
    KeyEntry* current = nullptr;
    bool first = true;
    while (const auto next = lines.Next()) {
        const std::string_view line = TrimBlanks(*next);
        const bool isHeader = first && (line == kHeader || line == kOldHeader);
        if (!line.empty()) {
            first = false;
        }
        if (line.empty() || isHeader || line.starts_with(';')) {
            continue;
        }
        if (line.starts_with('[')) {
            current = ParseSectionLine(line, document);
        } else if (line.starts_with('"') || line.starts_with('@')) {
            ParseValueLine(line, lines, current);
        }
    }
    return document;
}

std::string FormatRegText(const Document& document)
{
    std::string text(kHeader);
    text += kLineEnd;
    text += kLineEnd;
    for (const KeyEntry& key : document.Keys()) {
        text += '[';
        text += key.path;
        text += ']';
        text += kLineEnd;
        for (const Value& value : key.values) {
            text += value.name.empty() ? std::string("@") : EscapeQuoted(value.name);
            text += '=';
            text += FormatData(value);
            text += kLineEnd;
        }
        text += kLineEnd;
    }
    return text;
}

}  // namespace platform::registry::file
