// "Errors": each line's phone and PBX error counts and rates, with
// "Get Errors" and "Clear Errors". ISDN and four-wire units show the NT and
// TE sides of each line.
#pragma once

#include "PageFields.h"

class QLabel;
class QListWidget;

class ErrorsPage : public PropertyPage {
    Q_OBJECT
public:
    ErrorsPage(uint32_t unit, uint32_t pbxType, QWidget* parent);

    QLabel* header = nullptr;
    QListWidget* list = nullptr;

    void OnGetErrors();
    void OnClearErrors();

protected:
    void Load() override;
    bool Apply() override { return true; }

private:
    // Fills the list from the unit's counters; false when they could not be read.
    bool ShowCounters(bool afterButton);
};
