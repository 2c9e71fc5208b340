// Points the library's trace at a file of the test's own for the test's
// duration, at a chosen level, and reads the lines back.
#pragma once

#include <string>
#include <vector>

#include "support/TempDir.h"

class TraceCapture {
public:
    explicit TraceCapture(int level = 5);
    ~TraceCapture();
    TraceCapture(const TraceCapture&) = delete;
    TraceCapture& operator=(const TraceCapture&) = delete;

    std::string Text() const;
    // The lines, each without its leading time text: "LEVEL  -Function        message".
    std::vector<std::string> Lines() const;
    // True when some line holds `text`.
    bool Contains(const std::string& text) const;
    size_t Count(const std::string& text) const;
    const std::string& Path() const { return path_; }

private:
    TempDir dir_;
    std::string path_;
    std::string previousPath_;
    int previousLevel_;
};
