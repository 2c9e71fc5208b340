#include "support/TraceCapture.h"

#include "base/Trace.h"

TraceCapture::TraceCapture(int level) : path_(dir_.File("trace.log"))
{
    previousPath_ = LibraryTrace().Path();
    previousLevel_ = LibraryTrace().Level();
    LibraryTrace().SetPath(path_);
    LibraryTrace().SetLevel(level);
}

TraceCapture::~TraceCapture()
{
    LibraryTrace().SetPath(previousPath_);
    LibraryTrace().SetLevel(previousLevel_);
}

std::string TraceCapture::Text() const
{
    return ReadWholeFile(path_);
}

std::vector<std::string> TraceCapture::Lines() const
{
    // Every line starts with a newline and a 24-character time text and a blank.
    const std::string text = Text();
    std::vector<std::string> lines;
    size_t start = text.find('\n');
    while (start != std::string::npos) {
        const size_t next = text.find('\n', start + 1);
        std::string line = text.substr(start + 1, next == std::string::npos ? std::string::npos : next - start - 1);
        lines.push_back(line.size() > 25 ? line.substr(25) : line);
        start = next;
    }
    return lines;
}

bool TraceCapture::Contains(const std::string& text) const
{
    return Text().find(text) != std::string::npos;
}

size_t TraceCapture::Count(const std::string& text) const
{
    const std::string all = Text();
    size_t count = 0;
    for (size_t at = all.find(text); at != std::string::npos; at = all.find(text, at + 1)) {
        ++count;
    }
    return count;
}
