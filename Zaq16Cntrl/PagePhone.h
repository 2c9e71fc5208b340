// "Phone Information": the signal level of each of the sixteen lines.
#pragma once

#include "PageFields.h"

class QLabel;

class PhonePage : public PropertyPage {
    Q_OBJECT
public:
    PhonePage(uint32_t unit, uint32_t pbxType, QWidget* parent);

    QLabel* columns[2] = {};   // lines 1 to 8, lines 9 to 16

    void OnRefresh();

protected:
    void Load() override { OnRefresh(); }
    bool Apply() override { return true; }
};
