// The registry file changing while it is read: the applet's writes (the
// registry class) racing readers and the library's start-up, and a hand
// edit while the link runs. A reader sees the old or the new file whole.
#include <atomic>
#include <filesystem>
#include <thread>

#include "DrillBench.h"
#include "common/Registry.h"
#include "platform/RegistryStore.h"

namespace {

using namespace std::chrono_literals;

constexpr size_t kNoteLength = 6000;
const char kHeader[] = "Windows Registry Editor Version 5.00";
const char kKeyLine[] = "[HKEY_LOCAL_MACHINE\\Software\\Tessaline\\QXZAQ16]";

// True when the text is one of the notes written here: one letter, full length.
bool WholeNote(const std::string& note)
{
    return note.size() == kNoteLength && (note == std::string(kNoteLength, 'A') || note == std::string(kNoteLength, 'B'));
}

class RegistryDrill : public DrillBench {
protected:
    std::string RegistryPath() const { return dir.File("qxzaq16.reg"); }
};

TEST_F(RegistryDrill, TheAppletsWritesNeverShowAHalfFileToReadersOrTheLibrary)
{
    ASSERT_EQ(StartLinkWith(2, Deliver, 3), 2u);
    {
        TraceWriter quiet;
        CRegistry registry(quiet);
        CRegistry::HKEY key = 0;
        ASSERT_EQ(registry.openProviderKey(platform::registry::kAccessAll, &key), 1);
        ASSERT_EQ(registry.setStringValue(key, "Note", std::string(kNoteLength, 'A').c_str()), 1);
        registry.closeKey(key);
    }
    std::atomic<bool> done{false};
    std::atomic<int> writes{0};
    std::thread writer([&] {
        TraceWriter quiet;
        CRegistry registry(quiet);
        for (int n = 0; !done; ++n) {
            CRegistry::HKEY key = 0;
            if (registry.openProviderKey(platform::registry::kAccessAll, &key) != 1) {
                continue;
            }
            const std::string note(kNoteLength, n % 2 == 0 ? 'B' : 'A');
            registry.setStringValue(key, "Note", note.c_str());
            registry.setDwordValue(key, CRegistry::kTraceLevelValue, 3 + n % 2);
            registry.closeKey(key);
            ++writes;
        }
    });
    std::atomic<int> torn{0};
    std::atomic<int> reads{0};
    std::thread reader([&] {
        TraceWriter quiet;
        CRegistry registry(quiet);
        std::string noteA(kNoteLength, 'A');
        std::string noteB(kNoteLength, 'B');
        noteA.push_back('"');
        noteB.push_back('"');
        while (!done) {
            // The file as a whole...
            const std::string text = ReadWholeFile(RegistryPath());
            const bool whole = text.find(kHeader) != std::string::npos && text.find(kKeyLine) != std::string::npos &&
                               text.find("\"CARD2\"=\"COM2\"") != std::string::npos &&
                               (text.find(noteA) != std::string::npos || text.find(noteB) != std::string::npos);
            // ...and through the registry class.
            CRegistry::HKEY key = 0;
            std::string note;
            uint32_t level = 0;
            const bool read = registry.openProviderKey(platform::registry::kAccessRead, &key) == 1 &&
                              registry.getStringValue(key, "Note", &note) == 1 &&
                              registry.getDwordValue(key, CRegistry::kTraceLevelValue, &level) == 1;
            registry.closeKey(key);
            if (!whole || !read || !WholeNote(note) || (level != 3 && level != 4)) {
                ++torn;
            }
            ++reads;
        }
    });
    // The library reads its cards at every start meanwhile.
    for (int round = 0; round < 4; ++round) {
        EXPECT_EQ(QXZAQStopLink(), ZAQ16_RET_SUCCESS);
        EXPECT_EQ(QXZAQStartLink(Deliver), 2u) << "round " << round;
    }
    WaitUntil([&] { return writes >= 50 && reads >= 50; }, 20000);
    done = true;
    writer.join();
    reader.join();
    EXPECT_GE(writes.load(), 1);
    EXPECT_GE(reads.load(), 1);
    EXPECT_EQ(torn.load(), 0);
    // No temporary file is left beside the registry file.
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
        const std::string name = entry.path().filename().string();
        EXPECT_TRUE(name.find("qxzaq16.reg.") != 0 || name == "qxzaq16.reg.lock") << name;
    }
}

// The file is edited by hand while the link runs, saved the way editors
// save (a new file renamed over the old one, or rewritten in place). The
// library never fails on what it finds, and its next start takes the edit.
TEST_F(RegistryDrill, AHandEditWhileTheLinkRunsIsTakenAtTheNextStart)
{
    ASSERT_EQ(StartLinkWith(2, Deliver, 3), 2u);
    const std::string original = ReadWholeFile(RegistryPath());
    ASSERT_NE(original.find("\"CARD2\"=\"COM2\""), std::string::npos);
    // The edit drops the second card.
    std::string edited = original;
    edited.replace(edited.find("\"CARD2\"=\"COM2\""), 14, "\"CARD2\"=\"\"");

    std::atomic<bool> done{false};
    std::thread editor([&] {
        for (int n = 0; !done; ++n) {
            const std::string& text = n % 2 == 0 ? edited : original;
            if (n % 4 < 2) {
                const std::string saved = RegistryPath() + ".swp";
                WriteWholeFile(saved, text);
                std::filesystem::rename(saved, RegistryPath());
            } else {
                WriteWholeFile(RegistryPath(), text);
            }
            std::this_thread::sleep_for(1ms);
        }
    });
    TraceWriter quiet;
    CRegistry registry(quiet);
    for (int round = 0; round < 200; ++round) {
        CRegistry::HKEY key = 0;
        std::string card;
        if (registry.openProviderKey(platform::registry::kAccessRead, &key) == 1 &&
            registry.getStringValue(key, "CARD2", &card) == 1) {
            EXPECT_TRUE(card == "COM2" || card.empty()) << card;
        }
        registry.closeKey(key);
    }
    for (int round = 0; round < 3; ++round) {
        EXPECT_EQ(QXZAQStopLink(), ZAQ16_RET_SUCCESS);
        EXPECT_LE(QXZAQStartLink(Deliver), 2u);
    }
    done = true;
    editor.join();

    // The last save holds: the edited file, or the original.
    WriteWholeFile(RegistryPath(), edited);
    EXPECT_EQ(QXZAQStopLink(), ZAQ16_RET_SUCCESS);
    EXPECT_EQ(QXZAQStartLink(Deliver), 1u);
    const size_t before = CountOf(0);
    sim->SendNotice(0, 2, true);
    EXPECT_TRUE(WaitUntil([&] { return CountOf(0) > before; }, 3000));
}

}  // namespace
