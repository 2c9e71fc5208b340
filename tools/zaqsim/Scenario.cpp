#include "Scenario.h"

#include <charconv>
#include <cstddef>
#include <cmath>
#include <optional>

#include "OptionTable.h"
#include "PacketFrame.h"
#include "UnitConfig.h"

namespace zaqsim {

namespace {

constexpr uint32_t kMaxDelayMs = 3600000;
constexpr uint32_t kMaxNoticeChannel = 9999;

// Splits a line into words; a "#" that starts a word begins a comment.
std::vector<std::string_view> SplitWords(std::string_view line)
{
    std::vector<std::string_view> words;
    size_t at = 0;
    while (at < line.size()) {
        while (at < line.size() && (line[at] == ' ' || line[at] == '\t'))
            ++at;
        if (at >= line.size() || line[at] == '#')
            break;
        const size_t start = at;
        while (at < line.size() && line[at] != ' ' && line[at] != '\t')
            ++at;
        words.push_back(line.substr(start, at - start));
    }
    return words;
}

std::optional<uint32_t> Decimal(std::string_view word, uint32_t max)
{
    uint32_t value = 0;
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
    if (word.empty() || error != std::errc() || end != word.data() + word.size() || value > max)
        return std::nullopt;
    return value;
}

// Hex bytes: "41", "0x41", or several at once ("414243").
bool AppendHex(std::string_view word, std::vector<uint8_t>& bytes)
{
    if (word.starts_with("0x") || word.starts_with("0X"))
        word.remove_prefix(2);
    if (word.empty() || word.size() % 2 != 0)
        return false;
    for (size_t i = 0; i < word.size(); i += 2) {
        uint8_t value = 0;
        const auto [end, error] = std::from_chars(word.data() + i, word.data() + i + 2, value, 16);
        if (error != std::errc() || end != word.data() + i + 2)
            return false;
        bytes.push_back(value);
    }
    return true;
}

class LineParser {
public:
    LineParser(std::string_view line, double timeScale) : line_(line), timeScale_(timeScale) {}

    // The item and its unit, or an error message.
    bool Parse(size_t& unit, PlayItem& item, std::string& error);

private:
    using Handler = bool (LineParser::*)(PlayItem& item, std::string& error);
    struct Keyword {
        const char* name;
        size_t minWords;  // after the unit
        Handler handler;
    };
    static const Keyword kKeywords[];

    bool Packet(PlayItem& item, std::string& error);
    bool Notice(PlayItem& item, std::string& error);
    bool Text(PlayItem& item, std::string& error);
    bool Bytes(PlayItem& item, std::string& error);

    std::string_view line_;
    double timeScale_;
    std::vector<std::string_view> args_;  // the words after the unit
    std::string_view afterUnit_;          // the line after the unit, as written
};

const LineParser::Keyword LineParser::kKeywords[] = {
    {"packet", 2, &LineParser::Packet},
    {"notice", 2, &LineParser::Notice},
    {"text", 0, &LineParser::Text},
    {"bytes", 1, &LineParser::Bytes},
};

bool LineParser::Parse(size_t& unit, PlayItem& item, std::string& error)
{
    std::vector<std::string_view> words = SplitWords(line_);
    size_t next = 0;
    if (words[0].starts_with("+")) {
        const std::optional<uint32_t> delay = Decimal(words[0].substr(1), kMaxDelayMs);
        if (!delay) {
            error = "bad delay \"" + std::string(words[0]) + "\" (milliseconds after \"+\", at most 3600000)";
            return false;
        }
        item.delayMs = static_cast<uint32_t>(std::llround(*delay * timeScale_));
        ++next;
    }
    if (words.size() < next + 2) {
        error = "expected a keyword and a unit number";
        return false;
    }
    const std::string keyword(words[next]);
    const std::optional<uint32_t> unitNumber = Decimal(words[next + 1], kMaxUnits - 1);
    for (const Keyword& entry : kKeywords) {
        if (keyword != entry.name)
            continue;
        if (!unitNumber) {
            error = "bad unit \"" + std::string(words[next + 1]) + "\" (0 to 15)";
            return false;
        }
        unit = *unitNumber;
        args_.assign(words.begin() + static_cast<std::ptrdiff_t>(next + 2), words.end());
        afterUnit_ = line_.substr(static_cast<size_t>(words[next + 1].data() - line_.data()) + words[next + 1].size());
        if (args_.size() < entry.minWords) {
            error = "too few values for \"" + keyword + "\"";
            return false;
        }
        return (this->*entry.handler)(item, error);
    }
    error = "unknown keyword \"" + keyword + "\" (packet, notice, text, bytes)";
    return false;
}

bool LineParser::Packet(PlayItem& item, std::string& error)
{
    const std::optional<uint32_t> channel = Decimal(args_[0], kLines - 1);
    if (!channel) {
        error = "bad channel \"" + std::string(args_[0]) + "\" (0 to 15)";
        return false;
    }
    std::vector<uint8_t> type;
    if (!AppendHex(args_[1], type) || type.size() != 1) {
        error = "bad type \"" + std::string(args_[1]) + "\" (one hex byte)";
        return false;
    }
    std::vector<uint8_t> payload;
    for (size_t i = 2; i < args_.size(); ++i) {
        if (!AppendHex(args_[i], payload)) {
            error = "bad payload byte \"" + std::string(args_[i]) + "\" (hex)";
            return false;
        }
    }
    if (payload.size() > kMaxPayload) {
        error = "payload of " + std::to_string(payload.size()) + " bytes (at most 255)";
        return false;
    }
    item.bytes = BuildPacket(static_cast<uint8_t>(*channel), type[0], payload);
    return true;
}

bool LineParser::Notice(PlayItem& item, std::string& error)
{
    const std::optional<uint32_t> channel = Decimal(args_[0], kMaxNoticeChannel);
    const std::string state = UpperCase(args_[1]);
    if (!channel) {
        error = "bad notice channel \"" + std::string(args_[0]) + "\" (0 to 9999)";
        return false;
    }
    if (state != "Y" && state != "N") {
        error = "bad notice state \"" + std::string(args_[1]) + "\" (Y or N)";
        return false;
    }
    item.bytes = TextLine(NoticeText(*channel, state == "Y"));
    return true;
}

bool LineParser::Text(PlayItem& item, std::string& error)
{
    // The text as written (blanks inside kept), up to a comment.
    std::string text;
    if (!args_.empty()) {
        const size_t start = static_cast<size_t>(args_.front().data() - afterUnit_.data());
        const size_t end = static_cast<size_t>(args_.back().data() - afterUnit_.data()) + args_.back().size();
        text = afterUnit_.substr(start, end - start);
    }
    if (text.find('\x01') != std::string::npos) {
        error = "a text line cannot hold the byte 0x01";
        return false;
    }
    item.bytes = TextLine(text);
    return true;
}

bool LineParser::Bytes(PlayItem& item, std::string& error)
{
    std::vector<uint8_t> bytes;
    for (std::string_view word : args_) {
        if (!AppendHex(word, bytes)) {
            error = "bad byte \"" + std::string(word) + "\" (hex)";
            return false;
        }
    }
    item.bytes.assign(bytes.begin(), bytes.end());
    return true;
}

}  // namespace

Scenario ParseScenario(std::string_view text, double timeScale)
{
    Scenario scenario;
    size_t lineNumber = 0;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        ++lineNumber;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (SplitWords(line).empty())
            continue;
        size_t unit = 0;
        PlayItem item;
        std::string error;
        if (!LineParser(line, timeScale).Parse(unit, item, error)) {
            scenario.errors.push_back(ScenarioError{lineNumber, error});
            continue;
        }
        if (scenario.units.size() <= unit)
            scenario.units.resize(unit + 1);
        scenario.units[unit].push_back(std::move(item));
    }
    return scenario;
}

}  // namespace zaqsim
