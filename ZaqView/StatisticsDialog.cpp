#include "StatisticsDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "qxzaqlnk.h"

StatisticsDialog::StatisticsDialog(uint32_t boards, Message message, QWidget* parent)
    : QDialog(parent),
      message_(std::move(message)),
      boards_(new QComboBox(this)),
      trunks_(new QComboBox(this)),
      available_(new QLabel(this))
{
    setWindowTitle("Statistics...");
    int available = 0;
    for (uint32_t board = 0; board < boards; ++board) {
        if (QXZAQGetPBXType(board) != ZAQ16_PBX_BRID) {
            continue;
        }
        boards_->addItem(QString::number(board));
        for (uint32_t line = 1; line <= ZAQ16_CHANNELS_PER_BOARD; ++line) {
            trunks_->addItem(QString::number(board * ZAQ16_CHANNELS_PER_BOARD + line));
        }
        ++available;
    }
    boards_->setCurrentIndex(-1);
    trunks_->setCurrentIndex(-1);
    available_->setText(QStringLiteral("%1 Call Control Boards Available").arg(available));

    auto* selection = new QFormLayout;
    selection->addRow("Board #:", boards_);
    selection->addRow("Trunk #:", trunks_);
    auto* groups = new QHBoxLayout;
    const char* const captions[3] = {"Total:", "# Connected", "# Status Msgs"};
    for (int group = 0; group < 2; ++group) {
        auto* box = new QGroupBox(group == 0 ? "Incoming Calls" : "Outgoing Calls", this);
        auto* form = new QFormLayout(box);
        for (int row = 0; row < 3; ++row) {
            auto* field = new QLineEdit(box);
            field->setReadOnly(true);
            counters_[static_cast<size_t>(group * 3 + row)] = field;
            form->addRow(captions[row], field);
        }
        groups->addWidget(box);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &StatisticsDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(selection);
    layout->addLayout(groups);
    layout->addWidget(available_);
    layout->addWidget(buttons);

    connect(boards_, &QComboBox::currentIndexChanged, this, &StatisticsDialog::ShowStatistics);
    connect(trunks_, &QComboBox::currentIndexChanged, this, &StatisticsDialog::ShowStatistics);
}

void StatisticsDialog::ShowStatistics()
{
    if (boards_->currentIndex() < 0 || trunks_->currentIndex() < 0) {
        message_(this, "Notice", "Please Select a Board and Trunk");
        return;
    }
    ZAQ16_CALL_STATISTICS record{};
    uint32_t size = sizeof record;
    const uint32_t board = boards_->currentText().toUInt();
    const auto trunk = static_cast<uint16_t>(trunks_->currentText().toUInt());
    const bool ok = QXZAQ_CC_GetStatistics(board, trunk, &record, &size) == ZAQ16_RET_SUCCESS;
    const uint32_t words[kCounters] = {record.incomingCalls, record.incomingConnected, record.incomingStatus,
                                       record.outgoingCalls, record.outgoingConnected, record.outgoingStatus};
    for (int word = 0; word < kCounters; ++word) {
        counters_[static_cast<size_t>(word)]->setText(ok ? QString::number(words[word]) : QStringLiteral("N/A"));
    }
}
