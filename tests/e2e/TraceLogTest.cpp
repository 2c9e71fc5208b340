// The trace log as the library writes it: the exact line, the level filter,
// the start-up lines that always appear, and the rotation at each load.
#include <cctype>
#include <filesystem>

#include "LinkFixture.h"
#include "platform/Program.h"
#include "qxzaqlnk.h"

namespace {

class TraceLog : public LinkFixture {};

// "\n" + a ctime-like text ("Thu Dec 10 00:48:56 2026") + " ": the shape of every line's start.
bool StartsWithTimeText(const std::string& text)
{
    const std::string shape = "\nAaa Aaa #9 99:99:99 9999 ";
    if (text.size() < shape.size()) {
        return false;
    }
    for (size_t i = 0; i < shape.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        const bool fits = shape[i] == 'A'   ? std::isalpha(c) != 0
                          : shape[i] == 'a' ? std::islower(c) != 0
                          : shape[i] == '9' ? std::isdigit(c) != 0
                          : shape[i] == '#' ? (c == ' ' || std::isdigit(c) != 0)
                                            : c == static_cast<unsigned char>(shape[i]);
        if (!fits) {
            return false;
        }
    }
    return true;
}

TEST_F(TraceLog, StartLinkWritesItsTwoFatalLinesWhateverTheLevel)
{
    WriteRegistry({}, 0);
    Load();
    QXZAQStartLink(nullptr);
    const std::string text = TraceText();
    ASSERT_TRUE(StartsWithTimeText(text)) << text;
    const std::string first = text.substr(26, text.find('\n', 1) - 26);
    EXPECT_EQ(first, "FATAL  -STARTINGUP DLL   STARTINGUP DLL Messages only post as FATAL so that they always show!");
    EXPECT_NE(text.find("FATAL  -STARTING UP DLL DLL VERSION 1.4.0.52"), std::string::npos);
    // Level 0: nothing else.
    EXPECT_EQ(text.find("INFO"), std::string::npos);
}

TEST_F(TraceLog, LevelFilterAndSetTraceLevel)
{
    WriteRegistry({}, 3);
    Load();
    EXPECT_EQ(QXZAQSetTraceLevel(6), 3u);  // out of range: unchanged
    EXPECT_EQ(QXZAQSetTraceLevel(4), 3u);
    ZAQ16_LINK_INFO info{};
    info.size = sizeof info;
    QXZAQGetLinkInfo(&info);  // a TRACE line, now written
    EXPECT_EQ(QXZAQSetTraceLevel(0), 4u);
    QXZAQGetLinkInfo(&info);  // not written any more
    const std::string text = TraceText();
    EXPECT_NE(text.find("INFO   -QXZAQSetTraceLevel Trace Set to 6\n"), std::string::npos) << text;
    EXPECT_NE(text.find("INFO   -QXZAQSetTraceLevel Trace Set to 0\n"), std::string::npos);
    size_t count = 0;
    for (size_t at = text.find("-QXZAQGetLinkInfo"); at != std::string::npos;
         at = text.find("-QXZAQGetLinkInfo", at + 1)) {
        ++count;
    }
    EXPECT_EQ(count, 1u);
    EXPECT_NE(text.find("TRACE  -QXZAQGetLinkInfo Info pointer : "), std::string::npos);
}

TEST_F(TraceLog, EachLoadKeepsThePreviousRunAsOrg)
{
    WriteRegistry({}, 3);
    const std::string probe = std::string(ZAQ_BINARY_DIR) + "/tests/programs/library_load_probe";
    const platform::Program::Environment environment = {{"QXZAQ_REGISTRY", dir.File("qxzaq16.reg")}};
    ASSERT_EQ(platform::RunProgram({probe, "5"}, environment, 10000).first, 0);
    ASSERT_EQ(platform::RunProgram({probe, "2"}, environment, 10000).first, 0);
    const std::string previous = ReadWholeFile(dir.File("qxzaqlnk.org"));
    const std::string current = TraceText();
    EXPECT_NE(previous.find("Trace Set to 5"), std::string::npos) << previous;
    EXPECT_EQ(previous.find("Trace Set to 2"), std::string::npos);
    EXPECT_NE(current.find("Trace Set to 2"), std::string::npos) << current;
    EXPECT_EQ(current.find("Trace Set to 5"), std::string::npos);
}

TEST_F(TraceLog, WithoutATracePathTheLogAndItsRotationUseTheCurrentDirectory)
{
    WriteWholeFile(dir.File("qxzaq16.reg"),
                   "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Tessaline\\QXZAQ16]\r\n"
                   "\"TraceLevel\"=dword:00000003\r\n");
    const std::filesystem::path work = dir.path() / "work";
    std::filesystem::create_directories(work);
    WriteWholeFile((work / "qxzaqlnk.log").string(), "the previous run");
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(work);
    Load();
    QXZAQSetTraceLevel(3);
    std::filesystem::current_path(before);
    // Still the same file after the application changed directory.
    QXZAQSetTraceLevel(4);
    EXPECT_EQ(ReadWholeFile((work / "qxzaqlnk.org").string()), "the previous run");
    const std::string text = ReadWholeFile((work / "qxzaqlnk.log").string());
    EXPECT_NE(text.find("Trace Set to 3"), std::string::npos) << text;
    EXPECT_NE(text.find("Trace Set to 4"), std::string::npos) << text;
}

// An application that ends without QXZAQStopLink or a stop of its playback:
// the unload stops the reader threads while everything they use still exists.
TEST_F(TraceLog, UnloadStopsWhatTheApplicationLeftRunning)
{
    AddUnit();
    StartUnits();
    WriteRegistry({"COM1"}, 3);
    std::string dump("\x02\x01\x02", 3);
    for (int i = 0; i < 40; ++i) {
        dump += std::string("\x01\x00\x00\x00\x00\x00\x01\x48\x01\x10\xF0", 11);
    }
    const std::string dumpPath = dir.File("left.dmp");
    WriteWholeFile(dumpPath, dump);
    const std::string probe = std::string(ZAQ_BINARY_DIR) + "/tests/programs/library_load_probe";
    const platform::Program::Environment environment = {{"QXZAQ_REGISTRY", dir.File("qxzaq16.reg")},
                                                        {"QXZAQ_COMDIR", dir.File("com")}};
    for (int run = 0; run < 3; ++run) {
        const auto result = platform::RunProgram({probe, "start", "play=" + dumpPath}, environment, 20000);
        EXPECT_EQ(result.first, 0) << "run " << run << ": " << result.second;
        const std::string text = TraceText();
        EXPECT_NE(text.find("Started card on"), std::string::npos) << text;
        // The live reader and the playback port both ended inside the unload.
        size_t ends = 0;
        for (size_t at = text.find("Exiting Thread"); at != std::string::npos; at = text.find("Exiting Thread", at + 1)) {
            ++ends;
        }
        EXPECT_GE(ends, 2u) << text;
    }
}

}  // namespace
