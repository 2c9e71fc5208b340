// Pictures of the dialogs, for the documentation: <build>/screenshots/*.png.
#include <QApplication>
#include <QFileInfo>
#include <QListWidget>
#include <QTabWidget>

#include "AddCardDialog.h"
#include "AppletBench.h"
#include "FirmwareDialog.h"
#include "MainDialog.h"
#include "PropertySheet.h"

class ScreenshotTest : public QObject {
    Q_OBJECT
private slots:
    void dialogsArePictured()
    {
        AppletBench bench;
        std::vector<zaqsim::UnitConfig> units(2);
        units[0].powerOnOptions = {{"STARTSTOPDETECT", "ON"}};
        units[0].levels = {40, 42, 38, 0, 51, 0, 0, 12, 0, 0, 0, 0, 33, 0, 0, 7};
        units[0].errors.phoneErrors[2] = 4;
        units[1].pbxName = "MeridianD";
        units[1].serialNumber = 10002;
        bench.StartUnits(units);
        bench.WriteRegistry({"COM1", "COM2"});

        CZaq16CntrlDlg dialog;
        dialog.show();
        QVERIFY(dialog.SelectUnit(0));
        Save(&dialog, "main-dialog");

        CAddZAQ add({"COM3", "COM4", "/dev/ttyUSB0"});
        add.show();
        Save(&add, "add-card");

        auto sheet = dialog.CreatePropertySheet();
        QVERIFY(sheet != nullptr);
        sheet->show();
        const char* names[] = {"page-pbx-information", "page-bus-information", "page-d-channel-vox",
                               "page-phone-information", "page-errors"};
        for (int page = 0; page < 5; ++page) {
            sheet->ShowPage(page);
            Save(sheet.get(), names[page]);
        }
        sheet.reset();

        const QString image = bench.dir.filePath("image.zaq");
        QFile file(image);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(500, 'Z'));
        file.close();
        auto upload = dialog.CreateFirmwareDialog(image);
        upload->show();
        Save(upload.get(), "firmware-dialog");
        upload->List()->selectAll();
        upload->OnOK();
        QTRY_VERIFY_WITH_TIMEOUT(!upload->Running(), 60000);
        Save(upload.get(), "firmware-dialog-done");
    }

private:
    void Save(QWidget* widget, const char* name)
    {
        QCoreApplication::processEvents();
        QVERIFY2(SaveScreenshot(widget, name), name);
        const QFileInfo file(QString(ZAQ_BINARY_DIR) + "/screenshots/" + name + ".png");
        QVERIFY2(file.size() > 0, name);
    }
};

ZAQ16CNTRL_TEST_MAIN(ScreenshotTest)
#include "ScreenshotTest.moc"
