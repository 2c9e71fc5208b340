#include "CallStatusDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "qxzaqlnk.h"

CallStatusDialog::CallStatusDialog(uint32_t boards, QWidget* parent)
    : QDialog(parent), channels_(new QComboBox(this)), available_(new QLabel(this))
{
    setWindowTitle("Call Control Status");
    int available = 0;
    for (uint32_t board = 0; board < boards; ++board) {
        if (QXZAQGetPBXType(board) != ZAQ16_PBX_BRID) {
            continue;
        }
        for (uint32_t line = 1; line <= ZAQ16_CHANNELS_PER_BOARD; ++line) {
            channels_->addItem(QString::number(board * ZAQ16_CHANNELS_PER_BOARD + line));
        }
        available += ZAQ16_CHANNELS_PER_BOARD;
    }
    channels_->setCurrentIndex(-1);
    available_->setText(QStringLiteral("%1 Call Control Channels Available").arg(available));

    auto* form = new QFormLayout;
    form->addRow("Channel #:", channels_);
    form->addRow(available_);
    const char* const captions[kFields] = {"Reference:", "Source:", "State:", "Trunk:",
                                           "Duration:", "Layer 1 Coding:", "Cause:"};
    for (int word = 0; word < kFields; ++word) {
        auto* field = new QLineEdit(this);
        field->setReadOnly(true);
        fields_[static_cast<size_t>(word)] = field;
        form->addRow(captions[word], field);
    }
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton("Close", QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::rejected, this, &CallStatusDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);

    connect(channels_, &QComboBox::currentIndexChanged, this, &CallStatusDialog::ShowChannel);
}

void CallStatusDialog::ShowChannel(int index)
{
    if (index < 0) {
        return;
    }
    ZAQ16_CALL_STATUS record{};
    uint32_t size = sizeof record;
    const uint32_t channel = channels_->itemText(index).toUInt();
    const bool ok = QXZAQ_CC_GetStatusByCh(channel, &record, &size) == ZAQ16_RET_SUCCESS;
    const uint32_t words[kFields] = {record.callRef, record.direction, record.callState, record.line,
                                     record.duration, record.layer1Coding, record.cause};
    for (int word = 0; word < kFields; ++word) {
        fields_[static_cast<size_t>(word)]->setText(ok ? QString::number(words[word]) : QStringLiteral("N/A"));
    }
}
