#include "FirmwareDialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QMetaObject>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <chrono>
#include <set>

#include "AppletTrace.h"
#include "EventCallback.h"
#include "UnitNames.h"
#include "qxzaqlnk.h"

namespace {

constexpr int kStepsPerUnit = 11;   // progress events 0, 10, ... 100
constexpr int kStepSize = 10;
constexpr uint32_t kStartSpacingMs = 100;

// Units with a transfer running, across every dialog of the process.
std::mutex busyLock;
std::set<uint32_t> busyUnits;

bool ClaimUnit(uint32_t unit)
{
    std::lock_guard<std::mutex> guard(busyLock);
    return busyUnits.insert(unit).second;
}

void ReleaseUnit(uint32_t unit)
{
    std::lock_guard<std::mutex> guard(busyLock);
    busyUnits.erase(unit);
}

}  // namespace

CLoadFirmware::CLoadFirmware(const QString& path, uint32_t unitCount, std::function<void()> finished, QWidget* parent)
    : QDialog(parent),
      path_(path.toStdString()),
      finished_(std::move(finished)),
      list_(new QListWidget(this)),
      status_(new QLabel(this)),
      bar_(new QProgressBar(this))
{
    setWindowTitle("Uploading Firmware...");
    list_->setSelectionMode(QAbstractItemView::MultiSelection);
    for (uint32_t unit = 0; unit < unitCount; ++unit) {
        ZAQ16_BOARD_INFO info{};
        info.size = sizeof info;
        if (QXZAQGetBoardInfo(unit, &info) != ZAQ16_RET_SUCCESS) {
            continue;
        }
        auto* item = new QListWidgetItem(UnitLabel(unit), list_);
        item->setData(Qt::UserRole, unit);
    }
    bar_->setRange(0, 1);
    bar_->setValue(0);
    auto* buttons = new QDialogButtonBox(this);
    ok_ = buttons->addButton(QDialogButtonBox::Ok);
    close_ = buttons->addButton(QDialogButtonBox::Cancel);
    ok_->setAutoDefault(false);
    connect(ok_, &QPushButton::clicked, this, &CLoadFirmware::OnOK);
    connect(close_, &QPushButton::clicked, this, &CLoadFirmware::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QString("Load firmware %1 on selected cards?").arg(path), this));
    layout->addWidget(list_, 1);
    layout->addWidget(status_);
    layout->addWidget(bar_);
    layout->addWidget(buttons);
    SetProgressTarget(this);
}

CLoadFirmware::~CLoadFirmware()
{
    SetProgressTarget(nullptr);
    // Each upload ends within the library's own bound (90 s).
    for (std::thread& worker : workers_) {
        worker.join();
    }
}

bool CLoadFirmware::Running() const
{
    std::lock_guard<std::mutex> guard(lock_);
    return workersDone_ < workersStarted_;
}

void CLoadFirmware::OnOK()
{
    if (!workers_.empty()) {
        return;
    }
    std::vector<uint32_t> units;
    for (const QListWidgetItem* item : list_->selectedItems()) {
        units.push_back(item->data(Qt::UserRole).toUInt());
    }
    std::sort(units.begin(), units.end());
    if (units.size() > 16) {
        units.resize(16);
    }
    if (units.empty()) {
        QDialog::reject();
        return;
    }
    bar_->setRange(0, kStepsPerUnit * kStepSize * static_cast<int>(units.size()));
    bar_->setValue(0);
    status_->setText("Uploading Firmware...");
    AppletTrace().Write(TRACE_INFO, "CLoadFirmware::OnOK()", "About to Upload Firmware");
    ok_->setEnabled(false);
    close_->setText("Close");
    close_->setEnabled(false);
    list_->clear();
    std::vector<uint32_t> claimed;
    for (uint32_t unit : units) {
        if (ClaimUnit(unit)) {
            claimed.push_back(unit);
        } else {
            list_->addItem(QString("board %1 busy: upload refused").arg(unit + 1));
        }
    }
    {
        std::lock_guard<std::mutex> guard(lock_);
        unitsClaimed_ = claimed;
        workersStarted_ = claimed.size();
    }
    if (claimed.empty()) {
        // The transfers that hold these units belong to someone else.
        close_->setEnabled(true);
        return;
    }
    for (size_t i = 0; i < claimed.size(); ++i) {
        workers_.emplace_back(&CLoadFirmware::RunUpload, this, claimed[i], static_cast<uint32_t>(i) * kStartSpacingMs);
    }
}

void CLoadFirmware::RunUpload(uint32_t unit, uint32_t delayMs)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
    const auto port = UnitPortName(unit);
    const QString label =
        port ? QString::fromStdString(*port) + " " : QString("board %1 ").arg(unit + 1);
    const uint32_t result = QXZAQUploadFirmware(unit, path_.c_str());
    const bool success = result == ZAQ16_RET_SUCCESS;
    AppletTrace().Write(TRACE_INFO, "CLoadFirmware", success ? "Upload Firmware SUCCESS" : "Upload Firmware FAILURE");
    ReleaseUnit(unit);
    const QString line = label + (success ? "SUCCESS" : "FAILURE");
    QMetaObject::invokeMethod(this, [this, line, success] { WorkerDone(line, success); }, Qt::QueuedConnection);
}

void CLoadFirmware::WorkerDone(const QString& line, bool success)
{
    status_->setText(success ? "Upload Complete!" : "Firmware download Error!");
    list_->addItem(line);
    bool last = false;
    {
        std::lock_guard<std::mutex> guard(lock_);
        ++workersDone_;
        last = workersDone_ == workersStarted_;
    }
    if (last) {
        close_->setEnabled(true);
        if (finished_) {
            finished_();
        }
    }
}

void CLoadFirmware::StepProgress()
{
    bar_->setValue(std::min(bar_->maximum(), bar_->value() + kStepSize));
}

void CLoadFirmware::reject()
{
    if (Running()) {
        return;
    }
    QDialog::reject();
}
