// The guard at the library's edge: a body's value passes, an exception of any
// kind becomes ZAQ16_RET_FAILED (or the end of a thread body) and one FATAL line.
#include <gtest/gtest.h>

#include <new>
#include <stdexcept>
#include <string>
#include <system_error>

#include "base/Guarded.h"
#include "support/TraceCapture.h"

namespace {

TEST(Guarded, ValueOfABodyThatReturnsPasses)
{
    TraceCapture trace;
    EXPECT_EQ(GuardedEntry("QXZAQGetBusType", [] { return 0xFFFFFFFFu; }), 0xFFFFFFFFu);
    EXPECT_EQ(GuardedEntry("QXZAQStopLink", [] { return 0u; }), 0u);
    EXPECT_EQ(trace.Count("FATAL"), 0u);
}

TEST(Guarded, AnyExceptionBecomesFailedWithOneFatalLine)
{
    struct Case {
        const char* where;
        void (*thrower)();
        const char* text;
    };
    const Case cases[] = {
        {"QXZAQStartLink", [] { throw std::bad_alloc(); }, "FATAL  -QXZAQStartLink  Exception stopped at the library's edge: std::bad_alloc"},
        {"QXZAQRestart", [] { throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again)); },
         "FATAL  -QXZAQRestart    Exception stopped at the library's edge: "},
        {"QXZAQGetEvent", [] { throw 42; }, "FATAL  -QXZAQGetEvent   Exception stopped at the library's edge\n"},
    };
    for (const Case& c : cases) {
        TraceCapture trace(0);
        EXPECT_EQ(GuardedEntry(c.where, [&c]() -> uint32_t {
                      c.thrower();
                      return 0;
                  }),
                  ZAQ16_RET_FAILED);
        EXPECT_EQ(trace.Count("FATAL"), 1u) << c.where;
        EXPECT_NE((trace.Text() + "\n").find(c.text), std::string::npos) << trace.Text();
    }
}

TEST(Guarded, ThreadBodyEndsAtTheExceptionAndTheCallerGoesOn)
{
    TraceCapture trace;
    bool ran = false;
    RunGuarded("CLive", [&ran] {
        ran = true;
        throw std::runtime_error("reader failed");
    });
    EXPECT_TRUE(ran);
    EXPECT_TRUE(trace.Contains("FATAL  -CLive           Exception stopped at the library's edge: reader failed"))
        << trace.Text();
}

}  // namespace
