// The registry file's text: what we write, what regedit writes, and what a
// careless hand writes.
#include <random>

#include "RegistryFileFixture.h"

namespace {

std::string WithCrLf(const std::string& text)
{
    std::string converted;
    for (char c : text) {
        if (c == '\n') {
            converted += '\r';
        }
        converted += c;
    }
    return converted;
}

std::string Utf16LeWithMark(const std::string& ascii)
{
    std::string converted = "\xFF\xFE";
    for (char c : ascii) {
        converted += c;
        converted += '\0';
    }
    return converted;
}

// As regedit or a person would write it: comments, blank lines, blanks around
// "=", lower-case type words, hex continued over lines, escapes, a default value.
const std::string kHandWritten = R"(Windows Registry Editor Version 5.00

; the units of the second floor
[HKEY_LOCAL_MACHINE\SOFTWARE\Tessaline\QXZAQ16]
"# of COMPorts"=dword:00000002
  "CARD1" = "COM3"   
"CARD2"="\\\\.\\COM4"
"Quote"="say \"hi\""
"TraceLevel"=DWORD:A
"Blob"=hex:01,02,\
  03,ff

"Expand"=hex(2):41,00,00,00
@="default"

[HKEY_LOCAL_MACHINE\SOFTWARE\Tessaline\Other]
"Empty"=hex:
"EmptyText"=""
)";

void ExpectHandWrittenValues()
{
    reg::Key key = 0;
    ASSERT_EQ(reg::OpenKey(reg::kLocalMachine, "Software\\Tessaline\\QXZAQ16", reg::kAccessRead, key), reg::kSuccess);
    EXPECT_EQ(QueryStored(key, "# of COMPorts"), DwordValue(2));
    EXPECT_EQ(QueryStored(key, "CARD1"), TextValue("COM3"));
    EXPECT_EQ(QueryStored(key, "CARD2"), TextValue("\\\\.\\COM4"));
    EXPECT_EQ(QueryStored(key, "Quote"), TextValue("say \"hi\""));
    EXPECT_EQ(QueryStored(key, "TraceLevel"), DwordValue(10));
    EXPECT_EQ(QueryStored(key, "Blob"), (StoredValue{reg::kTypeBinary, {1, 2, 3, 0xff}}));
    EXPECT_EQ(QueryStored(key, "Expand"), (StoredValue{2, {0x41, 0, 0, 0}}));
    EXPECT_EQ(QueryStored(key, ""), TextValue("default"));
    reg::CloseKey(key);

    ASSERT_EQ(reg::OpenKey(reg::kLocalMachine, "Software\\Tessaline\\Other", reg::kAccessRead, key), reg::kSuccess);
    EXPECT_EQ(QueryStored(key, "Empty"), (StoredValue{reg::kTypeBinary, {}}));
    EXPECT_EQ(QueryStored(key, "EmptyText"), TextValue(""));
    reg::CloseKey(key);
}

struct Encoding {
    const char* name;
    std::string (*encode)(const std::string&);
};

const Encoding kEncodings[] = {
    {"utf8 LF", [](const std::string& text) { return text; }},
    {"utf8 CRLF", WithCrLf},
    {"utf8 with mark", [](const std::string& text) { return "\xEF\xBB\xBF" + WithCrLf(text); }},
    {"utf16le as regedit saves", [](const std::string& text) { return Utf16LeWithMark(WithCrLf(text)); }},
};

}  // namespace

TEST_F(RegistryFileTest, ReadsAHandWrittenFileInEveryEncodingRegeditUses)
{
    for (const Encoding& encoding : kEncodings) {
        SCOPED_TRACE(encoding.name);
        WriteRegistry(encoding.encode(kHandWritten));
        ExpectHandWrittenValues();
    }
}

TEST_F(RegistryFileTest, WritesTheRegeditFormatAndReadsItBack)
{
    const reg::Key key = Create("Software\\Tessaline\\QXZAQ16");
    const StoredValue binary{reg::kTypeBinary, {0x01, 0x02, 0xab}};
    const StoredValue multiString{7, {'a', 0, 'b', 0, 0}};
    const StoredValue textWithLineBreak = TextValue("two\nlines");
    const StoredValue shortDword{reg::kTypeDword, {0x05}};
    ASSERT_EQ(SetStored(key, "# of COMPorts", DwordValue(0)), reg::kSuccess);
    ASSERT_EQ(SetStored(key, "TraceLevel", DwordValue(3)), reg::kSuccess);
    ASSERT_EQ(SetStored(key, "TracePath", TextValue("C:\\Program Files\\\"Zaq\"\\")), reg::kSuccess);
    ASSERT_EQ(SetStored(key, "Bin", binary), reg::kSuccess);
    ASSERT_EQ(SetStored(key, "Empty", StoredValue{reg::kTypeBinary, {}}), reg::kSuccess);
    ASSERT_EQ(SetStored(key, "Multi", multiString), reg::kSuccess);
    ASSERT_EQ(SetStored(key, "Lines", textWithLineBreak), reg::kSuccess);
    ASSERT_EQ(SetStored(key, "Short", shortDword), reg::kSuccess);
    ASSERT_EQ(SetStored(key, "", TextValue("dflt")), reg::kSuccess);
    ASSERT_EQ(SetStored(key, "Odd \"name\" \\", DwordValue(0xdeadbeef)), reg::kSuccess);

    EXPECT_EQ(RegistryText(),
              "Windows Registry Editor Version 5.00\r\n"
              "\r\n"
              "[HKEY_LOCAL_MACHINE\\Software]\r\n"
              "\r\n"
              "[HKEY_LOCAL_MACHINE\\Software\\Tessaline]\r\n"
              "\r\n"
              "[HKEY_LOCAL_MACHINE\\Software\\Tessaline\\QXZAQ16]\r\n"
              "\"# of COMPorts\"=dword:00000000\r\n"
              "\"TraceLevel\"=dword:00000003\r\n"
              "\"TracePath\"=\"C:\\\\Program Files\\\\\\\"Zaq\\\"\\\\\"\r\n"
              "\"Bin\"=hex:01,02,ab\r\n"
              "\"Empty\"=hex:\r\n"
              "\"Multi\"=hex(7):61,00,62,00,00\r\n"
              "\"Lines\"=hex(1):74,77,6f,0a,6c,69,6e,65,73,00\r\n"
              "\"Short\"=hex(4):05\r\n"
              "@=\"dflt\"\r\n"
              "\"Odd \\\"name\\\" \\\\\"=dword:deadbeef\r\n"
              "\r\n");

    // Every value reads back as it went in (each query reads the file anew).
    EXPECT_EQ(QueryStored(key, "TracePath"), TextValue("C:\\Program Files\\\"Zaq\"\\"));
    EXPECT_EQ(QueryStored(key, "Bin"), binary);
    EXPECT_EQ(QueryStored(key, "Multi"), multiString);
    EXPECT_EQ(QueryStored(key, "Lines"), textWithLineBreak);
    EXPECT_EQ(QueryStored(key, "Short"), shortDword);
    EXPECT_EQ(QueryStored(key, ""), TextValue("dflt"));
    EXPECT_EQ(QueryStored(key, "Odd \"name\" \\"), DwordValue(0xdeadbeef));
    reg::CloseKey(key);
}

TEST_F(RegistryFileTest, KeyNamesWithBracketsAndBlanksReadBack)
{
    for (const char* name : {" spaced key ", "a]b", "[x", "-dash", "semi;colon", "\"quoted\""}) {
        SCOPED_TRACE(name);
        const reg::Key key = Create(std::string("Software\\") + name);
        ASSERT_EQ(SetStored(key, "v", TextValue(name)), reg::kSuccess);
        reg::CloseKey(key);
        const reg::Key again = Open(std::string("Software\\") + name);
        EXPECT_EQ(QueryStored(again, "v"), TextValue(name));
        reg::CloseKey(again);
    }
}

TEST_F(RegistryFileTest, NewKeysKeepTheFileInTreeOrder)
{
    for (const char* path : {"A\\B", "A\\C", "A\\B\\D", "Z", "A\\B\\D\\E"}) {
        reg::CloseKey(Create(path));
    }
    EXPECT_EQ(RegistryText(),
              "Windows Registry Editor Version 5.00\r\n\r\n"
              "[HKEY_LOCAL_MACHINE\\A]\r\n\r\n"
              "[HKEY_LOCAL_MACHINE\\A\\B]\r\n\r\n"
              "[HKEY_LOCAL_MACHINE\\A\\B\\D]\r\n\r\n"
              "[HKEY_LOCAL_MACHINE\\A\\B\\D\\E]\r\n\r\n"
              "[HKEY_LOCAL_MACHINE\\A\\C]\r\n\r\n"
              "[HKEY_LOCAL_MACHINE\\Z]\r\n\r\n");
}

TEST_F(RegistryFileTest, AFileReadKeepsItsOwnKeyOrder)
{
    // Read in tree order, this file came out differently on each rewrite.
    WriteRegistry("Windows Registry Editor Version 5.00\n\n"
                  "[HKEY_LOCAL_MACHINE\\Z]\n\n[HKEY_LOCAL_MACHINE\\A\\B]\n\n[Loose]\n\n[HKEY_LOCAL_MACHINE\\A]\n");
    reg::CloseKey(Create("A\\C"));
    const std::string once = RegistryText();
    EXPECT_EQ(once,
              "Windows Registry Editor Version 5.00\r\n\r\n"
              "[HKEY_LOCAL_MACHINE\\Z]\r\n\r\n"
              "[HKEY_LOCAL_MACHINE\\A\\B]\r\n\r\n"
              "[Loose]\r\n\r\n"
              "[HKEY_LOCAL_MACHINE\\A]\r\n\r\n"
              "[HKEY_LOCAL_MACHINE\\A\\C]\r\n\r\n");
    reg::CloseKey(Create("A\\C"));
    EXPECT_EQ(RegistryText(), once);
}

TEST_F(RegistryFileTest, KeysOfOtherRootsSurviveOurWrites)
{
    WriteRegistry("Windows Registry Editor Version 5.00\n\n"
                  "[HKEY_CURRENT_USER\\Software\\Keep]\n\"v\"=dword:00000001\n");
    reg::CloseKey(Create("Software\\New"));
    EXPECT_NE(RegistryText().find("[HKEY_CURRENT_USER\\Software\\Keep]\r\n\"v\"=dword:00000001\r\n"), std::string::npos);
}

TEST_F(RegistryFileTest, DeletionLinesOfImportFilesApply)
{
    WriteRegistry(R"(Windows Registry Editor Version 5.00
[HKEY_LOCAL_MACHINE\Software\Gone\Deep]
"a"=dword:1
[HKEY_LOCAL_MACHINE\Software\Kept]
"stays"=dword:1
"goes"=dword:2
"goes"=-
[-HKEY_LOCAL_MACHINE\Software\Gone]
)");
    EXPECT_EQ(OpenCode("Software\\Gone"), reg::kNotFound);
    const reg::Key kept = Open("Software\\Kept");
    EXPECT_EQ(QueryStored(kept, "stays"), DwordValue(1));
    EXPECT_FALSE(QueryStored(kept, "goes"));
    reg::CloseKey(kept);
}

struct MalformedCase {
    const char* name;
    const char* lines;
};

const MalformedCase kMalformed[] = {
    {"dword of nine digits", R"("Bad"=dword:123456789)"},
    {"dword not hex", R"("Bad"=dword:xyz)"},
    {"dword empty", R"("Bad"=dword:)"},
    {"hex byte not hex", R"("Bad"=hex:1g)"},
    {"hex byte of three digits", R"("Bad"=hex:100)"},
    {"hex empty item", R"("Bad"=hex:01,,02)"},
    {"hex type not hex", R"("Bad"=hex(zz):01)"},
    {"hex type unclosed", R"("Bad"=hex(2:01)"},
    {"unknown type word", R"("Bad"=str:abc)"},
    {"string unterminated", R"("Bad"="text)"},
    {"text after the string", R"("Bad"="text" more)"},
    {"no equals sign", R"("Bad" "text")"},
    {"name unterminated", R"("Bad=dword:00000001)"},
    {"nothing after equals", R"("Bad"=)"},
    {"a stray word", "garbage"},
    {"control bytes", "\x01\x02\xff\xfe"},
    {"values under an unclosed section", "[HKEY_LOCAL_MACHINE\\Software\\Test\n\"Bad\"=dword:00000001"},
    {"values under an empty section", "[]\n\"Bad\"=dword:00000001"},
};

TEST_F(RegistryFileTest, SkipsUnreadableLinesAndKeepsTheRest)
{
    for (const MalformedCase& bad : kMalformed) {
        SCOPED_TRACE(bad.name);
        WriteRegistry(std::string("Windows Registry Editor Version 5.00\n\n"
                                  "[HKEY_LOCAL_MACHINE\\Software\\Test]\n"
                                  "\"Before\"=dword:00000001\n") +
                      bad.lines +
                      "\n[HKEY_LOCAL_MACHINE\\Software\\Test]\n"
                      "\"After\"=\"ok\"\n");
        reg::Key key = 0;
        ASSERT_EQ(reg::OpenKey(reg::kLocalMachine, "Software\\Test", reg::kAccessAll, key), reg::kSuccess);
        EXPECT_EQ(QueryStored(key, "Before"), DwordValue(1));
        EXPECT_EQ(QueryStored(key, "After"), TextValue("ok"));
        uint32_t size = 0;
        EXPECT_EQ(reg::QueryValue(key, "Bad", nullptr, nullptr, &size), reg::kNotFound);
        reg::CloseKey(key);
    }
}

TEST_F(RegistryFileTest, EveryTruncationOfAFileReadsWithoutHarm)
{
    const reg::Key key = Create("Software\\Tessaline\\QXZAQ16");
    ASSERT_EQ(SetStored(key, "CARD1", TextValue("COM3")), reg::kSuccess);
    ASSERT_EQ(SetStored(key, "Bin", StoredValue{reg::kTypeBinary, {1, 2, 3}}), reg::kSuccess);
    ASSERT_EQ(SetStored(key, "TraceLevel", DwordValue(3)), reg::kSuccess);
    reg::CloseKey(key);
    const std::string whole = RegistryText();
    for (size_t length = 0; length < whole.size(); ++length) {
        WriteRegistry(whole.substr(0, length));
        reg::Key opened = 0;
        const uint32_t code = reg::OpenKey(reg::kLocalMachine, "Software\\Tessaline\\QXZAQ16", reg::kAccessRead, opened);
        ASSERT_TRUE(code == reg::kSuccess || code == reg::kNotFound) << length;
        if (code == reg::kSuccess) {
            const auto card = QueryStored(opened, "CARD1");
            EXPECT_TRUE(!card || *card == TextValue("COM3")) << length;
            reg::CloseKey(opened);
        }
    }
}

TEST_F(RegistryFileTest, RandomBytesNeverBreakTheReader)
{
    static const std::string kPieces[] = {"[", "]", "\"", "\\", "=", "@", "hex:", "hex(", "):", "dword:", ",",
                                          "\n", "\r\n", " ", ";", "-", "HKEY_LOCAL_MACHINE", "Software", "ff", "\xff\xfe"};
    std::mt19937 random(1234);
    for (int round = 0; round < 300; ++round) {
        std::string text;
        const int pieces = static_cast<int>(random() % 60);
        for (int i = 0; i < pieces; ++i) {
            text += kPieces[random() % std::size(kPieces)];
        }
        WriteRegistry(text);
        reg::Key key = 0;
        const uint32_t code = reg::OpenKey(reg::kLocalMachine, "Software", reg::kAccessAll, key);
        ASSERT_TRUE(code == reg::kSuccess || code == reg::kNotFound) << text;
        if (code == reg::kSuccess) {
            uint32_t size = 0;
            reg::QueryValue(key, "", nullptr, nullptr, &size);
            ASSERT_EQ(SetStored(key, "x", DwordValue(1)), reg::kSuccess) << text;
            EXPECT_EQ(QueryStored(key, "x"), DwordValue(1)) << text;
            reg::CloseKey(key);
        }
    }
}
