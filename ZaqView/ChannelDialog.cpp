#include "ChannelDialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

ChannelDialog::ChannelDialog(ChannelSelection& channels, uint32_t boards, QWidget* parent)
    : QDialog(parent), channels_(channels), list_(new QListWidget(this))
{
    setWindowTitle("Select Channels for Event Viewing");
    list_->setSelectionMode(QAbstractItemView::MultiSelection);
    const uint32_t count = std::min<uint64_t>(uint64_t{boards} * ZAQ16_CHANNELS_PER_BOARD, ChannelSelection::kChannels);
    for (uint32_t channel = 1; channel <= count; ++channel) {
        auto* item = new QListWidgetItem(QStringLiteral("Channel %1").arg(channel), list_);
        item->setSelected(channels_.IsSelected(channel));
    }

    auto* selectAll = new QPushButton("Select All", this);
    auto* deselectAll = new QPushButton("Desect All", this);
    connect(selectAll, &QPushButton::clicked, list_, &QListWidget::selectAll);
    connect(deselectAll, &QPushButton::clicked, list_, &QListWidget::clearSelection);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &ChannelDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &ChannelDialog::reject);

    auto* selection = new QHBoxLayout;
    selection->addWidget(selectAll);
    selection->addWidget(deselectAll);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_);
    layout->addLayout(selection);
    layout->addWidget(buttons);
}

void ChannelDialog::accept()
{
    for (int row = 0; row < list_->count(); ++row) {
        channels_.Select(static_cast<uint32_t>(row) + 1, list_->item(row)->isSelected());
    }
    QDialog::accept();
}
