// The viewer's window against the real library and simulated units: start-up
// lines, each control's effect on the units, the event list and the panes.
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "EventListModel.h"
#include "MainDialog.h"
#include "SimulatedUnits.h"

namespace {

// The Definity display "Ann 4711      DEC 10  9:00" as one HDLC frame (FCS included).
const std::vector<uint8_t> kDefinityDisplay = {
    0xe3, 0x03, 0xe3, 0x1b, 0x5b, 0x31, 0x3b, 0x00, 0x1b, 0x5b, 0x30, 0x4b, 0x41, 0x6e, 0x6e, 0x20, 0x34, 0x37,
    0x31, 0x31, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x44, 0x45, 0x43, 0x20, 0x31, 0x30, 0x20, 0x20, 0x39, 0x3a,
    0x30, 0x30, 0x1b, 0x5b, 0x30, 0x4b, 0x55, 0x7d};
// "Bob 4712      DEC 10  9:00".
const std::vector<uint8_t> kOtherDefinityDisplay = {
    0xe3, 0x03, 0xe3, 0x1b, 0x5b, 0x31, 0x3b, 0x00, 0x1b, 0x5b, 0x30, 0x4b, 0x42, 0x6f, 0x62, 0x20, 0x34, 0x37,
    0x31, 0x32, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x44, 0x45, 0x43, 0x20, 0x31, 0x30, 0x20, 0x20, 0x39, 0x3a,
    0x30, 0x30, 0x1b, 0x5b, 0x30, 0x4b, 0xe6, 0x17};
constexpr uint8_t kToUnit = 0x58;
constexpr uint8_t kFromSet = 0x48;

}  // namespace

class MainDialogTest : public QObject {
    Q_OBJECT

    QTemporaryDir settingsDir;
    QTemporaryDir files;
    std::unique_ptr<SimulatedUnits> units;
    std::unique_ptr<MainDialog> window;
    QStringList messages;  // "title|text" of each message box
    QString nextFile;      // what the next file dialog answers

    void Open(const std::vector<std::string>& pbxNames, int maxLines = EventListModel::kDefaultMaxLines)
    {
        units = std::make_unique<SimulatedUnits>(pbxNames);
        UserPrompts prompts;
        prompts.openFile = [this](QWidget*, const QString&, const QString&) { return nextFile; };
        prompts.saveFile = [this](QWidget*, const QString&, const QString&) { return nextFile; };
        prompts.message = [this](QWidget*, const QString& title, const QString& text) {
            messages << title + "|" + text;
        };
        window = std::make_unique<MainDialog>(maxLines, prompts);
        window->show();
        window->StartUp();
    }

    QStringList Lines() const
    {
        QStringList lines;
        for (const QString& line : window->Model().Lines()) {
            lines << line;
        }
        return lines;
    }

    bool WaitForLines(const QString& text, int count, int timeoutMs = 10000)
    {
        return WaitFor([&] { return CountContaining(Lines(), text) >= count; }, timeoutMs);
    }

    void EnableEvents()
    {
        window->SetDChannelEvents(true);
        QVERIFY(units->Sim().WaitForCommand(0, "ENRAW", 3000));
    }

private slots:
    void initTestCase() { IsolateSettings(settingsDir.path()); }

    void cleanup()
    {
        if (window) {
            window->close();
        }
        window.reset();
        units.reset();
        messages.clear();
        nextFile.clear();
    }

    void startUpListsEachBoardAndMarksTheOthersUnavailable()
    {
        Open({"Definity2D", "MeridianD"});
        const QStringList lines = Lines();
        QCOMPARE(lines.size(), 11);
        QCOMPARE(lines[0], QString(R"(Board Found 0 on \\.\COM1 Starting Channel 1 PBX Type 2)"));
        QCOMPARE(lines[1], QString("PBX is LUCENT DEFINITY2D"));
        QVERIFY2(QRegularExpression(R"(^(\d\d-\d\d-\d\d \d\d:\d\d:\d\d|UNKNOWN PBXTIME)$)").match(lines[2]).hasMatch(),
                 qPrintable(lines[2]));
        QCOMPARE(lines[3], QString("Board 0 Firmware Version 1.4.52"));
        QCOMPARE(lines[4], QString("Board 0 QXZAQGetDChannelStatus OFF"));
        QCOMPARE(lines[5], QString(R"(Board Found 1 on \\.\COM2 Starting Channel 17 PBX Type 1)"));
        QCOMPARE(lines[6], QString("PBX is NORTEL MERIDIAND"));
        QCOMPARE(lines[8], QString("Board 1 Firmware Version 1.4.52"));
        QCOMPARE(lines[9], QString("Board 1 QXZAQGetDChannelStatus OFF"));
        QCOMPARE(lines[10], QString("Number of ZAQs 2 "));
        QCOMPARE(window->BoardButton(0)->text(), QString("COM1"));
        QVERIFY(window->BoardButton(0)->isChecked());
        QCOMPARE(window->BoardButton(1)->text(), QString("COM2"));
        QVERIFY(window->BoardButton(1)->isEnabled());
        for (int board = 2; board < MainDialog::kBoardButtons; ++board) {
            QCOMPARE(window->BoardButton(board)->text(), QString("UnAvailable"));
            QVERIFY(!window->BoardButton(board)->isEnabled());
        }
        QCOMPARE(window->ViewedBoard(), 0);
        QVERIFY(!units->Commands(0).contains("ENRAW"));
        QVERIFY(!units->Sim().RawOutput(0));
    }

    void eventsEnableAndDisableSwitchEveryUnit()
    {
        Open({"Definity2D", "MeridianD"});
        units->Sim().ClearCommandLog(0);
        units->Sim().ClearCommandLog(1);
        window->findChild<QRadioButton*>("eventsEnable")->click();
        QVERIFY(units->Commands(0).contains("ENRAW"));
        QVERIFY(units->Commands(1).contains("ENRAW"));
        QVERIFY(units->Sim().RawOutput(0) && units->Sim().RawOutput(1));
        window->findChild<QRadioButton*>("eventsDisable")->click();
        QCOMPARE(units->Commands(1).last(), QString("DISRAW"));
        QVERIFY(!units->Sim().RawOutput(0) && !units->Sim().RawOutput(1));
    }

    // With updates off a repeated state is not posted again; with them on it is.
    void eventUpdatesDecideWhetherRepeatsAreListed()
    {
        Open({"MeridianD"});
        EnableEvents();
        window->findChild<QRadioButton*>("updatesDisable")->click();
        units->Sim().QueuePacket(0, 1, kFromSet, MeridianHook(true));
        units->Sim().QueuePacket(0, 1, kFromSet, MeridianHook(true));
        units->Sim().QueuePacket(0, 1, kFromSet, MeridianHook(false));
        QVERIFY(WaitForLines("Channel 2 QXEVT_ONHOOK", 1));
        QCOMPARE(CountContaining(Lines(), "Channel 2 QXEVT_OFFHOOK"), 1);
        window->findChild<QRadioButton*>("updatesEnable")->click();
        units->Sim().QueuePacket(0, 1, kFromSet, MeridianHook(false));
        units->Sim().QueuePacket(0, 1, kFromSet, MeridianHook(true));
        QVERIFY(WaitForLines("Channel 2 QXEVT_OFFHOOK", 2));
        QCOMPARE(CountContaining(Lines(), "Channel 2 QXEVT_ONHOOK"), 2);
    }

    void displayGoesToThePaneOfTheViewedBoardOnly()
    {
        Open({"Definity2D", "Definity2D"});
        EnableEvents();
        window->Channels().Select(5, false);
        units->Sim().QueuePacket(0, 4, kToUnit, kDefinityDisplay);  // channel 5
        units->Sim().QueuePacket(0, 5, kToUnit, kDefinityDisplay);  // channel 6
        QVERIFY(WaitFor([&] { return window->Pane(5)->toPlainText().contains("Ann 4711"); }));
        QVERIFY(WaitForLines("Board 0 Channel 6  Ann 4711", 1));
        QVERIFY(window->Pane(6)->toPlainText().contains("DEC 10"));
        QCOMPARE(CountContaining(Lines(), "Channel 5"), 0);
        QCOMPARE(CountContaining(Lines(), "Board 0, Channel 6 QXEVT_MESSAGE_CHANGE"), 1);

        // Another board's display leaves the panes alone; choosing a board empties them.
        QVERIFY(units->Sim().WaitForCommand(1, "ENRAW", 3000));
        units->Sim().QueuePacket(1, 6, kToUnit, kDefinityDisplay);  // channel 23
        QVERIFY(WaitForLines("Board 1 Channel 23  Ann", 1));
        QVERIFY(window->Pane(7)->toPlainText().isEmpty());
        window->BoardButton(1)->click();
        QCOMPARE(window->ViewedBoard(), 1);
        QVERIFY(window->Pane(5)->toPlainText().isEmpty());
        units->Sim().QueuePacket(1, 6, kToUnit, kOtherDefinityDisplay);
        QVERIFY(WaitFor([&] { return window->Pane(7)->toPlainText().contains("Bob 4712"); }));
        QVERIFY(window->Pane(5)->toPlainText().isEmpty());
    }

    // The routine reads the phone status from inside the library's callback.
    void phoneStatusUpdateListsTheAudioPaths()
    {
        Open({"MeridianD"});
        EnableEvents();
        units->Sim().QueuePacket(0, 0, kToUnit, {0x14, 0xc1});  // handset audio on
        QVERIFY(WaitForLines("Channel 1 QXEVT_AUDIO_ON(Handset 1)", 1));
        QCOMPARE(CountContaining(Lines(), "CURRENT HANDSET AUDIO"), 0);
        window->SetPhoneStatusUpdate(true);
        units->Sim().QueuePacket(0, 0, kToUnit, {0x14, 0x01});  // handset audio off
        QVERIFY(WaitForLines("CURRENT SPEAKER AUDIO : ", 1));
        const QStringList lines = Lines();
        const int audio = static_cast<int>(lines.indexOf(QRegularExpression(".*Channel 1 QXEVT_AUDIO_OFF.*")));
        QVERIFY(audio >= 0);
        QVERIFY(lines.at(audio + 1).startsWith("CURRENT HANDSET AUDIO : "));
        QVERIFY(lines.at(audio + 2).startsWith("CURRENT HANDSFREE AUDIO : "));
        QVERIFY(lines.at(audio + 3).startsWith("CURRENT RECEIVER AUDIO : "));
        QVERIFY(lines.at(audio + 4).startsWith("CURRENT SPEAKER AUDIO : "));
    }

    void switchingDeliveryModesLeavesExactlyOneSource()
    {
        Open({"MeridianD"});
        int expected = 0;
        for (const bool polling : {true, false, true, false}) {
            (polling ? window->findChild<QRadioButton*>("eventPolling")
                     : window->findChild<QRadioButton*>("eventCallback"))
                ->click();
            QCOMPARE(window->PollingMode(), polling);
            QCOMPARE(CountContaining(Lines(), "Number of ZAQs 1 "), expected + 2);
            EnableEvents();
            units->Sim().QueuePacket(0, 2, kFromSet, MeridianHook(++expected % 2 == 1));
            const QString text = expected % 2 == 1 ? "Channel 3 QXEVT_OFFHOOK" : "Channel 3 QXEVT_ONHOOK";
            QVERIFY(WaitForLines(text, (expected + 1) / 2));
            QTest::qWait(300);  // a second source would have listed it again by now
            QCOMPARE(CountContaining(Lines(), "Channel 3 QXEVT_"), expected);
            units->Sim().ClearCommandLog(0);
        }
    }

    // Each polling round takes every event waiting: a burst is listed whole,
    // and the list still answers (its filter) afterwards. How long the window
    // may stall is the benchmark's business, not a test's.
    void burstInPollingModeIsListedWhole()
    {
        Open({"MeridianD"}, 200000);
        window->SetPollingMode(true);
        EnableEvents();
        constexpr int kEvents = 50000;
        for (int i = 0; i < kEvents; ++i) {
            const auto line = static_cast<uint8_t>(i % 16);
            units->Sim().QueuePacket(0, line, kFromSet, MeridianHook((i / 16) % 2 == 0));
        }
        const auto hookLines = [&] {
            return CountContaining(Lines(), "QXEVT_OFFHOOK") + CountContaining(Lines(), "QXEVT_ONHOOK");
        };
        QVERIFY(WaitFor([&] { return window->Model().rowCount() >= kEvents; }, 120000));
        QVERIFY(WaitFor([&] { return hookLines() >= kEvents; }, 30000));
        QCOMPARE(hookLines(), kEvents);
        window->FilterField()->setText("QXEVT_ONHOOK");
        const int onHook = CountContaining(Lines(), "QXEVT_ONHOOK");
        QVERIFY(onHook > 0);
        QCOMPARE(window->VisibleLines().size(), onHook);
    }

    // The link restarts while events stream in: no source is left behind, no
    // event is listed twice, and closing while polling with a backlog ends.
    void switchingModesDuringABurst()
    {
        Open({"MeridianD"});
        EnableEvents();
        constexpr int kEvents = 4000;
        for (int i = 0; i < kEvents; ++i) {
            units->Sim().QueuePacket(0, static_cast<uint8_t>(i % 16), kFromSet, MeridianHook((i / 16) % 2 == 0));
        }
        const auto hookLines = [&] {
            return CountContaining(Lines(), "QXEVT_OFFHOOK") + CountContaining(Lines(), "QXEVT_ONHOOK");
        };
        QVERIFY(WaitFor([&] { return hookLines() > 0; }));
        window->SetPollingMode(true);
        window->SetPollingMode(false);
        window->SetPollingMode(true);
        QVERIFY(units->Sim().WaitUntilSent(0, 10000));
        QTest::qWait(500);
        QVERIFY(hookLines() <= kEvents);
        QCOMPARE(CountContaining(Lines(), "Number of ZAQs 1 "), 4);
        for (int i = 0; i < kEvents; ++i) {
            units->Sim().QueuePacket(0, static_cast<uint8_t>(i % 16), kFromSet, MeridianHook((i / 16) % 2 == 1));
        }
        window->close();
        QVERIFY(!window->PollingMode());
    }

    void saveEventLogWritesTheListedLines()
    {
        Open({"MeridianD"});
        nextFile = files.filePath("events.log");
        window->SaveEventLog();
        QFile file(nextFile);
        QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
        QString expected;
        int number = 0;
        for (const QString& line : Lines()) {
            expected += QStringLiteral("\nLine %1: %2").arg(++number).arg(line);
        }
        QCOMPARE(QString::fromLatin1(file.readAll()), expected);
        QCOMPARE(number, 6);
        QVERIFY(messages.isEmpty());

        nextFile = files.filePath("no/such/dir/events.log");
        window->SaveEventLog();
        QCOMPARE(messages, QStringList{nextFile + "|Event Log Not Created."});
    }

    void pbxTimeListsEveryBoardAndSurvivesAVanishedUnit()
    {
        Open({"MeridianD", "Definity2D"});
        units->Sim().Vanish(1);
        window->findChild<QPushButton*>("pbxTime")->click();
        const QStringList lines = Lines();
        QVERIFY(lines.at(lines.size() - 2).startsWith("Board 0 "));
        QCOMPARE(lines.last(), QString("Board 1 UNKNOWN PBXTIME"));
    }

    void recordStopAndPlayThroughTheFileButtons()
    {
        Open({"MeridianD"});
        EnableEvents();
        nextFile = files.filePath("calls.dmp");
        window->Record();
        units->Sim().QueuePacket(0, 3, kFromSet, MeridianHook(true));
        QVERIFY(WaitForLines("Channel 4 QXEVT_OFFHOOK", 1));
        window->StopFiles();
        QVERIFY(QFile(nextFile).size() > 0);

        window->SetDChannelEvents(false);
        window->Playback().style = 1;
        window->Play();
        QVERIFY(WaitForLines("QXEVT_FINISHED_PLAY", 1));
        QCOMPARE(CountContaining(Lines(), "Channel 4 QXEVT_OFFHOOK"), 2);
        window->StopFiles();

        // A file that vanished between the dialog and the call: no line, no crash.
        nextFile = files.filePath("gone.dmp");
        window->Play();
        nextFile.clear();
        window->Play();
        window->Record();
    }

    void filterNarrowsTheListAndCapDropsTheOldest()
    {
        Open({"MeridianD"}, 100);
        QStringList burst;
        for (int i = 0; i < 150; ++i) {
            burst << QStringLiteral("line %1 %2").arg(i).arg(i % 2 == 0 ? "even" : "odd");
        }
        window->Inbox().AddLines(burst);
        QVERIFY(WaitFor([&] { return Lines().contains("line 149 odd"); }));
        QVERIFY(window->Model().rowCount() <= 100);
        QVERIFY(!window->DroppedNotice()->isHidden());
        QVERIFY(window->DroppedNotice()->text().contains("keeps the newest 100 lines"));
        window->FilterField()->setText("EVEN");
        const QStringList visible = window->VisibleLines();
        QVERIFY(!visible.isEmpty());
        QCOMPARE(CountContaining(visible, "even"), visible.size());
        window->FilterField()->clear();
        QCOMPARE(window->VisibleLines().size(), window->Model().rowCount());
        window->findChild<QPushButton*>("clear")->click();
        QCOMPARE(window->Model().rowCount(), 0);
        QVERIFY(window->DroppedNotice()->isHidden());
    }

    void windowSizeAndSplittersAreRemembered()
    {
        Open({"MeridianD"});
        window->resize(900, 640);
        QTest::qWait(50);
        const QSize size = window->size();
        window->close();
        window = std::make_unique<MainDialog>();
        QCOMPARE(window->size(), size);
    }
};

QTEST_MAIN(MainDialogTest)
#include "MainDialogTest.moc"
