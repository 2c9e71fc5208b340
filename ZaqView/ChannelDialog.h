// "Select Channels for Event Viewing": which channels' events are listed.
#pragma once

#include <QDialog>

#include "ChannelSelection.h"
#include "qxzaqlnk.h"

class QListWidget;

class ChannelDialog : public QDialog {
    Q_OBJECT
public:
    // One entry per channel of `boards` boards (at most the 128 channels that have a flag).
    ChannelDialog(ChannelSelection& channels, uint32_t boards, QWidget* parent = nullptr);

    QListWidget* List() const { return list_; }

    void accept() override;

private:
    ChannelSelection& channels_;
    QListWidget* list_;
};
