#include "PagePbx.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>

#include "AppletTrace.h"
#include "PbxLayout.h"
#include "qxzaqlnk.h"

PbxPage::PbxPage(uint32_t unit, uint32_t pbxType, QWidget* parent) : PropertyPage(unit, pbxType, parent)
{
    firmware = new QLabel(this);
    pbxName = new QLabel(this);
    encoding = new QComboBox(this);
    encoding->addItems({"MuLaw", "ALaw"});
    encoding->setCurrentIndex(-1);
    levelLabel = new QLabel("PBX Level:", this);
    level = new QLineEdit(this);
    level->setMaxLength(3);
    auto* layout = new QFormLayout(this);
    layout->addRow("Firmware Version:", firmware);
    layout->addRow("PBX Type:", pbxName);
    layout->addRow("Encoding Type:", encoding);
    layout->addRow(levelLabel, level);
    const bool hasLevel = HasPbxLevel(pbxType);
    levelLabel->setVisible(hasLevel);
    level->setVisible(hasLevel);
    WatchForChanges();
}

void PbxPage::Load()
{
    ZAQ16_BOARD_INFO info{};
    info.size = sizeof info;
    const uint32_t result = QXZAQGetBoardInfo(unit_, &info);
    if (result == ZAQ16_RET_SUCCESS) {
        firmware->setText(QString("%1.%2.%3").arg(info.firmwareMajor).arg(info.firmwareMinor).arg(info.firmwareBuild));
        AppletTrace().Write(TRACE_INFO, "OnInitDialog", "%u %u %u", info.firmwareMajor, info.firmwareMinor,
                            info.firmwareBuild);
    } else {
        ReportFailure(result);
    }
    pbxName->setText(PbxName(pbxType_));
    const uint32_t encodingType = QXZAQGetEncodingType(unit_);
    ReportFailure(encodingType);
    SelectEntry(encoding, encodingType <= 1 ? static_cast<int64_t>(encodingType) : -1);
    if (HasPbxLevel(pbxType_)) {
        const uint32_t value = QXZAQGetPBXLevel(unit_);
        if (value <= 255) {
            level->setText(QString::number(value));
        } else {
            ReportFailure(value);
        }
    }
}

bool PbxPage::Apply()
{
    bool refused = false;
    std::optional<int32_t> levelValue;
    if (HasPbxLevel(pbxType_)) {
        levelValue = CheckedNumber(level, 0, 255, refused);
    }
    if (refused) {
        return false;
    }
    if (encoding->currentIndex() >= 0) {
        ReportFailure(QXZAQSetEncodingType(unit_, encoding->currentIndex() == 0 ? ZAQ16_ENCODING_ULAW
                                                                                  : ZAQ16_ENCODING_ALAW));
    }
    if (levelValue) {
        ReportFailure(QXZAQSetPBXLevel(unit_, *levelValue));
    }
    return true;
}
