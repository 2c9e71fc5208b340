// The property pages on simulated units: values read from the unit, written
// back on Apply (seen in the commands the unit received), the layouts by PBX
// code, the field checks, and no Set for a value nobody chose.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>

#include "AppletBench.h"
#include "MainDialog.h"
#include "PageBus.h"
#include "PageDChannel.h"
#include "PageErrors.h"
#include "PagePbx.h"
#include "PagePhone.h"
#include "PbxLayout.h"
#include "PropertySheet.h"
#include "qxzaqlnk.h"

namespace {

using Lines = std::vector<std::string>;
enum Page { kPbx, kBus, kDChannel, kPhone, kErrors };

QStringList Entries(const QComboBox* combo)
{
    QStringList entries;
    for (int i = 0; i < combo->count(); ++i) {
        entries << combo->itemText(i);
    }
    return entries;
}

QStringList ListLines(const QListWidget* list)
{
    QStringList lines;
    for (int i = 0; i < list->count(); ++i) {
        lines << list->item(i)->text();
    }
    return lines;
}

// Types into a field as the administrator does (the field counts as edited).
void Type(QLineEdit* field, const QString& text)
{
    field->setText(text);
    field->setModified(true);
}

}  // namespace

class PagesTest : public QObject {
    Q_OBJECT
private slots:
    void init() { bench = std::make_unique<AppletBench>(); }
    void cleanup()
    {
        sheet.reset();
        dialog.reset();
        bench.reset();
    }

    void sheetHasItsFivePagesInOrder()
    {
        QVERIFY(Open(Config("Definity2D")));
        QStringList titles;
        for (int i = 0; i < sheet->Tabs()->count(); ++i) {
            titles << sheet->Tabs()->tabText(i);
        }
        QCOMPARE(titles, (QStringList{"PBX Information", "Bus Information", "D Channel/VOX", "Phone Information",
                                      "Errors"}));
    }

    void pbxPageShowsAndApplies()
    {
        auto config = Config("Definity2D");
        config.powerOnOptions = {{"ENCODING", "ALAW"}};
        config.pbxLevel = 77;
        QVERIFY(Open(config));
        sheet->ShowPage(kPbx);
        PbxPage* page = sheet->pbx;
        QCOMPARE(page->firmware->text(), QString("1.4.52"));
        QCOMPARE(page->pbxName->text(), QString("Lucent 2 WireD"));
        QCOMPARE(page->encoding->currentText(), QString("ALaw"));
        QCOMPARE(page->level->text(), QString("77"));
        QVERIFY(!page->level->isHidden());
        page->encoding->setCurrentIndex(0);
        Type(page->level, "65");
        bench->sim->ClearCommandLog(0);
        QVERIFY(sheet->ApplyPages());
        QCOMPARE(bench->Commands(0, "SET ENCODING="), Lines{"SET ENCODING=ULAW"});
        QCOMPARE(bench->Commands(0, "PBXLEVELSET"), Lines{"PBXLEVELSETA"});
        QCOMPARE(bench->sim->PbxLevel(0), uint8_t(65));
        QVERIFY(bench->AppletLog().find("-OnInitDialog    1 4 52") != std::string::npos);
    }

    void pbxLevelOutOfRangeStopsTheApply()
    {
        QVERIFY(Open(Config("Definity2D")));
        sheet->ShowPage(kPbx);
        Type(sheet->pbx->level, "256");
        bench->sim->ClearCommandLog(0);
        QVERIFY(!sheet->ApplyPages());
        QCOMPARE(bench->prompts.boxes.size(), size_t(1));
        QVERIFY(bench->sim->CommandLog(0).empty());
    }

    void busPageShowsAndWritesBackInOrder()
    {
        auto config = Config("Definity2D");
        config.powerOnOptions = {{"BUS", "SCSA"}, {"STREAM", "11"}, {"SLOTS", "3"}, {"CLOCK", "SLAVE"}, {"RDSP", "ON"}};
        QVERIFY(Open(config));
        sheet->ShowPage(kBus);
        BusPage* page = sheet->bus;
        QCOMPARE(page->bus->currentText(), QString("SCSA"));
        QCOMPARE(page->streams->count(), 16);
        QCOMPARE(page->streams->currentText(), QString("Stream 11"));
        QCOMPARE(Entries(page->slotGroups),
                 (QStringList{"Slots 0 to 15", "Slots 16 to 31", "Slots 32 to 47", "Slots 48 to 63"}));
        QCOMPARE(page->slotGroups->currentIndex(), 3);
        QCOMPARE(page->clock->currentText(), QString("Slave"));
        QCOMPARE(page->rdsp->checkState(), Qt::Checked);
        QCOMPARE(page->split->checkState(), Qt::Unchecked);
        bench->sim->ClearCommandLog(0);
        QVERIFY(sheet->ApplyPages());
        QCOMPARE(bench->Commands(0, "SET "), (Lines{"SET STREAM=11", "SET BUS=SCSA", "SET CLOCK=SLAVE", "SET RDSP=ON",
                                                   "SET SPLIT=OFF", "SET SLOTS=3"}));
        QVERIFY(bench->AppletLog().find("-QXZAQGetSlots   returns 3 for board 0") != std::string::npos);
    }

    void changingTheBusRefillsStreamsAndSlots()
    {
        auto config = Config("Definity2D");
        config.powerOnOptions = {{"BUS", "SCSA"}, {"STREAM", "11"}, {"SLOTS", "3"}};
        QVERIFY(Open(config));
        sheet->ShowPage(kBus);
        BusPage* page = sheet->bus;
        page->bus->setCurrentIndex(0);
        page->OnBusChanged();
        QCOMPARE(Entries(page->streams).size(), 8);
        QCOMPARE(page->streams->currentText(), QString("Stream 0"));
        QCOMPARE(Entries(page->slotGroups), (QStringList{"Slots 0 to 15", "Slots 16 to 31"}));
        QCOMPARE(page->slotGroups->currentIndex(), 0);
        bench->sim->ClearCommandLog(0);
        QVERIFY(sheet->ApplyPages());
        QCOMPARE(bench->Commands(0, "SET STREAM="), Lines{"SET STREAM=0"});
        QCOMPARE(bench->Commands(0, "SET BUS="), Lines{"SET BUS=MVIP"});
        QCOMPARE(bench->Commands(0, "SET SLOTS="), Lines{"SET SLOTS=0"});
    }

    // A Get the unit did not answer leaves its control without a value, and
    // Apply then sends nothing for it.
    void unansweredValuesAreNotWritten()
    {
        auto config = Config("Definity2D");
        config.silentCommands = {"SET BUS", "SET CLOCK", "SET ENCODING", "SET STREAM", "SET RDSP", "PBXLEVELGET"};
        QVERIFY(Open(config));
        sheet->ShowPage(kPbx);
        sheet->ShowPage(kBus);
        QCOMPARE(sheet->pbx->encoding->currentIndex(), -1);
        QCOMPARE(sheet->pbx->level->text(), QString());
        QCOMPARE(sheet->bus->bus->currentIndex(), -1);
        QCOMPARE(sheet->bus->clock->currentIndex(), -1);
        QCOMPARE(sheet->bus->streams->currentIndex(), -1);
        QCOMPARE(sheet->bus->rdsp->checkState(), Qt::PartiallyChecked);
        bench->sim->ClearCommandLog(0);
        QVERIFY(sheet->ApplyPages());
        // The unit's power-on slot value (32) names no entry of the list either.
        QCOMPARE(sheet->bus->slotGroups->currentIndex(), -1);
        QCOMPARE(bench->Commands(0, "SET "), Lines{"SET SPLIT=OFF"});
        QVERIFY(bench->Commands(0, "PBXLEVELSET").empty());
        // A choice made afterwards is sent.
        sheet->bus->rdsp->click();
        QCOMPARE(sheet->bus->rdsp->checkState(), Qt::Checked);
        bench->sim->ClearCommandLog(0);
        QVERIFY(sheet->ApplyPages());
        QCOMPARE(bench->Commands(0, "SET RDSP="), Lines{"SET RDSP=ON"});
    }

    void pagesNeverShownSendNothing()
    {
        QVERIFY(Open(Config("Definity2D")));
        bench->sim->ClearCommandLog(0);
        QVERIFY(sheet->ApplyPages());
        QVERIFY(bench->sim->CommandLog(0).empty());
    }

    void layoutsByPbxCode_data()
    {
        QTest::addColumn<uint32_t>("code");
        QTest::addColumn<bool>("eightSlots");
        QTest::addColumn<bool>("masks");
        QTest::addColumn<bool>("level");
        QTest::addColumn<QString>("name");
        QTest::newRow("1") << 1u << false << true << true << "Nortel MeridianD";
        QTest::newRow("3") << 3u << true << true << true << "Lucent 4 WireD";
        QTest::newRow("12") << 12u << true << false << false << "Lucent 4 Wire";
        QTest::newRow("16") << 16u << false << false << true << "Nortel Meridian";
        QTest::newRow("26") << 26u << false << true << true << "InterTelD";
        QTest::newRow("29") << 29u << false << false << true << "NEAX 2000D";
        QTest::newRow("30") << 30u << true << true << false << "BRI - ISDN D";
        QTest::newRow("31") << 31u << false << true << true << "FUJI 9600";
        QTest::newRow("35") << 35u << true << false << false << "BRI - ISDN";
        QTest::newRow("unknown") << 65535u << false << false << true << "";
    }
    void layoutsByPbxCode()
    {
        QFETCH(uint32_t, code);
        QFETCH(bool, eightSlots);
        QFETCH(bool, masks);
        QFETCH(bool, level);
        QFETCH(QString, name);
        QCOMPARE(HasEightSlotGroups(code), eightSlots);
        QCOMPARE(UsesLightMasks(code), masks);
        QCOMPARE(HasPbxLevel(code), level);
        QCOMPARE(PbxName(code), name);
        const QStringList mvip = SlotGroups(ZAQ16_BUS_MVIP, code);
        const QStringList scsa = SlotGroups(ZAQ16_BUS_SCSA, code);
        if (eightSlots) {
            QCOMPARE(mvip, (QStringList{"Slots 0 to 7", "Slots 8 to 15", "Slots 16 to 23", "Slots 24 to 31"}));
            QCOMPARE(scsa, (QStringList{"Slots 0,2,4,6,8,10,12,14", "Slots 16,18,20,22,24,26,28,30",
                                        "Slots 32,34,36,38,40,42,44,46", "Slots 48,50,52,54,56,58,60,62"}));
        } else {
            QCOMPARE(mvip, (QStringList{"Slots 0 to 15", "Slots 16 to 31"}));
            QCOMPARE(scsa.size(), 4);
        }
        QCOMPARE(Streams(ZAQ16_BUS_MVIP).size(), 8);
        QCOMPARE(Streams(ZAQ16_BUS_SCSA).last(), QString("Stream 15"));
    }

    void fourWireUnitHasNoLevelEightSlotsAndPairedErrorRows()
    {
        auto config = Config("Definity4");
        config.errors.phoneErrors[0] = 7;
        config.errors.pbxErrors[0] = 9;
        config.errors.phoneErrors[3] = 12;
        QVERIFY(Open(config));
        for (int page = kPbx; page <= kErrors; ++page) {
            sheet->ShowPage(page);
        }
        QCOMPARE(sheet->pbx->pbxName->text(), QString("Lucent 4 Wire"));
        QVERIFY(sheet->pbx->level->isHidden());
        QVERIFY(sheet->pbx->levelLabel->isHidden());
        QCOMPARE(Entries(sheet->bus->slotGroups),
                 (QStringList{"Slots 0 to 7", "Slots 8 to 15", "Slots 16 to 23", "Slots 24 to 31"}));
        QCOMPARE(sheet->dchannel->secondLabel[0]->text(), QString("On:"));
        QCOMPARE(sheet->errors->header->text(),
                 QString("         Errors             Errs/s                              "));
        const QStringList rows = ListLines(sheet->errors->list);
        QCOMPARE(rows.size(), 16);
        QCOMPARE(rows[0], QString("NT 1 :         007                009                          "));
        QCOMPARE(rows[3], QString("TE 2 :         012                000                          "));
        sheet->errors->OnGetErrors();
        QCOMPARE(ListLines(sheet->errors->list)[0],
                 QString("NT 1 :         007             009                          "));
        bench->sim->ClearCommandLog(0);
        QVERIFY(sheet->ApplyPages());
        QVERIFY(bench->Commands(0, "PBXLEVELSET").empty());
    }

    void lightMasksArePaddedWithTheirCaseKept()
    {
        auto config = Config("Definity2D");
        config.powerOnOptions = {{"STARTSTOPDETECT", "ON"}, {"LIGHTMASK0", "12AB"}};
        QVERIFY(Open(config));
        sheet->ShowPage(kDChannel);
        DChannelPage* page = sheet->dchannel;
        QVERIFY(page->detectOn->isChecked());
        QVERIFY(!page->startStop->isHidden());
        QCOMPARE(page->secondLabel[0]->text(), QString("Mask 0: 0x"));
        QCOMPARE(page->minimum->text(), QString("2"));
        QCOMPARE(page->maximum->text(), QString("30"));
        QCOMPARE(page->second[0]->text(), QString("12AB"));
        QCOMPARE(page->second[1]->text(), QString("0000"));
        Type(page->second[0], "1f");
        bench->sim->ClearCommandLog(0);
        QVERIFY(sheet->ApplyPages());
        QCOMPARE(bench->Commands(0, "SET "), (Lines{"SET STARTSTOPDETECT=ON", "SET STARTSTOPMIN=2", "SET STARTSTOPMAX=30",
                                                   "SET LIGHTMASK0=0000001f", "SET LIGHTMASK1=00000000"}));
    }

    void badMaskOrRangeStopsTheApply_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");
        QTest::newRow("g in a mask") << "mask0" << "12g" << "Invalid hex mask";
        QTest::newRow("blank in a mask") << "mask1" << "1 2" << "Invalid hex mask";
        QTest::newRow("minimum 128") << "minimum" << "128" << "Please enter an integer between 0 and 127.";
        QTest::newRow("maximum -1") << "maximum" << "-1" << "Please enter an integer between 0 and 127.";
        QTest::newRow("maximum not a number") << "maximum" << "x" << "Please enter an integer between 0 and 127.";
    }
    void badMaskOrRangeStopsTheApply()
    {
        QFETCH(QString, field);
        QFETCH(QString, text);
        QFETCH(QString, message);
        auto config = Config("Definity2D");
        config.powerOnOptions = {{"STARTSTOPDETECT", "ON"}};
        QVERIFY(Open(config));
        sheet->ShowPage(kDChannel);
        DChannelPage* page = sheet->dchannel;
        const std::map<QString, QLineEdit*> fields{
            {"mask0", page->second[0]}, {"mask1", page->second[1]}, {"minimum", page->minimum}, {"maximum", page->maximum}};
        Type(fields.at(field), text);
        bench->sim->ClearCommandLog(0);
        QVERIFY(!sheet->ApplyPages());
        QCOMPARE(bench->prompts.Texts(), QStringList{message});
        QVERIFY(bench->Commands(0, "SET ").empty());
        QCOMPARE(sheet->Tabs()->currentIndex(), int(kDChannel));
    }

    void voiceActivityLevelsOnOtherFamilies()
    {
        auto config = Config("Meridian");
        config.powerOnOptions = {{"STARTSTOPDETECT", "ON"}};
        QVERIFY(Open(config));
        sheet->ShowPage(kDChannel);
        DChannelPage* page = sheet->dchannel;
        QCOMPARE(page->secondLabel[0]->text(), QString("On:"));
        QCOMPARE(page->secondLabel[1]->text(), QString("Off:"));
        QCOMPARE(page->second[0]->text(), QString("20"));
        QCOMPARE(page->second[1]->text(), QString("10"));
        Type(page->second[0], "300");
        bench->sim->ClearCommandLog(0);
        QVERIFY(sheet->ApplyPages());
        QCOMPARE(bench->Commands(0, "SET "), (Lines{"SET STARTSTOPDETECT=ON", "SET STARTSTOPMIN=2", "SET STARTSTOPMAX=30",
                                                   "SET STARTSTOPON=300", "SET STARTSTOPOFF=10"}));
        QCOMPARE(bench->sim->OptionValue(0, "STARTSTOPON"), std::string("300"));
    }

    void detectionOffHidesTheFieldsAndSwitchingReadsThem()
    {
        QVERIFY(Open(Config("Definity2D")));
        sheet->ShowPage(kDChannel);
        DChannelPage* page = sheet->dchannel;
        QVERIFY(page->detectOff->isChecked());
        QVERIFY(page->startStop->isHidden());
        bench->sim->ClearCommandLog(0);
        QVERIFY(sheet->ApplyPages());
        QCOMPARE(bench->Commands(0, "SET "), Lines{"SET STARTSTOPDETECT=OFF"});
        bench->sim->ClearCommandLog(0);
        page->detectOn->click();
        QVERIFY(!page->startStop->isHidden());
        QCOMPARE(page->minimum->text(), QString("2"));
        QCOMPARE(bench->Commands(0, "SET STARTSTOPMIN"), Lines{"SET STARTSTOPMIN"});
        bench->sim->ClearCommandLog(0);
        QVERIFY(sheet->ApplyPages());
        QCOMPARE(bench->Commands(0, "SET STARTSTOPDETECT="), Lines{"SET STARTSTOPDETECT=ON"});
    }

    void phoneLevelsInTwoColumns()
    {
        auto config = Config("Definity2D");
        for (uint8_t line = 0; line < 16; ++line) {
            config.levels[line] = static_cast<uint8_t>(10 * line + 5);
        }
        QVERIFY(Open(config));
        sheet->ShowPage(kPhone);
        QString first;
        for (int line = 0; line < 8; ++line) {
            first += QString::asprintf("%3d : %3d\n", line + 1, 10 * line + 5);
        }
        QCOMPARE(sheet->phone->columns[0]->text(), first);
        QVERIFY(sheet->phone->columns[1]->text().startsWith("  9 :  85\n 10 :  95\n"));
    }

    void phoneLevelsUnanswered()
    {
        auto config = Config("Definity2D");
        config.silentCommands = {"DISPLAY LEVELS"};
        QVERIFY(Open(config));
        sheet->ShowPage(kPhone);
        QCOMPARE(sheet->phone->columns[0]->text(), QString("Unable to retrieve Phone Level"));
        QCOMPARE(sheet->phone->columns[1]->text(), QString());
    }

    void errorCountersAndClearing()
    {
        auto config = Config("Definity2D");
        config.errors.phoneErrors[0] = 1;
        config.errors.pbxErrors[0] = 2;
        config.errors.phoneErrorRate[0] = 3;
        config.errors.pbxErrorRate[0] = 4;
        config.errors.pbxErrors[15] = 250;
        QVERIFY(Open(config));
        sheet->ShowPage(kErrors);
        QCOMPARE(sheet->errors->header->text(), QString("Phone    Phone Errs   PBX Errs   Phone Err/s  PBX Errs/s"));
        QStringList rows = ListLines(sheet->errors->list);
        QCOMPARE(rows.size(), 16);
        QCOMPARE(rows[0], QString("  1 :         001             002             003             004 "));
        QCOMPARE(rows[15], QString(" 16 :         000             250             000             000 "));
        sheet->errors->OnClearErrors();
        rows = ListLines(sheet->errors->list);
        QCOMPARE(rows.size(), 16);
        QCOMPARE(rows[0], QString("  1 :         000             000             000             000 "));
    }

    void errorCountersUnanswered()
    {
        auto config = Config("Definity2D");
        config.silentCommands = {"ERRCHECK"};
        QVERIFY(Open(config));
        sheet->ShowPage(kErrors);
        QCOMPARE(sheet->errors->list->count(), 0);
        sheet->errors->OnGetErrors();
        QCOMPARE(ListLines(sheet->errors->list), QStringList{"TIMEOUT Error; Try Again."});
    }

private:
    static zaqsim::UnitConfig Config(const char* pbx)
    {
        zaqsim::UnitConfig config;
        config.pbxName = pbx;
        return config;
    }

    // The sheet of one simulated unit; false when it could not be opened.
    bool Open(zaqsim::UnitConfig config)
    {
        bench->StartUnits({std::move(config)});
        bench->WriteRegistry({"COM1"});
        if (QTest::currentTestFailed()) {
            return false;
        }
        dialog = std::make_unique<CZaq16CntrlDlg>();
        if (dialog->cardCount() != 1 || !dialog->SelectUnit(0)) {
            return false;
        }
        sheet = dialog->CreatePropertySheet();
        return sheet != nullptr;
    }

    std::unique_ptr<AppletBench> bench;
    std::unique_ptr<CZaq16CntrlDlg> dialog;
    std::unique_ptr<PropertySheet> sheet;
};

ZAQ16CNTRL_TEST_MAIN(PagesTest)
#include "PagesTest.moc"
