// The main dialog on simulated units: the tree, Add and Remove Card with the
// registry file after each, the trace settings, the message table.
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>

#include "AppletBench.h"
#include "CardRegistry.h"
#include "ErrorMessages.h"
#include "FirmwareDialog.h"
#include "MainDialog.h"
#include "PropertySheet.h"
#include "platform/SerialDevice.h"
#include "qxzaqlnk.h"

namespace {

using Cards = std::vector<std::string>;

zaqsim::UnitConfig Unit(uint32_t serial, const char* pbx = "Definity2D")
{
    zaqsim::UnitConfig config;
    config.serialNumber = serial;
    config.pbxName = pbx;
    return config;
}

QStringList TreeLabels(const CZaq16CntrlDlg& dialog)
{
    QStringList labels;
    const QTreeWidgetItem* root = dialog.Tree()->topLevelItem(0);
    for (int i = 0; root != nullptr && i < root->childCount(); ++i) {
        labels << root->child(i)->text(0);
    }
    return labels;
}

// The COM names among the offered ports (the machine's own devices may be offered too).
QStringList ComNames(const QStringList& ports)
{
    QStringList names;
    for (const QString& port : ports) {
        if (port.startsWith("COM")) {
            names << port;
        }
    }
    return names;
}

bool CanOpen(const std::string& port)
{
    uint32_t error = 0;
    return platform::OpenSerialDevice(port, error) != nullptr;
}

}  // namespace

class MainDialogTest : public QObject {
    Q_OBJECT
private slots:
    void init() { bench = std::make_unique<AppletBench>(); }
    void cleanup() { bench.reset(); }

    void opensWithTheUnitsOfTheRegistry()
    {
        bench->StartUnits({Unit(501), Unit(502)});
        bench->WriteRegistry({"COM1", "COM2"});
        CZaq16CntrlDlg dialog;
        QCOMPARE(dialog.cardCount(), 2u);
        QCOMPARE(dialog.Tree()->topLevelItem(0)->text(0), QString("ZAQ Boards"));
        QCOMPARE(TreeLabels(dialog), (QStringList{"ZAQ #1 COM Port COM1 #501", "ZAQ #2 COM Port COM2 #502"}));
        for (const char* name : {"properties", "firmware", "remove"}) {
            QVERIFY2(dialog.Button(name)->isEnabled(), name);
        }
        QVERIFY(dialog.LevelButton(3)->isChecked());
        QCOMPARE(dialog.TraceFileText(), bench->dir.path() + "/qxzaqlnk.log");
        QVERIFY(dialog.windowTitle().startsWith("Calvoro ZAQ Control Panel 1."));
        QVERIFY2(QRegularExpression("^\\d+\\.\\d+\\.\\d+$").match(dialog.LibraryVersionText()).hasMatch(),
                 qPrintable(dialog.LibraryVersionText()));
        // The units are held by the link while the dialog is open, released when it closes.
        QVERIFY(!CanOpen("COM1"));
        dialog.reject();
        QVERIFY(CanOpen("COM1"));
    }

    void appletTraceUsesTheLibraryLineFormat()
    {
        bench->StartUnits({Unit(501)});
        bench->WriteRegistry({"COM1"});
        {
            CZaq16CntrlDlg dialog;
        }
        const QString log = QString::fromStdString(bench->AppletLog());
        QVERIFY2(QRegularExpression("\n.{24} INFO   -CZaq16CntrlDlg::OnInitDialog Control Panel Version\\d").match(log).hasMatch(),
                 qPrintable(log));
        QVERIFY2(log.contains(" INFO   -CZaq16CntrlDlg::OnPaint() clearing 1 cards"), qPrintable(log));
    }

    void noUnitsDisablesTheUnitButtons()
    {
        bench->WriteRegistry({});
        CZaq16CntrlDlg dialog;
        QCOMPARE(dialog.cardCount(), 0u);
        for (const char* name : {"properties", "firmware", "remove"}) {
            QVERIFY2(!dialog.Button(name)->isEnabled(), name);
        }
        dialog.OnRemove();
        QVERIFY(dialog.CreatePropertySheet() == nullptr);
        QCOMPARE(bench->prompts.Texts(), (QStringList{"A ZAQ card must be selected to REMOVE.",
                                                      "A ZAQ card must be selected to set properties."}));
        QCOMPARE(bench->prompts.boxes[0].caption, QString("Error!"));
    }

    void missingKeyIsCreatedWithItsDefaults()
    {
        CZaq16CntrlDlg dialog;
        QCOMPARE(bench->Dword("# of COMPorts"), std::optional<uint32_t>(0));
        QCOMPARE(bench->Dword("TraceLevel"), std::optional<uint32_t>(3));
        QCOMPARE(bench->String("TracePath"), std::optional<std::string>(bench->dir.path().toStdString()));
        QCOMPARE(dialog.TraceFileText(), bench->dir.path() + "/qxzaqlnk.log");
    }

    // Adding the first unit must leave the link started on it.
    void addingTheFirstUnitStartsTheLinkOnIt()
    {
        bench->StartUnits({Unit(501)});
        bench->WriteRegistry({});
        CZaq16CntrlDlg dialog;
        QCOMPARE(dialog.cardCount(), 0u);
        bench->prompts.choosePort = [](const QStringList&) { return QString("COM1"); };
        dialog.OnAdd();
        QCOMPARE(ComNames(bench->prompts.portLists.at(0)), QStringList{"COM1"});
        QCOMPARE(bench->Cards(), (Cards{"COM1"}));
        QCOMPARE(dialog.cardCount(), 1u);
        QCOMPARE(TreeLabels(dialog), QStringList{"ZAQ #1 COM Port COM1 #501"});
        QVERIFY(dialog.Button("remove")->isEnabled());
        QVERIFY(!CanOpen("COM1"));
        QVERIFY(bench->AppletLog().find("new port added COM1") != std::string::npos);
    }

    void addingOffersOnlyFreePortsThatAreNoCards()
    {
        bench->StartUnits({Unit(501), Unit(502), Unit(503), Unit(504)});
        bench->WriteRegistry({"COM2"});
        uint32_t error = 0;
        auto heldElsewhere = platform::OpenSerialDevice("COM3", error);
        QVERIFY(heldElsewhere != nullptr);
        CZaq16CntrlDlg dialog;
        bench->prompts.choosePort = [](const QStringList&) { return QString("COM4"); };
        dialog.OnAdd();
        QCOMPARE(ComNames(bench->prompts.portLists.at(0)), (QStringList{"COM1", "COM4"}));
        QCOMPARE(bench->Cards(), (Cards{"COM2", "COM4"}));
        QCOMPARE(dialog.cardCount(), 2u);
        // Next time neither COM2 nor COM4 is offered.
        bench->prompts.choosePort = nullptr;
        dialog.OnAdd();
        QCOMPARE(ComNames(bench->prompts.portLists.at(1)), QStringList{"COM1"});
        QCOMPARE(bench->Cards(), (Cards{"COM2", "COM4"}));
    }

    void noFreePortSaysSo()
    {
        bench->StartUnits({Unit(501)});
        bench->WriteRegistry({"COM1"});
        CZaq16CntrlDlg dialog;
        dialog.OnAdd();
        if (!bench->prompts.portLists.empty()) {
            // This machine has serial devices of its own; COM1 must not be among them.
            QVERIFY(ComNames(bench->prompts.portLists[0]).isEmpty());
            return;
        }
        QCOMPARE(bench->prompts.Texts(), QStringList{"No COM Ports Available."});
        QCOMPARE(bench->prompts.boxes[0].caption, QString("Information"));
    }

    void addingAListedPortChangesNothing()
    {
        bench->WriteRegistry({"COM1", "COM2"});
        CardRegistry registry;
        QCOMPARE(registry.AddCard("COM2"), CardRegistry::AddResult::AlreadyListed);
        QCOMPARE(registry.AddCard("\\\\.\\COM1"), CardRegistry::AddResult::AlreadyListed);
        QCOMPARE(bench->Cards(), (Cards{"COM1", "COM2"}));
        QCOMPARE(registry.AddCard("COM3"), CardRegistry::AddResult::Added);
        QCOMPARE(bench->Cards(), (Cards{"COM1", "COM2", "COM3"}));
    }

    void removingAMiddleUnitRenumbersTheRest()
    {
        bench->StartUnits({Unit(501), Unit(502), Unit(503)});
        bench->WriteRegistry({"COM1", "COM2", "COM3"});
        CZaq16CntrlDlg dialog;
        QCOMPARE(dialog.cardCount(), 3u);
        QVERIFY(dialog.SelectUnit(1));
        dialog.OnRemove();
        QCOMPARE(bench->Cards(), (Cards{"COM1", "COM3"}));
        QCOMPARE(bench->String("CARD3"), std::nullopt);
        QCOMPARE(dialog.cardCount(), 2u);
        QCOMPARE(TreeLabels(dialog), (QStringList{"ZAQ #1 COM Port COM1 #501", "ZAQ #2 COM Port COM3 #503"}));
        QVERIFY(CanOpen("COM2"));
        QVERIFY(!CanOpen("COM3"));
    }

    void removingTheLastUnitLeavesAnEmptyList()
    {
        bench->StartUnits({Unit(501)});
        bench->WriteRegistry({"COM1"});
        CZaq16CntrlDlg dialog;
        QVERIFY(dialog.SelectUnit(0));
        dialog.OnRemove();
        QCOMPARE(bench->Dword("# of COMPorts"), std::optional<uint32_t>(0));
        QCOMPARE(bench->String("CARD1"), std::nullopt);
        QCOMPARE(dialog.cardCount(), 0u);
        QVERIFY(!dialog.Button("remove")->isEnabled());
        dialog.OnRemove();
        QCOMPARE(bench->Dword("# of COMPorts"), std::optional<uint32_t>(0));
    }

    void removingNeedsAUnitSelected()
    {
        bench->StartUnits({Unit(501)});
        bench->WriteRegistry({"COM1"});
        CZaq16CntrlDlg dialog;
        dialog.Tree()->setCurrentItem(dialog.Tree()->topLevelItem(0));
        dialog.OnRemove();
        QCOMPARE(bench->prompts.Texts(), QStringList{"A ZAQ card must be selected to REMOVE."});
        QCOMPARE(bench->Cards(), (Cards{"COM1"}));
    }

    void countNeverGoesBelowZero_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("port");
        QTest::newRow("empty list, a stale value beyond it") << 0 << "COM1";
        QTest::newRow("port not listed") << 1 << "COM7";
    }
    void countNeverGoesBelowZero()
    {
        QFETCH(int, count);
        QFETCH(QString, port);
        bench->WriteRegistry({"COM1"});
        bench->SetDword("# of COMPorts", static_cast<uint32_t>(count));
        CardRegistry registry;
        QVERIFY(!registry.RemoveCard(port.toStdString()));
        QCOMPARE(bench->Dword("# of COMPorts"), std::optional<uint32_t>(count));
    }

    void traceLevelGoesToTheRegistry()
    {
        bench->WriteRegistry({});
        CZaq16CntrlDlg dialog;
        for (int level : {5, 0, 4}) {
            dialog.LevelButton(level)->click();
            QVERIFY(dialog.LevelButton(level)->isChecked());
            QCOMPARE(bench->Dword("TraceLevel"), std::optional<uint32_t>(level));
        }
        // The library runs with the chosen level.
        QCOMPARE(QXZAQSetTraceLevel(4), 4u);
    }

    void traceFolderEndsWithTheSeparator_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("stored");
        QTest::newRow("without separator") << "/var/log/zaq" << "/var/log/zaq/";
        QTest::newRow("with separator") << "/var/log/zaq/" << "/var/log/zaq/";
        QTest::newRow("root") << "/" << "/";
    }
    void traceFolderEndsWithTheSeparator()
    {
        QFETCH(QString, chosen);
        QFETCH(QString, stored);
        bench->WriteRegistry({});
        CZaq16CntrlDlg dialog;
        bench->prompts.folder = chosen;
        dialog.OnBrowse();
        QCOMPARE(bench->String("TracePath"), std::optional<std::string>(stored.toStdString()));
        QCOMPARE(dialog.TraceFileText(), stored + "qxzaqlnk.log");
        bench->prompts.folder.reset();
        dialog.OnBrowse();
        QCOMPARE(bench->String("TracePath"), std::optional<std::string>(stored.toStdString()));
    }

    void unitWithUnknownFirmwareGetsNoSheet()
    {
        bench->StartUnits({Unit(501, "Mystery")});
        bench->WriteRegistry({"COM1"});
        CZaq16CntrlDlg dialog;
        QCOMPARE(dialog.cardCount(), 1u);
        QVERIFY(dialog.SelectUnit(0));
        QVERIFY(dialog.CreatePropertySheet() == nullptr);
        QCOMPARE(bench->prompts.Texts(), QStringList{"Unknown or old Firmware; Please load new firmware."});
        QCOMPARE(bench->prompts.boxes[0].caption, QString("Warning!"));
    }

    void sheetCaptionNamesTheUnit()
    {
        bench->StartUnits({Unit(501), Unit(777)});
        bench->WriteRegistry({"COM1", "COM2"});
        CZaq16CntrlDlg dialog;
        QVERIFY(dialog.SelectUnit(1));
        auto sheet = dialog.CreatePropertySheet();
        QVERIFY(sheet != nullptr);
        QCOMPARE(sheet->windowTitle(), QString("ZAQ #2 COM Port COM2 #777"));
    }

    void firmwareImageMustOpen()
    {
        bench->StartUnits({Unit(501)});
        bench->WriteRegistry({"COM1"});
        CZaq16CntrlDlg dialog;
        QVERIFY(dialog.CreateFirmwareDialog(bench->dir.filePath("missing.zaq")) == nullptr);
        QCOMPARE(bench->prompts.Texts(), QStringList{"Error opening firmware!"});
        bench->prompts.firmwareFile = bench->dir.filePath("missing.zaq");
        dialog.OnFirmware();
        QVERIFY(!dialog.UploadRunning());
    }

    void errorTextsAndTheirBox_data()
    {
        QTest::addColumn<uint32_t>("code");
        QTest::addColumn<QString>("text");
        const std::pair<uint32_t, const char*> table[] = {
            {0xE0002003u, "ZAQ Already Started!"},
            {ZAQ16_RET_RESTART_FAILED, "ZAQ Not Started!"},
            {ZAQ16_RET_FAILED, "ZAQ malfunction!"},
            {ZAQ16_RET_UNIT_ERROR, "ZAQ - Invalid Function!"},
            {ZAQ16_RET_BAD_CHANNEL, "ZAQ - Invalid Channel"},
            {0xE0002010u, "ZAQ - Busy"},
            {ZAQ16_RET_INVALID_PARAM, "ZAQ - Invalid Parameter!"},
            {ZAQ16_RET_NOT_READY, "ZAQ - Not Available!"},
            {ZAQ16_RET_BAD_SIZE, "ZAQ - Bad Parameter!"},
            {ZAQ16_RET_PENDING, "ZAQ - Internal Error!"},
            {0xE0002206u, "ZAQ - No Memory!"},
            {0xE0002211u, "ZAQ - Version Mismatch!"},
            {ZAQ16_RET_TIMEOUT, "ZAQ - Timeout error!"},
            {ZAQ16_RET_TRUNCATED, "ZAQ - Truncated!"},
            {ZAQ16_RET_FILE_NOT_FOUND, "ZAQ - File Not Found!"},
            {0xE0001234u, "Unknown Error -536866252"},
        };
        for (const auto& [code, text] : table) {
            QTest::addRow("0x%x", code) << code << QString(text);
        }
    }
    void errorTextsAndTheirBox()
    {
        QFETCH(uint32_t, code);
        QFETCH(QString, text);
        processError(nullptr, code);
        QCOMPARE(bench->prompts.boxes.size(), size_t(1));
        QCOMPARE(bench->prompts.boxes[0].text, text);
        QCOMPARE(bench->prompts.boxes[0].caption, QString("Error!"));
        QVERIFY(QString::fromStdString(bench->AppletLog()).contains(" ERROR  -processError    " + text));
    }

private:
    std::unique_ptr<AppletBench> bench;
};

ZAQ16CNTRL_TEST_MAIN(MainDialogTest)
#include "MainDialogTest.moc"
