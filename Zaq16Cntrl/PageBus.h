// "Bus Information": bus, RDSP, split streams, stream, clock, slot group.
#pragma once

#include "PageFields.h"

class QCheckBox;
class QComboBox;

class BusPage : public PropertyPage {
    Q_OBJECT
public:
    BusPage(uint32_t unit, uint32_t pbxType, QWidget* parent);

    QComboBox* bus = nullptr;
    QCheckBox* rdsp = nullptr;
    QCheckBox* split = nullptr;
    QComboBox* streams = nullptr;
    QComboBox* clock = nullptr;
    QComboBox* slotGroups = nullptr;

    // The administrator picked another bus: the stream and slot lists follow it.
    void OnBusChanged();

protected:
    void Load() override;
    bool Apply() override;

private:
    void FillLists(int32_t bus);
};
