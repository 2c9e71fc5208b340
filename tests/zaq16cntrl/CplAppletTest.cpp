// The exported CPlApplet and its records, byte by byte, and the host's run
// through the control-panel messages.
#include <QApplication>
#include <QFile>
#include <cstring>

#include "AppletBench.h"
#include "CplApplet.h"
#include "CplRecords.h"
#include "Versions.h"
#include "platform/Program.h"
#include "platform/SharedLibrary.h"

namespace {

QByteArray Padded(const char* text, int size)
{
    QByteArray bytes(text);
    bytes.append(QByteArray(size - bytes.size(), '\0'));
    return bytes;
}

QByteArray Words(std::initializer_list<uint32_t> words)
{
    QByteArray bytes;
    for (uint32_t word : words) {
        for (int shift = 0; shift < 32; shift += 8) {
            bytes.append(static_cast<char>((word >> shift) & 0xFF));
        }
    }
    return bytes;
}

}  // namespace

class CplAppletTest : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        std::string error;
        applet = platform::SharedLibrary::Open(ZAQ16CNTRL_APPLET_FILE, error);
        QVERIFY2(applet != nullptr, error.c_str());
        entry = reinterpret_cast<cpl::AppletEntry>(applet->Symbol(cpl::kEntryName));
        QVERIFY(entry != nullptr);
    }
    void cleanup() { applet.reset(); }

    void libraryExportsOnlyCPlApplet()
    {
        QVERIFY(applet->Symbol("RunCplApplet") == nullptr);
        QVERIFY(applet->Symbol("_Z12RunCplAppletPvjll") == nullptr);
    }

    void inquireFillsTheOldRecordExactly()
    {
        QByteArray record(sizeof(cpl::CPLINFO), '\xAA');
        QCOMPARE(entry(nullptr, cpl::kInquire, 0, reinterpret_cast<intptr_t>(record.data())), 1);
        QCOMPARE(record, Words({128, 202, 203, 0}));
    }

    void newInquireFillsThe244ByteRecordExactly()
    {
        QByteArray record(244, '\xAA');
        QCOMPARE(entry(nullptr, cpl::kNewInquire, 0, reinterpret_cast<intptr_t>(record.data())), 1);
        const QByteArray expected = Words({244, 0, 0, 0, 128}) + Padded("ZAQ 16 Control Panel", 32) +
                                    Padded("Control Panel", 64) + QByteArray(128, '\0');
        QCOMPARE(expected.size(), 244);
        QCOMPARE(record, expected);
    }

    void quietMessagesReturnOne_data()
    {
        QTest::addColumn<uint32_t>("message");
        for (uint32_t message : {cpl::kInitialise, cpl::kGetCount, cpl::kSelect, cpl::kStop, cpl::kExit}) {
            QTest::addRow("message %u", message) << message;
        }
    }
    void quietMessagesReturnOne()
    {
        QFETCH(uint32_t, message);
        QCOMPARE(entry(nullptr, message, 0, 0), 1);
        // A panel that passes no record gets nothing written anywhere.
        QCOMPARE(entry(nullptr, cpl::kInquire, 0, 0), 1);
        QCOMPARE(entry(nullptr, cpl::kNewInquire, 0, 0), 1);
    }

    void unknownMessageShowsItsBoxAndReturnsOne_data()
    {
        QTest::addColumn<uint32_t>("message");
        QTest::newRow("0") << 0u;
        QTest::newRow("9") << 9u;
        QTest::newRow("large") << 0xFFFFFFFFu;
    }
    void unknownMessageShowsItsBoxAndReturnsOne()
    {
        QFETCH(uint32_t, message);
        AppletBench bench;
        QCOMPARE(RunCplApplet(nullptr, message, 0, 0), 1);
        QCOMPARE(bench.prompts.boxes.size(), size_t(1));
        QCOMPARE(bench.prompts.boxes[0].text, QString("Unknown uMsg in CPlApplet"));
        QCOMPARE(bench.prompts.boxes[0].caption, QString("Zaq16Cntrl.cpl"));
    }

    void hostSendsTheMessagesInPanelOrder_data()
    {
        QTest::addColumn<bool>("oldApplet");
        QTest::addColumn<QString>("messages");
        QTest::addColumn<QString>("description");
        QTest::newRow("new-style record") << false << "1 2 8 5 6 7 " << "Fake - Notes messages";
        QTest::newRow("old-style record") << true << "1 2 8 3 5 6 7 " << "(name string 2, information string 3)";
    }
    void hostSendsTheMessagesInPanelOrder()
    {
        QFETCH(bool, oldApplet);
        QFETCH(QString, messages);
        QFETCH(QString, description);
        AppletBench bench;
        const std::string log = bench.File("messages.txt");
        platform::Program::Environment environment{{"FAKE_APPLET_LOG", log}};
        if (oldApplet) {
            environment.emplace_back("FAKE_APPLET_OLD", "1");
        }
        const auto [code, output] =
            platform::RunProgram({ZAQ16CNTRL_HOST_FILE, "--applet", FAKE_APPLET_FILE}, environment, 30000);
        QCOMPARE(code, 0);
        QVERIFY2(QString::fromStdString(output).contains(description), output.c_str());
        QFile file(QString::fromStdString(log));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromLatin1(file.readAll()), messages);
    }

    void hostListsTheRealApplet()
    {
        const auto [code, output] =
            platform::RunProgram({ZAQ16CNTRL_HOST_FILE, "--list", "--applet", ZAQ16CNTRL_APPLET_FILE}, {}, 30000);
        QCOMPARE(code, 0);
        QCOMPARE(QString::fromStdString(output), QString("ZAQ 16 Control Panel - Control Panel\n"));
    }

    void hostFindsTheAppletBesideItself()
    {
        const auto [code, output] = platform::RunProgram({ZAQ16CNTRL_HOST_FILE, "--list"}, {}, 30000);
        QCOMPARE(code, 0);
        QVERIFY2(QString::fromStdString(output).startsWith("ZAQ 16 Control Panel"), output.c_str());
    }

    void hostReportsAMissingApplet_data()
    {
        QTest::addColumn<QString>("applet");
        QTest::newRow("no such file") << "/nonexistent/libZaq16Cntrl.so";
        QTest::newRow("library without the entry") << QString(ZAQ16CNTRL_HOST_FILE);
    }
    void hostReportsAMissingApplet()
    {
        QFETCH(QString, applet);
        const auto [code, output] =
            platform::RunProgram({ZAQ16CNTRL_HOST_FILE, "--applet", applet.toStdString()}, {}, 30000);
        QCOMPARE(code, 1);
        QVERIFY2(QString::fromStdString(output).startsWith("zaq16cntrl: "), output.c_str());
    }

    void hostRefusesUnknownArguments()
    {
        const auto [code, output] = platform::RunProgram({ZAQ16CNTRL_HOST_FILE, "--bogus"}, {}, 30000);
        QCOMPARE(code, 2);
        QVERIFY(QString::fromStdString(output).contains("usage: zaq16cntrl"));
    }

    void versionComesFromTheLibraryFileName_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("version");
        QTest::newRow("versioned") << "/usr/lib/libqxzaqlnk.so.1.4.0" << "1.4.0";
        QTest::newRow("bare") << "/usr/lib/libqxzaqlnk.so" << "";
        QTest::newRow("dot after so") << "/x/libqxzaqlnk.so." << "";
        QTest::newRow("directory with .so.") << "/a.so.2/libqxzaqlnk.so" << "";
    }
    void versionComesFromTheLibraryFileName()
    {
        QFETCH(QString, path);
        QFETCH(QString, version);
        QCOMPARE(QString::fromStdString(VersionOfFileName(path.toStdString())), version);
    }

private:
    std::unique_ptr<platform::SharedLibrary> applet;
    cpl::AppletEntry entry = nullptr;
};

ZAQ16CNTRL_TEST_MAIN(CplAppletTest)
#include "CplAppletTest.moc"
