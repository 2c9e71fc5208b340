// "Uploading Firmware...": uploads one image to the chosen units at once, one
// worker thread per unit, with a progress bar fed by the download events and
// a SUCCESS or FAILURE line per unit. The dialog cannot be closed while a
// transfer runs, and a unit never gets a second transfer while one runs on it.
#pragma once

#include <QDialog>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;

class CLoadFirmware : public QDialog {
    Q_OBJECT
public:
    // `finished` runs on the dialog thread when the last worker has ended.
    CLoadFirmware(const QString& path, uint32_t unitCount, std::function<void()> finished, QWidget* parent);
    ~CLoadFirmware() override;

    // OK: starts the uploads to the selected units (closes the dialog when
    // none is selected). A second OK while they run starts nothing.
    void OnOK();
    // Close and the window's close button: refused while a transfer runs.
    void reject() override;
    // One download event.
    void StepProgress();

    bool Running() const;
    QListWidget* List() const { return list_; }
    QProgressBar* Bar() const { return bar_; }
    QLabel* Status() const { return status_; }
    QPushButton* OkButton() const { return ok_; }
    QPushButton* CloseButton() const { return close_; }

private:
    void RunUpload(uint32_t unit, uint32_t delayMs);
    void WorkerDone(const QString& line, bool success);

    std::string path_;
    std::function<void()> finished_;
    QListWidget* list_;
    QLabel* status_;
    QProgressBar* bar_;
    QPushButton* ok_;
    QPushButton* close_;

    mutable std::mutex lock_;
    size_t workersStarted_ = 0;
    size_t workersDone_ = 0;
    std::vector<uint32_t> unitsClaimed_;
    std::vector<std::thread> workers_;
};
