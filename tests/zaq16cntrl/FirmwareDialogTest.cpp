// Firmware to several simulated units at once: the images arrive intact, a
// unit that cancels shows FAILURE while the others succeed, the bar follows
// the download events, and nothing starts a second transfer on a unit.
#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include "AppletBench.h"
#include "FirmwareDialog.h"
#include "MainDialog.h"

namespace {

constexpr int kUploadWaitMs = 60000;

std::string ImageBytes(size_t size)
{
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>((i * 29) ^ (i >> 3));
    }
    return bytes;
}

// The image as the unit keeps it: whole 128-byte blocks, the last padded with zeros.
std::string Received(const std::string& image)
{
    return image + std::string((128 - image.size() % 128) % 128, '\0');
}

QStringList SortedLines(const QListWidget* list)
{
    QStringList lines;
    for (int i = 0; i < list->count(); ++i) {
        lines << list->item(i)->text();
    }
    lines.sort();
    return lines;
}

}  // namespace

class FirmwareDialogTest : public QObject {
    Q_OBJECT
private slots:
    void init() { bench = std::make_unique<AppletBench>(); }
    void cleanup() { bench.reset(); }

    void threeUnitsAtOnceOneCancelled()
    {
        std::vector<zaqsim::UnitConfig> units(3);
        units[1].firmwareInjections.cancelBlock = 2;
        bench->StartUnits(units);
        bench->WriteRegistry({"COM1", "COM2", "COM3"});
        const std::string image = ImageBytes(1000);
        const QString path = WriteImage(image);
        CZaq16CntrlDlg dialog;
        auto upload = dialog.CreateFirmwareDialog(path);
        QVERIFY(upload != nullptr);
        int closed = 0;
        connect(upload.get(), &QDialog::rejected, this, [&closed] { ++closed; });
        QCOMPARE(upload->List()->count(), 3);
        QCOMPARE(upload->List()->item(2)->text(), QString("ZAQ #3 COM Port COM3 #10001"));
        upload->List()->selectAll();
        upload->OnOK();
        QCOMPARE(upload->Bar()->maximum(), 330);
        QCOMPARE(upload->Status()->text(), QString("Uploading Firmware..."));
        QVERIFY(!upload->OkButton()->isEnabled());
        QVERIFY(!upload->CloseButton()->isEnabled());
        QCOMPARE(upload->CloseButton()->text(), QString("Close"));
        upload->reject();
        QCOMPARE(closed, 0);
        QTRY_VERIFY_WITH_TIMEOUT(!upload->Running(), kUploadWaitMs);
        QCOMPARE(SortedLines(upload->List()), (QStringList{"COM1 SUCCESS", "COM2 FAILURE", "COM3 SUCCESS"}));
        QCOMPARE(bench->sim->FirmwareImage(0), std::optional<std::string>(Received(image)));
        QCOMPARE(bench->sim->FirmwareImage(2), std::optional<std::string>(Received(image)));
        QCOMPARE(bench->sim->FirmwareImage(1), std::nullopt);
        // 0 and 100 from each unit that finished, 0 from the one that cancelled.
        QTRY_COMPARE_WITH_TIMEOUT(upload->Bar()->value(), 50, 10000);
        QVERIFY(upload->CloseButton()->isEnabled());
        const std::string log = bench->AppletLog();
        QVERIFY(log.find("Upload Firmware FAILURE") != std::string::npos);
        QVERIFY(log.find("-EventCallback   QXEVT_DOWNLOAD_STATUS") != std::string::npos);
        upload->reject();
        QCOMPARE(closed, 1);
        // The units answer again afterwards.
        QCOMPARE(dialog.cardCount(), 3u);
    }

    void secondStartOnAUnitStartsNoTransfer()
    {
        bench->StartUnits({zaqsim::UnitConfig{}});
        bench->WriteRegistry({"COM1"});
        const std::string image = ImageBytes(300);
        const QString path = WriteImage(image);
        CZaq16CntrlDlg dialog;
        auto upload = dialog.CreateFirmwareDialog(path);
        // A second dialog, opened before the first one's transfer begins.
        auto other = dialog.CreateFirmwareDialog(path);
        upload->List()->selectAll();
        other->List()->selectAll();
        upload->OnOK();
        upload->OnOK();
        other->OnOK();
        QCOMPARE(SortedLines(other->List()), QStringList{"board 1 busy: upload refused"});
        QVERIFY(other->CloseButton()->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(!upload->Running(), kUploadWaitMs);
        QCOMPARE(SortedLines(upload->List()), QStringList{"COM1 SUCCESS"});
        QCOMPARE(bench->Commands(0, "DOWNLOAD").size(), size_t(1));
        QCOMPARE(bench->sim->FirmwareImage(0), std::optional<std::string>(Received(image)));
    }

    // The dialog going away mid-transfer waits for its workers; the progress
    // events that still arrive reach no dialog.
    void dialogDestroyedMidTransfer()
    {
        std::vector<zaqsim::UnitConfig> units(2);
        bench->StartUnits(units);
        bench->WriteRegistry({"COM1", "COM2"});
        const std::string image = ImageBytes(5000);
        const QString path = WriteImage(image);
        CZaq16CntrlDlg dialog;
        auto upload = dialog.CreateFirmwareDialog(path);
        upload->List()->selectAll();
        upload->OnOK();
        upload.reset();
        QCoreApplication::processEvents();
        QCOMPARE(bench->sim->FirmwareImage(0), std::optional<std::string>(Received(image)));
        QCOMPARE(bench->sim->FirmwareImage(1), std::optional<std::string>(Received(image)));
        // The units are free for the next upload.
        auto again = dialog.CreateFirmwareDialog(path);
        again->List()->selectAll();
        again->OnOK();
        QTRY_VERIFY_WITH_TIMEOUT(!again->Running(), kUploadWaitMs);
        QCOMPARE(SortedLines(again->List()), (QStringList{"COM1 SUCCESS", "COM2 SUCCESS"}));
    }

    void nothingSelectedClosesTheDialog()
    {
        bench->StartUnits({zaqsim::UnitConfig{}});
        bench->WriteRegistry({"COM1"});
        CZaq16CntrlDlg dialog;
        auto upload = dialog.CreateFirmwareDialog(WriteImage(ImageBytes(10)));
        int closed = 0;
        connect(upload.get(), &QDialog::rejected, this, [&closed] { ++closed; });
        upload->OnOK();
        QCOMPARE(closed, 1);
        QVERIFY(bench->Commands(0, "DOWNLOAD").empty());
    }

    // Through the main dialog's "Firmware..." as an administrator goes: while
    // the upload runs every other button and Close are refused.
    void mainDialogWaitsForTheUpload()
    {
        zaqsim::UnitConfig unit;
        unit.xmodemPollMs = 2000;   // the transfer starts at the unit's second "C"
        bench->StartUnits({unit});
        bench->WriteRegistry({"COM1"});
        const std::string image = ImageBytes(700);
        bench->prompts.firmwareFile = WriteImage(image);
        CZaq16CntrlDlg dialog;
        QVERIFY(dialog.SelectUnit(0));
        bool refusedAll = false;
        QTimer::singleShot(0, this, [&] {
            auto* upload = qobject_cast<CLoadFirmware*>(QApplication::activeModalWidget());
            if (upload == nullptr) {
                return;
            }
            upload->List()->selectAll();
            upload->OnOK();
            dialog.OnAdd();
            dialog.OnRemove();
            dialog.OnProperties();
            dialog.reject();
            refusedAll = dialog.UploadRunning() && upload->Running();
            auto* poll = new QTimer(upload);
            connect(poll, &QTimer::timeout, upload, [upload] {
                if (!upload->Running()) {
                    upload->CloseButton()->click();
                }
            });
            poll->start(50);
        });
        QTimer watchdog;
        watchdog.setSingleShot(true);
        connect(&watchdog, &QTimer::timeout, this, [] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                modal->close();
            }
        });
        watchdog.start(kUploadWaitMs);
        dialog.OnFirmware();
        QVERIFY(refusedAll);
        QCOMPARE(bench->prompts.Texts(), QStringList(4, "Wait until current download is complete."));
        QVERIFY(!dialog.UploadRunning());
        QCOMPARE(bench->sim->FirmwareImage(0), std::optional<std::string>(Received(image)));
        QCOMPARE(bench->Cards(), std::vector<std::string>{"COM1"});
    }

private:
    QString WriteImage(const std::string& bytes)
    {
        const QString path = bench->dir.filePath("image.zaq");
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(bytes.data(), static_cast<qint64>(bytes.size()));
        return path;
    }

    std::unique_ptr<AppletBench> bench;
};

ZAQ16CNTRL_TEST_MAIN(FirmwareDialogTest)
#include "FirmwareDialogTest.moc"
