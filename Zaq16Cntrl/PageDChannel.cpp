#include "PageDChannel.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include "PbxLayout.h"
#include "UserPrompts.h"
#include "qxzaqlnk.h"

namespace {

constexpr const char* kHexDigits = "0123456789abcdefABCDEF";
constexpr int kMaskLength = 8;

void ShowNumber(QLineEdit* field, uint32_t value)
{
    field->setText(IsAnswer(value) ? QString::number(value) : QString());
}

}  // namespace

DChannelPage::DChannelPage(uint32_t unit, uint32_t pbxType, QWidget* parent)
    : PropertyPage(unit, pbxType, parent), masks_(UsesLightMasks(pbxType))
{
    detectOn = new QRadioButton("Start/Stop Detection", this);
    detectOff = new QRadioButton("No Message Detection", this);
    auto* group = new QButtonGroup(this);
    group->addButton(detectOn);
    group->addButton(detectOff);
    startStop = new QGroupBox("Start/Stop", this);
    minimum = new QLineEdit(startStop);
    maximum = new QLineEdit(startStop);
    const char* secondTexts[2][2] = {{"On:", "Off:"}, {"Mask 0: 0x", "Mask 1: 0x"}};
    auto* grid = new QGridLayout(startStop);
    grid->addWidget(new QLabel("Minimum:", startStop), 0, 0);
    grid->addWidget(minimum, 0, 1);
    grid->addWidget(new QLabel("Maximum:", startStop), 1, 0);
    grid->addWidget(maximum, 1, 1);
    for (int i = 0; i < 2; ++i) {
        secondLabel[i] = new QLabel(secondTexts[masks_ ? 1 : 0][i], startStop);
        second[i] = new QLineEdit(startStop);
        if (masks_) {
            second[i]->setMaxLength(kMaskLength);
        }
        grid->addWidget(secondLabel[i], i, 2);
        grid->addWidget(second[i], i, 3);
    }
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(detectOn);
    layout->addWidget(detectOff);
    layout->addWidget(startStop);
    layout->addStretch();
    ShowFields(false);
    connect(detectOn, &QRadioButton::clicked, this, &DChannelPage::OnDetectionChanged);
    connect(detectOff, &QRadioButton::clicked, this, &DChannelPage::OnDetectionChanged);
    WatchForChanges();
}

void DChannelPage::ShowFields(bool on)
{
    startStop->setVisible(on);
}

void DChannelPage::RefreshValues()
{
    ShowNumber(minimum, QXZAQGetStartStopMin(unit_));
    ShowNumber(maximum, QXZAQGetStartStopMax(unit_));
    if (masks_) {
        using GetMask = uint32_t (*)(uint32_t, char*);
        const GetMask getters[2] = {QXZAQGetLightMask0, QXZAQGetLightMask1};
        for (int i = 0; i < 2; ++i) {
            char buffer[16] = {};
            second[i]->setText(getters[i](unit_, buffer) != 0 ? QString::fromLatin1(buffer) : QString());
        }
    } else {
        ShowNumber(second[0], QXZAQGetVOXStartStopOn(unit_));
        ShowNumber(second[1], QXZAQGetVOXStartStopOff(unit_));
    }
    for (QLineEdit* field : {minimum, maximum, second[0], second[1]}) {
        field->setModified(false);
    }
}

void DChannelPage::Load()
{
    const uint32_t detect = QXZAQGetStartStopDetect(unit_);
    ReportFailure(detect);
    detectOn->setChecked(detect == 1);
    detectOff->setChecked(detect == 0);
    ShowFields(detect == 1);
    if (detect == 1) {
        RefreshValues();
    }
}

void DChannelPage::OnDetectionChanged()
{
    const bool on = detectOn->isChecked();
    ShowFields(on);
    if (on) {
        RefreshValues();
    }
}

std::optional<std::string> DChannelPage::MaskToSend(QLineEdit* field, bool& refused)
{
    const std::string text = field->text().toStdString();
    // Neither read from the unit nor typed: nothing was chosen.
    if (text.empty() && !field->isModified()) {
        return std::nullopt;
    }
    if (text.size() > kMaskLength || text.find_first_not_of(kHexDigits) != std::string::npos) {
        Prompts().Message(window(), "Invalid hex mask", "Error!", UserPrompts::Icon::Error);
        field->setFocus();
        refused = true;
        return std::nullopt;
    }
    return std::string(kMaskLength - text.size(), '0') + text;
}

bool DChannelPage::Apply()
{
    const bool on = detectOn->isChecked();
    if (!on && !detectOff->isChecked()) {
        return true;
    }
    bool refused = false;
    std::optional<int32_t> low;
    std::optional<int32_t> high;
    std::optional<int32_t> vox[2];
    std::optional<std::string> masks[2];
    if (on) {
        low = CheckedNumber(minimum, 0, 127, refused);
        high = refused ? std::nullopt : CheckedNumber(maximum, 0, 127, refused);
        for (int i = 0; i < 2 && !refused; ++i) {
            if (masks_) {
                masks[i] = MaskToSend(second[i], refused);
            } else {
                vox[i] = CheckedNumber(second[i], 0, 65535, refused);
            }
        }
    }
    if (refused) {
        return false;
    }
    ReportFailure(QXZAQSetStartStopDetect(unit_, on ? ZAQ16_ON : ZAQ16_OFF));
    if (!on) {
        return true;
    }
    if (low) {
        ReportFailure(QXZAQSetStartStopMin(unit_, *low));
    }
    if (high) {
        ReportFailure(QXZAQSetStartStopMax(unit_, *high));
    }
    if (masks[0]) {
        ReportFailure(QXZAQSetLightMask0(unit_, masks[0]->c_str()));
    }
    if (masks[1]) {
        ReportFailure(QXZAQSetLightMask1(unit_, masks[1]->c_str()));
    }
    if (vox[0]) {
        ReportFailure(QXZAQSetVOXStartStopOn(unit_, *vox[0]));
    }
    if (vox[1]) {
        ReportFailure(QXZAQSetVOXStartStopOff(unit_, *vox[1]));
    }
    return true;
}
