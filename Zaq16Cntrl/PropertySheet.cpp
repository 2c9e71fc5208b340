#include "PropertySheet.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "PageBus.h"
#include "PageDChannel.h"
#include "PageErrors.h"
#include "PagePbx.h"
#include "PagePhone.h"
#include "UnitNames.h"
#include "qxzaqlnk.h"

PropertySheet::PropertySheet(uint32_t unit, uint32_t pbxType, QWidget* parent)
    : QDialog(parent), tabs_(new QTabWidget(this))
{
    const auto port = UnitPortName(unit);
    if (port) {
        uint32_t serial = ZAQ16_NO_ANSWER;
        QXZAQGetSerialNumber(unit, &serial);
        setWindowTitle(QString("ZAQ #%1 COM Port %2 #%3")
                           .arg(unit + 1)
                           .arg(QString::fromStdString(*port))
                           .arg(static_cast<int32_t>(serial)));
    } else {
        setWindowTitle(QString("ZAQ #%1").arg(unit + 1));
    }
    pbx = new PbxPage(unit, pbxType, tabs_);
    bus = new BusPage(unit, pbxType, tabs_);
    dchannel = new DChannelPage(unit, pbxType, tabs_);
    phone = new PhonePage(unit, pbxType, tabs_);
    errors = new ErrorsPage(unit, pbxType, tabs_);
    tabs_->addTab(pbx, "PBX Information");
    tabs_->addTab(bus, "Bus Information");
    tabs_->addTab(dchannel, "D Channel/VOX");
    tabs_->addTab(phone, "Phone Information");
    tabs_->addTab(errors, "Errors");

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Apply, this);
    apply_ = buttons->button(QDialogButtonBox::Apply);
    apply_->setEnabled(false);
    connect(buttons, &QDialogButtonBox::accepted, this, &PropertySheet::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(apply_, &QPushButton::clicked, this, [this] {
        if (ApplyPages()) {
            apply_->setEnabled(false);
        }
    });
    for (PropertyPage* page : {static_cast<PropertyPage*>(pbx), static_cast<PropertyPage*>(bus),
                               static_cast<PropertyPage*>(dchannel)}) {
        connect(page, &PropertyPage::Modified, apply_, [this] { apply_->setEnabled(true); });
    }
    // Wide enough for the five tab titles side by side.
    setMinimumWidth(560);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs_);
    layout->addWidget(buttons);
}

void PropertySheet::ShowPage(int index)
{
    tabs_->setCurrentIndex(index);
    if (auto* page = qobject_cast<PropertyPage*>(tabs_->widget(index))) {
        page->EnsureLoaded();
    }
}

bool PropertySheet::ApplyPages()
{
    for (int index = 0; index < tabs_->count(); ++index) {
        auto* page = qobject_cast<PropertyPage*>(tabs_->widget(index));
        if (page != nullptr && !page->ApplyIfLoaded()) {
            tabs_->setCurrentIndex(index);
            return false;
        }
    }
    return true;
}

void PropertySheet::accept()
{
    if (ApplyPages()) {
        QDialog::accept();
    }
}
