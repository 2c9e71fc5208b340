// Pictures for a reviewer: the main window after a few seconds of the demo's
// events, and each dialog, as PNG files in <build>/screenshots/.
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "AboutDialog.h"
#include "CallStatusDialog.h"
#include "ChannelDialog.h"
#include "MainDialog.h"
#include "PlaybackDialog.h"
#include "Scenario.h"
#include "SimulatedUnits.h"
#include "StatisticsDialog.h"

class ScreenshotTest : public QObject {
    Q_OBJECT

    QTemporaryDir settingsDir;
    std::unique_ptr<SimulatedUnits> units;
    std::unique_ptr<MainDialog> window;

    static void Save(QWidget& widget, const QString& name)
    {
        widget.show();
        QTest::qWait(100);
        const QString path = QDir(ZAQ_SCREENSHOT_DIR).filePath(name + ".png");
        QVERIFY2(widget.grab().save(path), qPrintable(path));
        QVERIFY(QFile(path).size() > 0);
    }

private slots:
    void initTestCase()
    {
        IsolateSettings(settingsDir.path());
        QVERIFY(QDir().mkpath(ZAQ_SCREENSHOT_DIR));
        QCoreApplication::setApplicationVersion("1.4.1.41");
        QFile file(QStringLiteral(ZAQ_SOURCE_DIR) + "/tools/zaqsim/scenarios/demo.scn");
        QVERIFY(file.open(QIODevice::ReadOnly));
        const zaqsim::Scenario scenario = zaqsim::ParseScenario(file.readAll().toStdString());
        QVERIFY(scenario.errors.empty());
        units = std::make_unique<SimulatedUnits>(std::vector<std::string>{"Definity2D", "MeridianD", "ISDN4WD"});
        for (size_t unit = 0; unit < scenario.units.size() && unit < 3; ++unit) {
            units->Sim().Play(unit, scenario.units[unit], true);
        }
        window = std::make_unique<MainDialog>();
        window->resize(1280, 900);
        window->show();
        window->StartUp();
        window->SetDChannelEvents(true);
    }

    void cleanupTestCase()
    {
        window->close();
        window.reset();
        units.reset();
    }

    void mainWindowWithDemoEvents()
    {
        QVERIFY(WaitFor([&] { return !window->Pane(1)->toPlainText().isEmpty(); }, 15000));
        QTest::qWait(4000);
        Save(*window, "zaqview-main");
    }

    void dialogs()
    {
        ChannelDialog channels(window->Channels(), window->BoardCount(), window.get());
        Save(channels, "zaqview-channels");
        PlaybackSettings playback;
        PlaybackDialog playbackDialog(playback, [](QWidget*, const QString&, const QString&) {}, window.get());
        Save(playbackDialog, "zaqview-playback");
        CallStatusDialog status(window->BoardCount(), window.get());
        status.Channels()->setCurrentIndex(0);
        Save(status, "zaqview-call-status");
        StatisticsDialog statistics(window->BoardCount(), [](QWidget*, const QString&, const QString&) {},
                                    window.get());
        statistics.Boards()->setCurrentIndex(0);
        statistics.Trunks()->setCurrentIndex(0);
        Save(statistics, "zaqview-statistics");
        AboutDialog about(window.get());
        Save(about, "zaqview-about");
    }
};

QTEST_MAIN(ScreenshotTest)
#include "ScreenshotTest.moc"
