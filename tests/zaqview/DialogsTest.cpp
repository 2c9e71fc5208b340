// The dialogs of the viewer's menu: channel choice, playback timing,
// call-control status and statistics, about.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "AboutDialog.h"
#include "CallStatusDialog.h"
#include "ChannelDialog.h"
#include "MainDialog.h"
#include "PlaybackDialog.h"
#include "SimulatedUnits.h"
#include "StatisticsDialog.h"

namespace {

QPushButton* ButtonCalled(QWidget* dialog, const QString& text)
{
    for (QPushButton* button : dialog->findChildren<QPushButton*>()) {
        if (button->text() == text) {
            return button;
        }
    }
    qFatal("no button %s", qPrintable(text));
}

bool AllNumbers(const std::vector<QString>& fields)
{
    for (const QString& field : fields) {
        bool ok = false;
        field.toUInt(&ok);
        if (!ok) {
            return false;
        }
    }
    return true;
}

}  // namespace

class DialogsTest : public QObject {
    Q_OBJECT

    QTemporaryDir settingsDir;
    std::unique_ptr<SimulatedUnits> units;
    std::unique_ptr<MainDialog> window;
    QStringList messages;

    StatisticsDialog::Message Recorder()
    {
        return [this](QWidget*, const QString& title, const QString& text) { messages << title + "|" + text; };
    }

    void Open(const std::vector<std::string>& pbxNames)
    {
        units = std::make_unique<SimulatedUnits>(pbxNames);
        window = std::make_unique<MainDialog>();
        window->StartUp();
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
    }

    void channelDialogChoosesWhichChannelsAreListed()
    {
        Open({"MeridianD", "MeridianD"});
        ChannelDialog dialog(window->Channels(), window->BoardCount());
        QListWidget* list = dialog.List();
        QCOMPARE(list->count(), 32);
        QCOMPARE(list->item(0)->text(), QString("Channel 1"));
        QCOMPARE(list->item(31)->text(), QString("Channel 32"));
        QCOMPARE(list->selectedItems().size(), 32);
        list->item(16)->setSelected(false);
        ButtonCalled(&dialog, "OK")->click();
        QVERIFY(!window->Channels().IsSelected(17));
        QVERIFY(window->Channels().IsSelected(18));

        ZAQ16_EVENT event{};
        event.eventCode = QXEVT_OFFHOOK;
        event.board = 1;
        event.channel = 17;
        QCOMPARE(window->Routine().ShowEvent(event), 0u);
        event.channel = 18;
        QCOMPARE(window->Routine().ShowEvent(event), 1u);

        ChannelDialog again(window->Channels(), window->BoardCount());
        QVERIFY(!again.List()->item(16)->isSelected());
        ButtonCalled(&again, "Desect All")->click();
        QCOMPARE(again.List()->selectedItems().size(), 0);
        ButtonCalled(&again, "Cancel")->click();
        QVERIFY(window->Channels().IsSelected(1));
        ChannelDialog third(window->Channels(), window->BoardCount());
        ButtonCalled(&third, "Desect All")->click();
        ButtonCalled(&third, "Select All")->click();
        ButtonCalled(&third, "OK")->click();
        QVERIFY(window->Channels().IsSelected(17));
    }

    void channelDialogOffersOnlyChannelsWithAFlag()
    {
        ChannelSelection channels;
        QCOMPARE(ChannelDialog(channels, 0).List()->count(), 0);
        QCOMPARE(ChannelDialog(channels, 16).List()->count(), 128);
    }

    void playbackStyleTakesEffectAtOnceEvenOnCancel()
    {
        PlaybackSettings settings;
        PlaybackDialog dialog(settings, Recorder());
        QVERIFY(dialog.StyleButton(3)->isChecked());
        QCOMPARE(dialog.DelayField()->text(), QString("10"));
        dialog.StyleButton(2)->click();
        QCOMPARE(settings.style, 2);
        ButtonCalled(&dialog, "Cancel")->click();
        QCOMPARE(settings.style, 2);
        QCOMPARE(settings.TimeMode(), 10);
        settings.style = 1;
        QCOMPARE(settings.TimeMode(), 0);
        settings.style = 3;
        QCOMPARE(settings.TimeMode(), -1);
    }

    void playbackDelayMustBeInRange_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("zero") << "0" << false;
        QTest::newRow("too big") << "2001" << false;
        QTest::newRow("not a number") << "12ms" << false;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("negative") << "-5" << false;
        QTest::newRow("lowest") << "1" << true;
        QTest::newRow("highest") << "2000" << true;
    }

    void playbackDelayMustBeInRange()
    {
        QFETCH(QString, text);
        QFETCH(bool, accepted);
        PlaybackSettings settings;
        PlaybackDialog dialog(settings, Recorder());
        dialog.show();
        dialog.DelayField()->setText(text);
        ButtonCalled(&dialog, "OK")->click();
        if (accepted) {
            QVERIFY(messages.isEmpty());
            QCOMPARE(dialog.result(), int(QDialog::Accepted));
            QCOMPARE(settings.delay, text.toInt());
        } else {
            QCOMPARE(messages, QStringList{"Playback Settings|Please enter an integer between 1 and 2000."});
            QVERIFY(dialog.isVisible());
            QCOMPARE(settings.delay, 10);
        }
        messages.clear();
    }

    void leavingTheDelayFieldKeepsAValueInRange()
    {
        PlaybackSettings settings;
        PlaybackDialog dialog(settings, Recorder());
        dialog.DelayField()->setText("55");
        emit dialog.DelayField()->editingFinished();
        QCOMPARE(settings.delay, 55);
        dialog.DelayField()->setText("9999");
        emit dialog.DelayField()->editingFinished();
        ButtonCalled(&dialog, "Cancel")->click();
        QCOMPARE(settings.delay, 55);
    }

    void callStatusWithoutAnIsdnBoardOffersNothing()
    {
        Open({"Definity2D"});
        CallStatusDialog dialog(window->BoardCount());
        QCOMPARE(dialog.Available()->text(), QString("0 Call Control Channels Available"));
        QCOMPARE(dialog.Channels()->count(), 0);
        for (int word = 0; word < CallStatusDialog::kFields; ++word) {
            QVERIFY(dialog.Field(word)->text().isEmpty());
        }
    }

    void callStatusShowsTheChannelsOfIsdnBoards()
    {
        Open({"Definity2D", "ISDN4WD"});
        CallStatusDialog dialog(window->BoardCount());
        QCOMPARE(dialog.Available()->text(), QString("16 Call Control Channels Available"));
        QCOMPARE(dialog.Channels()->count(), 16);
        QCOMPARE(dialog.Channels()->itemText(0), QString("17"));
        QCOMPARE(dialog.Channels()->itemText(15), QString("32"));
        QCOMPARE(dialog.Channels()->currentIndex(), -1);
        dialog.Channels()->setCurrentIndex(0);
        std::vector<QString> fields;
        for (int word = 0; word < CallStatusDialog::kFields; ++word) {
            fields.push_back(dialog.Field(word)->text());
        }
        const bool none = std::all_of(fields.begin(), fields.end(), [](const QString& f) { return f == "N/A"; });
        QVERIFY2(none || AllNumbers(fields), qPrintable(fields[0]));
    }

    void statisticsNeedABoardAndATrunk()
    {
        Open({"ISDN4WD", "MeridianD", "ISDN4WD"});
        StatisticsDialog dialog(window->BoardCount(), Recorder());
        QCOMPARE(dialog.Available()->text(), QString("2 Call Control Boards Available"));
        QCOMPARE(dialog.Boards()->count(), 2);
        QCOMPARE(dialog.Boards()->itemText(1), QString("2"));
        QCOMPARE(dialog.Trunks()->count(), 32);
        QCOMPARE(dialog.Trunks()->itemText(16), QString("33"));
        dialog.Boards()->setCurrentIndex(0);
        QCOMPARE(messages, QStringList{"Notice|Please Select a Board and Trunk"});
        QVERIFY(dialog.Counter(0)->text().isEmpty());

        dialog.Trunks()->setCurrentIndex(0);  // board 0, channel 1
        std::vector<QString> counters;
        for (int word = 0; word < StatisticsDialog::kCounters; ++word) {
            counters.push_back(dialog.Counter(word)->text());
        }
        QVERIFY(AllNumbers(counters));
        dialog.Trunks()->setCurrentIndex(16);  // channel 33 is not board 0's
        QCOMPARE(dialog.Counter(0)->text(), QString("N/A"));
        QCOMPARE(dialog.Counter(5)->text(), QString("N/A"));
    }

    void statisticsWithoutAnIsdnBoardOfferNothing()
    {
        Open({"MeridianD"});
        StatisticsDialog dialog(window->BoardCount(), Recorder());
        QCOMPARE(dialog.Available()->text(), QString("0 Call Control Boards Available"));
        QCOMPARE(dialog.Boards()->count(), 0);
        QCOMPARE(dialog.Trunks()->count(), 0);
        QVERIFY(messages.isEmpty());
    }

    void aboutShowsTheVersion()
    {
        QCOMPARE(AboutDialog::VersionText("1.4.1.41"), QString("ZaqView Version 1.4.1.41"));
        QCOMPARE(AboutDialog::VersionText(""), QString("ZaqView Version UNKNOWN"));
        QCoreApplication::setApplicationVersion("1.4.1.41");
        AboutDialog dialog;
        QCOMPARE(dialog.findChild<QLabel*>("versionText")->text(), QString("ZaqView Version 1.4.1.41"));
    }
};

QTEST_MAIN(DialogsTest)
#include "DialogsTest.moc"
