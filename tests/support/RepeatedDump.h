// A dump file made of another's records repeated, their time fields zeroed so
// that they follow without gaps: a long stream for the bridge's full-speed
// tests and its benchmark. Header only, so that benchmarks can use it without
// the test support library.
#pragma once

#include <fstream>
#include <iterator>
#include <string>

// Writes `path`: the header of the format-2 dump `source`, then its records
// `repetitions` times. False when `source` is no format-2 dump or `path`
// cannot be written.
inline bool WriteRepeatedDump(const std::string& source, const std::string& path, int repetitions)
{
    std::ifstream in(source, std::ios::binary);
    const std::string dump{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (dump.size() < 2 || dump[0] != 2) {
        return false;
    }
    const size_t header = 2 + static_cast<uint8_t>(dump[1]);
    std::string records;
    for (size_t at = header; at + 9 <= dump.size();) {
        const size_t length = static_cast<uint8_t>(dump[at + 8]);
        std::string record = dump.substr(at, 9 + length + 1);
        record.replace(2, 4, std::string(4, '\0'));
        records += record;
        at += 9 + length + 1;
    }
    std::ofstream out(path, std::ios::binary);
    out << dump.substr(0, header);
    for (int i = 0; i < repetitions; ++i) {
        out << records;
    }
    return static_cast<bool>(out);
}
