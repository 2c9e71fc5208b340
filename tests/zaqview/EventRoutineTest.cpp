// The event routine's lines and pane texts, the inbox and the capped list,
// without a link: the two library reads are answered by the test.
#include <QSignalSpy>
#include <QTest>
#include <cstring>
#include <thread>

#include "ChannelSelection.h"
#include "EventInbox.h"
#include "EventListModel.h"
#include "EventRoutine.h"

namespace {

// What the fake library entries answer and what they were asked.
struct FakeLibrary {
    std::string display;
    uint32_t messageResult = ZAQ16_RET_SUCCESS;
    uint32_t lastSize = 0;
    ZAQ16_PHONE_STATUS status{};
};
FakeLibrary fake;

uint32_t FakeGetMessage(uint32_t, char* buffer, uint32_t size)
{
    fake.lastSize = size;
    if (fake.messageResult != ZAQ16_RET_SUCCESS && fake.messageResult != ZAQ16_RET_TRUNCATED) {
        return fake.messageResult;
    }
    std::memcpy(buffer, fake.display.data(), std::min<size_t>(size, fake.display.size()));
    return fake.messageResult;
}

uint32_t FakeGetPhoneStatus(uint32_t, ZAQ16_PHONE_STATUS* status)
{
    *status = fake.status;
    return ZAQ16_RET_SUCCESS;
}

ZAQ16_EVENT Event(uint32_t code, uint32_t param, uint32_t board, uint32_t channel)
{
    ZAQ16_EVENT event{};
    event.timeStamp = 5;
    event.eventCode = code;
    event.param = param;
    event.board = board;
    event.channel = channel;
    return event;
}

}  // namespace

class EventRoutineTest : public QObject {
    Q_OBJECT

    ChannelSelection channels;
    EventInbox inbox;
    EventRoutine routine{channels, inbox, PhoneReader{&FakeGetMessage, &FakeGetPhoneStatus}};

    InboxBatch Show(const ZAQ16_EVENT& event, uint32_t expectedResult = 1)
    {
        inbox.Take();
        const uint32_t result = routine.ShowEvent(event);
        if (result != expectedResult) {
            qWarning("ShowEvent returned %u", result);
        }
        return inbox.Take();
    }

private slots:
    void init()
    {
        channels.SelectAll();
        routine.SetPhoneStatusUpdate(false);
        fake = FakeLibrary{};
    }

    void eventLines_data()
    {
        QTest::addColumn<uint>("code");
        QTest::addColumn<uint>("param");
        QTest::addColumn<uint>("board");
        QTest::addColumn<uint>("channel");
        QTest::addColumn<QString>("line");
        const auto row = [](const char* name, uint code, uint param, uint board, uint channel, const char* line) {
            QTest::newRow(name) << code << param << board << channel << QString(line);
        };
        row("unknown 0x77", 0x77, 9, 0, 3, "(5) B 0, C3 UNKNOWN EVENT(0x0077) ");
        row("unnamed lamp slot", 0x1066, 1, 0, 3, "(5) B 0, C3 UNKNOWN EVENT(0x1066) ");
        row("beyond the last code", 0x2000, 1, 1, 20, "(5) B 1, C20 UNKNOWN EVENT(0x2000) ");
        row("audio handset", QXEVT_AUDIO_ON, 1, 0, 3, "(5) Board 0, Channel 3 QXEVT_AUDIO_ON(Handset 1)");
        row("audio handsfree", QXEVT_AUDIO_OFF, 2, 0, 3, "(5) Board 0, Channel 3 QXEVT_AUDIO_OFF(Handsfree 2)");
        row("audio receiver", QXEVT_AUDIO_ON, 3, 0, 3, "(5) Board 0, Channel 3 QXEVT_AUDIO_ON(HandsetReceiver 3)");
        row("audio speaker", QXEVT_AUDIO_OFF, 4, 0, 3, "(5) Board 0, Channel 3 QXEVT_AUDIO_OFF(Speaker Monitor 4)");
        row("audio unknown", QXEVT_AUDIO_ON, 9, 0, 3, "(5) Board 0, Channel 3 QXEVT_AUDIO_ON(Unknown)");
        row("digit", QXEVT_DIGIT_PRESSED, '7', 0, 3, "(5) Board 0, Channel 3 QXEVT_DIGIT_PRESSED(7) ");
        row("digit star", QXEVT_DIGIT_PRESSED, '*', 1, 17, "(5) Board 1, Channel 17 QXEVT_DIGIT_PRESSED(*) ");
        row("named lamp", QXEVT_HOLD_LIGHT_ON, 7, 0, 3, "(5) Board 0, Channel 3 QXEVT_HOLD_LIGHT_ON(0x0007)");
        row("last named lamp", QXEVT_CALLWAITING_LIGHT_QUICKFLASH, 0x1234, 0, 3,
            "(5) Board 0, Channel 3 QXEVT_CALLWAITING_LIGHT_QUICKFLASH(0x1234)");
        row("connection code", QXEVT_ABANDONED, 0x12, 0, 3, "(5) Board 0, Channel 3 QXEVT_ABANDONED(0x0012)");
        row("mute button", QXEVT_MUTE_BUTTON_PRESSED, 2, 0, 3, "(5) Board 0, Channel 3 QXEVT_MUTE_BUTTON_PRESSED(0x0002)");
        row("call released", QXEVT_CALL_RELEASED, 332, 2, 33, "(5) Board 2, Channel 33 QXEVT_CALL_RELEASED(0x014c)");
        row("call rejected", QXEVT_CALL_REJECTED, 332, 2, 33, "(5) Board 2, Channel 33 QXEVT_CALL_REJECTED(0x014c)");
        row("call alerting", QXEVT_CALL_ALERTING, 332, 2, 33, "(5) Board 2, Channel 33 QXEVT_CALL_ALERTING(0x014c)");
        row("user info is not named", QXEVT_CALL_USER_INFO, 280, 2, 33, "(5) B 2, C33 UNKNOWN EVENT(0x0077) ");
        row("off hook", QXEVT_OFFHOOK, 0, 0, 1, "(5) Board 0, Channel 1 QXEVT_OFFHOOK ");
        row("lamp colour", QXEVT_LIGHT_ON, 0x0105, 0, 1, "(5) Board 0, Channel 1 QXEVT_LIGHT_ON(GREEN 5)");
        row("channel 0", QXEVT_ONHOOK, 0, 0, 0, "(5) Board 0, Channel 0 QXEVT_ONHOOK ");
        row("ninth board", QXEVT_ONHOOK, 0, 8, 129, "(5) Board 8, Channel 129 QXEVT_ONHOOK ");
        row("channel far out", QXEVT_ONHOOK, 0, 15, 0xFFFFFFFF, "(5) Board 15, Channel -1 QXEVT_ONHOOK ");
    }

    void eventLines()
    {
        QFETCH(uint, code);
        QFETCH(uint, param);
        QFETCH(uint, board);
        QFETCH(uint, channel);
        QFETCH(QString, line);
        const InboxBatch batch = Show(Event(code, param, board, channel));
        QCOMPARE(batch.lines, QStringList{line});
        QVERIFY(batch.panes.empty());
    }

    // Channels without a flag are listed and never touch the flags.
    void channelsOutsideTheFlagsAreListedWithoutTouchingThem()
    {
        for (uint32_t channel = 1; channel <= ChannelSelection::kChannels; ++channel) {
            channels.Select(channel, false);
        }
        for (const uint32_t channel : {0u, 129u, 200u, 0xFFFFFFFFu}) {
            QCOMPARE(Show(Event(QXEVT_OFFHOOK, 0, 8, channel)).lines.size(), 1);
            channels.Select(channel, false);
            QVERIFY(channels.IsListed(channel));
            QVERIFY(!channels.IsSelected(channel));
        }
        QCOMPARE(Show(Event(QXEVT_OFFHOOK, 0, 0, 128), 0).lines.size(), 0);
        QCOMPARE(Show(Event(QXEVT_OFFHOOK, 0, 0, 1), 0).lines.size(), 0);
    }

    void deselectedChannelIsDropped()
    {
        channels.Select(17, false);
        QCOMPARE(Show(Event(QXEVT_OFFHOOK, 0, 1, 17), 0).lines.size(), 0);
        QCOMPARE(Show(Event(QXEVT_OFFHOOK, 0, 1, 18)).lines.size(), 1);
    }

    void displayTextSplitsAtLineFeedsIntoThePane()
    {
        fake.display = "A\n\nB";
        const InboxBatch batch = Show(Event(QXEVT_MESSAGE_CHANGE, 4, 1, 19));
        QCOMPARE(batch.lines, (QStringList{"(5) Board 1, Channel 19 QXEVT_MESSAGE_CHANGE (4)",
                                           "(5) Board 1 Channel 19  A", "(5) Board 1 Channel 19  B"}));
        QCOMPARE(batch.panes.size(), size_t{1});
        QCOMPARE(batch.panes[0].board, 1u);
        QCOMPARE(batch.panes[0].pane, 3u);
        QCOMPARE(batch.panes[0].text, QString("A\n\nB"));
        QCOMPARE(fake.lastSize, 4u);
    }

    void deselectedChannelStillUpdatesItsPane()
    {
        channels.Select(5, false);
        fake.display = "HELLO";
        const InboxBatch batch = Show(Event(QXEVT_MESSAGE_CHANGE, 5, 0, 5));
        QVERIFY(batch.lines.isEmpty());
        QCOMPARE(batch.panes.size(), size_t{1});
        QCOMPARE(batch.panes[0].pane, 5u);
        QCOMPARE(batch.panes[0].text, QString("HELLO"));
    }

    void emptyDisplayTextEmptiesThePane()
    {
        fake.display = "";
        const InboxBatch batch = Show(Event(QXEVT_MESSAGE_CHANGE, 0, 0, 16));
        QCOMPARE(batch.lines, QStringList{"(5) Board 0, Channel 16 QXEVT_MESSAGE_CHANGE (0)"});
        QCOMPARE(batch.panes.size(), size_t{1});
        QCOMPARE(batch.panes[0].pane, 16u);
        QVERIFY(batch.panes[0].text.isEmpty());
    }

    void failedMessageReadIsListedOnlyForSelectedChannels()
    {
        fake.messageResult = ZAQ16_RET_BAD_CHANNEL;
        const InboxBatch listed = Show(Event(QXEVT_MESSAGE_CHANGE, 3, 0, 2));
        QCOMPARE(listed.lines, (QStringList{"(5) Board 0, Channel 2 QXEVT_MESSAGE_CHANGE (3)",
                                            "Error Getting Message e0002009"}));
        QVERIFY(listed.panes.empty());
        channels.Select(2, false);
        const InboxBatch dropped = Show(Event(QXEVT_MESSAGE_CHANGE, 3, 0, 2), 0);
        QVERIFY(dropped.lines.isEmpty());
        QVERIFY(dropped.panes.empty());
    }

    void truncatedTextIsShown()
    {
        fake.display = "ABCDEF";
        fake.messageResult = ZAQ16_RET_TRUNCATED;
        const InboxBatch batch = Show(Event(QXEVT_MESSAGE_CHANGE, 3, 0, 2));
        QCOMPARE(batch.panes.at(0).text, QString("ABC"));
    }

    // The length word is not trusted for the buffer: no huge allocation, no wrap to 0.
    void hugeLengthIsReadIntoABoundedBuffer()
    {
        fake.display = "X";
        const InboxBatch batch = Show(Event(QXEVT_MESSAGE_CHANGE, 0xFFFFFFFF, 0, 2));
        QCOMPARE(fake.lastSize, EventRoutine::kMaxDisplayText);
        QCOMPARE(batch.panes.at(0).text, QString("X"));
    }

    void displayOfAChannelOutsideItsBoardHasNoPane()
    {
        fake.display = "Z";
        QVERIFY(Show(Event(QXEVT_MESSAGE_CHANGE, 1, 0, 0)).panes.empty());
        QVERIFY(Show(Event(QXEVT_MESSAGE_CHANGE, 1, 0, 17)).panes.empty());
        QVERIFY(Show(Event(QXEVT_MESSAGE_CHANGE, 1, 0xFFFFFFFF, 3)).panes.empty());
    }

    void connectedCallListsItsNumbers()
    {
        ZAQ16_CALL_STATUS call{};
        call.callingNumber.digitCount = 4;
        std::memcpy(call.callingNumber.digits, "4711", 4);
        call.calledNumber.digitCount = 32;  // no terminator: at most 31 shown
        std::memset(call.calledNumber.digits, '9', sizeof call.calledNumber.digits);
        ZAQ16_EVENT event = Event(QXEVT_CALL_CONNECTED, sizeof call, 2, 33);
        event.callRecord = &call;
        const InboxBatch batch = Show(event);
        QCOMPARE(batch.lines, (QStringList{"(5) Board 2, Channel 33 QXEVT_CALL_CONNECTED(0x014c)",
                                           "(5) Board 2, Channel 33 Calling Number : 4711",
                                           "(5) Board 2, Channel 33 Called Number : " + QString(31, '9')}));
        // Polled (no record) or a record too short: the event line alone.
        event.callRecord = nullptr;
        QCOMPARE(Show(event).lines.size(), 1);
        event.callRecord = &call;
        event.param = 8;
        QCOMPARE(Show(event).lines.size(), 1);
    }

    void audioListsThePhoneStatusWhenAsked()
    {
        fake.status.handsetAudio = 0x1026;
        fake.status.handsfreeAudio = 0x1027;
        fake.status.handsetReceiverAudio = 0xA;
        fake.status.speakerMonitorAudio = 0;
        QCOMPARE(Show(Event(QXEVT_AUDIO_ON, 1, 0, 3)).lines.size(), 1);
        routine.SetPhoneStatusUpdate(true);
        QCOMPARE(Show(Event(QXEVT_AUDIO_OFF, 1, 0, 3)).lines,
                 (QStringList{"(5) Board 0, Channel 3 QXEVT_AUDIO_OFF(Handset 1)", "CURRENT HANDSET AUDIO : 1026",
                              "CURRENT HANDSFREE AUDIO : 1027", "CURRENT RECEIVER AUDIO : a",
                              "CURRENT SPEAKER AUDIO : 0"}));
        QCOMPARE(Show(Event(QXEVT_OFFHOOK, 0, 0, 3)).lines.size(), 1);
    }

    // Producers on other threads; the window's thread gets one announcement per batch.
    void inboxGathersAcrossThreads()
    {
        EventInbox threaded(5);
        QSignalSpy ready(&threaded, &EventInbox::BatchReady);
        std::vector<std::thread> producers;
        for (int t = 0; t < 4; ++t) {
            producers.emplace_back([&threaded, t] {
                for (int i = 0; i < 1000; ++i) {
                    threaded.AddLines({QStringLiteral("%1-%2").arg(t).arg(i)});
                }
            });
        }
        for (auto& producer : producers) {
            producer.join();
        }
        QVERIFY(ready.wait(5000));
        const InboxBatch batch = threaded.Take();
        QCOMPARE(batch.lines.size(), 4000);
        QVERIFY(batch.lines.indexOf("2-999") > batch.lines.indexOf("2-0"));
        threaded.AddLines({"again"});
        QVERIFY(ready.wait(5000));
        QCOMPARE(threaded.Take().lines, QStringList{"again"});
    }

    // A window that does not take its batches for a while: the inbox keeps the newest lines only.
    void inboxLetsOldLinesGoWhileTheWindowIsBusy()
    {
        EventInbox busy(5, 100);
        for (int i = 0; i < 250; ++i) {
            busy.AddLines({QString::number(i)});
        }
        const InboxBatch batch = busy.Take();
        QVERIFY(batch.lines.size() >= 100 && batch.lines.size() < 200);
        QCOMPARE(batch.lines.last(), QString("249"));
        QCOMPARE(batch.droppedLines + batch.lines.size(), 250);
        QCOMPARE(busy.Take().droppedLines, 0);

        EventListModel model(100);
        model.NoteDropped(batch.droppedLines);
        model.Append(batch.lines);
        QCOMPARE(model.DroppedLines() + model.rowCount(), 250);
    }

    void listKeepsTheNewestLinesAtItsCap()
    {
        EventListModel model(200);
        QSignalSpy dropped(&model, &EventListModel::LinesDropped);
        for (int i = 0; i < 250; ++i) {
            model.Append({QString::number(i)});
        }
        QVERIFY(model.rowCount() <= 200);
        QCOMPARE(model.index(model.rowCount() - 1).data().toString(), QString("249"));
        QCOMPARE(model.DroppedLines() + model.rowCount(), 250);
        QVERIFY(!dropped.isEmpty());
        QStringList big;
        for (int i = 0; i < 450; ++i) {
            big << QStringLiteral("b%1").arg(i);
        }
        model.Append(big);
        QCOMPARE(model.rowCount(), 200);
        QCOMPARE(model.index(0).data().toString(), QString("b250"));
        QCOMPARE(model.index(199).data().toString(), QString("b449"));
        QCOMPARE(model.DroppedLines(), 700 - 200);
        model.Clear();
        QCOMPARE(model.rowCount(), 0);
        QCOMPARE(model.DroppedLines(), 0);
        QVERIFY(!model.index(0).data().isValid());
    }
};

QTEST_GUILESS_MAIN(EventRoutineTest)
#include "EventRoutineTest.moc"
