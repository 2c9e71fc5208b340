// "PBX Information": firmware version, PBX type, encoding, PBX level.
#pragma once

#include "PageFields.h"

class QComboBox;
class QLabel;
class QLineEdit;

class PbxPage : public PropertyPage {
    Q_OBJECT
public:
    PbxPage(uint32_t unit, uint32_t pbxType, QWidget* parent);

    QLabel* firmware = nullptr;
    QLabel* pbxName = nullptr;
    QComboBox* encoding = nullptr;
    QLabel* levelLabel = nullptr;
    QLineEdit* level = nullptr;

protected:
    void Load() override;
    bool Apply() override;
};
