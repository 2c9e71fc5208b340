// "D Channel/VOX": start/stop detection with its minimum and maximum, and
// either the two light masks or the voice-activity on and off levels,
// by PBX family.
#pragma once

#include "PageFields.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QRadioButton;

class DChannelPage : public PropertyPage {
    Q_OBJECT
public:
    DChannelPage(uint32_t unit, uint32_t pbxType, QWidget* parent);

    QRadioButton* detectOn = nullptr;
    QRadioButton* detectOff = nullptr;
    QGroupBox* startStop = nullptr;
    QLineEdit* minimum = nullptr;
    QLineEdit* maximum = nullptr;
    QLabel* secondLabel[2] = {};
    QLineEdit* second[2] = {};   // masks 0 and 1, or VOX on and off

    // A radio button was clicked: the fields follow it, read again from the unit.
    void OnDetectionChanged();

protected:
    void Load() override;
    bool Apply() override;

private:
    void ShowFields(bool on);
    void RefreshValues();
    // The mask as it is sent: checked, padded with "0" on the left to 8 characters.
    std::optional<std::string> MaskToSend(QLineEdit* field, bool& refused);

    bool masks_;
};
