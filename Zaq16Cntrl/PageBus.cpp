#include "PageBus.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>

#include "AppletTrace.h"
#include "PbxLayout.h"
#include "qxzaqlnk.h"

namespace {

// A check box for an ON/OFF option; partly checked while the unit has not said.
QCheckBox* OptionBox(const char* text, QWidget* parent)
{
    auto* box = new QCheckBox(text, parent);
    box->setTristate(true);
    box->setCheckState(Qt::PartiallyChecked);
    // Once clicked it is on or off: the third state only means "not answered".
    QObject::connect(box, &QCheckBox::clicked, box, [box](bool checked) {
        box->setTristate(false);
        box->setChecked(checked);
    });
    return box;
}

void SetOption(QCheckBox* box, uint32_t value, bool on)
{
    if (IsAnswer(value)) {
        box->setTristate(false);
        box->setChecked(on);
    } else {
        box->setCheckState(Qt::PartiallyChecked);
    }
}

int32_t BusOfEntry(int index)
{
    return index == 1 ? ZAQ16_BUS_SCSA : ZAQ16_BUS_MVIP;
}

}  // namespace

BusPage::BusPage(uint32_t unit, uint32_t pbxType, QWidget* parent) : PropertyPage(unit, pbxType, parent)
{
    bus = new QComboBox(this);
    bus->addItems({"MVIP", "SCSA"});
    bus->setCurrentIndex(-1);
    rdsp = OptionBox("RDSP", this);
    split = OptionBox("Split Streams", this);
    streams = new QComboBox(this);
    clock = new QComboBox(this);
    clock->addItems({"Master", "Slave"});
    clock->setCurrentIndex(-1);
    slotGroups = new QComboBox(this);
    auto* layout = new QFormLayout(this);
    layout->addRow("Bus Type:", bus);
    layout->addRow(rdsp);
    layout->addRow(split);
    layout->addRow("Streams:", streams);
    layout->addRow("Clock:", clock);
    layout->addRow("Slots:", slotGroups);
    FillLists(ZAQ16_BUS_MVIP);
    connect(bus, &QComboBox::activated, this, &BusPage::OnBusChanged);
    WatchForChanges();
}

void BusPage::FillLists(int32_t busType)
{
    streams->clear();
    streams->addItems(Streams(busType));
    streams->setCurrentIndex(-1);
    slotGroups->clear();
    slotGroups->addItems(SlotGroups(busType, pbxType_));
    slotGroups->setCurrentIndex(-1);
}

void BusPage::OnBusChanged()
{
    FillLists(BusOfEntry(bus->currentIndex()));
    streams->setCurrentIndex(0);
    slotGroups->setCurrentIndex(0);
}

void BusPage::Load()
{
    const uint32_t busType = QXZAQGetBusType(unit_);
    ReportFailure(busType);
    SelectEntry(bus, busType == ZAQ16_BUS_MVIP ? 0 : busType == ZAQ16_BUS_SCSA ? 1 : -1);
    FillLists(busType == ZAQ16_BUS_SCSA ? ZAQ16_BUS_SCSA : ZAQ16_BUS_MVIP);
    const uint32_t rdspType = QXZAQGetRDSPType(unit_);
    ReportFailure(rdspType);
    SetOption(rdsp, rdspType, rdspType != 0);
    const uint32_t splitType = QXZAQGetSplitType(unit_);
    ReportFailure(splitType);
    SetOption(split, splitType, splitType == 1);
    const uint32_t stream = QXZAQGetStream(unit_);
    ReportFailure(stream);
    SelectEntry(streams, IsAnswer(stream) ? static_cast<int64_t>(stream) : -1);
    const uint32_t clockType = QXZAQGetClockType(unit_);
    ReportFailure(clockType);
    SelectEntry(clock, clockType <= 1 ? static_cast<int64_t>(clockType) : -1);
    const uint32_t slotIndex = QXZAQGetSlots(unit_);
    AppletTrace().Write(TRACE_INFO, "QXZAQGetSlots", "returns %d for board %u", static_cast<int32_t>(slotIndex),
                        unit_);
    ReportFailure(slotIndex);
    SelectEntry(slotGroups, IsAnswer(slotIndex) ? static_cast<int64_t>(slotIndex) : -1);
}

// Only what has a value is sent: a list with no entry selected or an option
// the unit never reported stays as the unit has it.
bool BusPage::Apply()
{
    if (streams->currentIndex() >= 0) {
        ReportFailure(QXZAQSetStream(unit_, streams->currentIndex()));
    }
    if (bus->currentIndex() >= 0) {
        ReportFailure(QXZAQSetBusType(unit_, BusOfEntry(bus->currentIndex())));
    }
    if (clock->currentIndex() >= 0) {
        ReportFailure(QXZAQSetClockType(unit_, clock->currentIndex() == 0 ? ZAQ16_CLOCK_MASTER : ZAQ16_CLOCK_SLAVE));
    }
    if (rdsp->checkState() != Qt::PartiallyChecked) {
        ReportFailure(QXZAQSetRDSPType(unit_, rdsp->isChecked() ? ZAQ16_ON : ZAQ16_OFF));
    }
    if (split->checkState() != Qt::PartiallyChecked) {
        ReportFailure(QXZAQSetSplitType(unit_, split->isChecked() ? ZAQ16_ON : ZAQ16_OFF));
    }
    if (slotGroups->currentIndex() >= 0) {
        ReportFailure(QXZAQSetSlots(unit_, slotGroups->currentIndex()));
    }
    return true;
}
