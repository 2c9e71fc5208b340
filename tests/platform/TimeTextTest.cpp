// The date text at the start of every trace line: the layout of ctime() with
// the C library's English names, whatever locale the application has set.
#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "platform/Clock.h"
#include "platform/ProcessEnvironment.h"
#include "platform/Program.h"
#include "support/TempDir.h"

namespace {

struct TextCase {
    platform::BrokenDownTime time;
    const char* text;
};

TEST(TimeText, LaidOutAsCtimeDoes)
{
    // second, minute, hour, day, month (0-11), years since 1900, weekday
    const TextCase cases[] = {
        {{56, 48, 0, 10, 11, 126, 4}, "Thu Dec 10 00:48:56 2026"},
        {{7, 5, 9, 1, 2, 126, 0}, "Sun Mar  1 09:05:07 2026"},
        {{59, 59, 23, 31, 0, 100, 1}, "Mon Jan 31 23:59:59 2000"},
        {{0, 0, 12, 15, 5, 124, 6}, "Sat Jun 15 12:00:00 2024"},
    };
    for (const TextCase& c : cases) {
        EXPECT_EQ(platform::CtimeText(c.time), c.text);
    }
}

bool IsEnglishDateText(const std::string& text)
{
    static const std::string kWeekdays = "Sun Mon Tue Wed Thu Fri Sat";
    static const std::string kMonths = "Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec";
    return text.size() == 24 && text[3] == ' ' && kWeekdays.find(text.substr(0, 3)) != std::string::npos &&
           kMonths.find(text.substr(4, 3)) != std::string::npos;
}

// A German locale (built here when the system has none) names Thursday "Do"
// and December "Dez"; the trace's date text stays English.
TEST(TimeText, EnglishWhateverTheApplicationsLocale)
{
    TempDir dir;
    const char* const german = "de_DE.UTF-8";
    if (std::setlocale(LC_ALL, german) == nullptr) {
        const auto built =
            platform::RunProgram({"/usr/bin/localedef", "-i", "de_DE", "-f", "UTF-8", dir.File(german)}, {}, 60000);
        platform::SetEnvironmentVariable("LOCPATH", dir.path().string());
        const bool usable = built.first == 0 && std::setlocale(LC_ALL, german) != nullptr;
        if (!usable) {
            platform::SetEnvironmentVariable("LOCPATH", "");
            GTEST_SKIP() << "no German locale and localedef could not build one";
        }
    }
    const std::string text = platform::LocalTimeText();
    std::setlocale(LC_ALL, "C");
    platform::SetEnvironmentVariable("LOCPATH", "");
    EXPECT_TRUE(IsEnglishDateText(text)) << text;
}

}  // namespace
