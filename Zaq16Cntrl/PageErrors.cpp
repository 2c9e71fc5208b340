#include "PageErrors.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "PbxLayout.h"
#include "qxzaqlnk.h"

namespace {

// The counters arrive as four tables of 16 bytes: phone errors, PBX errors,
// phone errors per second, PBX errors per second.
uint8_t Counter(const uint32_t (&counters)[16], int table, int line)
{
    const auto* bytes = reinterpret_cast<const uint8_t*>(counters);
    return bytes[table * 16 + line];
}

}  // namespace

ErrorsPage::ErrorsPage(uint32_t unit, uint32_t pbxType, QWidget* parent) : PropertyPage(unit, pbxType, parent)
{
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    header = new QLabel(HasPbxLevel(pbxType) ? "Phone    Phone Errs   PBX Errs   Phone Err/s  PBX Errs/s"
                                             : "         Errors             Errs/s                              ",
                        this);
    header->setFont(fixed);
    list = new QListWidget(this);
    list->setFont(fixed);
    auto* get = new QPushButton("Get Errors", this);
    auto* clear = new QPushButton("Clear Errors", this);
    connect(get, &QPushButton::clicked, this, &ErrorsPage::OnGetErrors);
    connect(clear, &QPushButton::clicked, this, &ErrorsPage::OnClearErrors);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(get);
    buttons->addWidget(clear);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(header);
    layout->addWidget(list, 1);
    layout->addLayout(buttons);
}

bool ErrorsPage::ShowCounters(bool afterButton)
{
    uint32_t counters[16] = {};
    if (QXZAQCheckErrors(unit_, counters) != ZAQ16_RET_SUCCESS) {
        return false;
    }
    const bool paired = !HasPbxLevel(pbxType_);
    for (int line = 0; line < 16; ++line) {
        QString text;
        if (paired) {
            text = QString::asprintf(afterButton ? "%s %d :         %03d             %03d                          "
                                                 : "%s %d :         %03d                %03d                          ",
                                     line % 2 == 0 ? "NT" : "TE", line / 2 + 1, Counter(counters, 0, line),
                                     Counter(counters, 1, line));
        } else {
            text = QString::asprintf("%3d :         %03d             %03d             %03d             %03d ", line + 1,
                                     Counter(counters, 0, line), Counter(counters, 1, line),
                                     Counter(counters, 2, line), Counter(counters, 3, line));
        }
        list->addItem(text);
    }
    return true;
}

void ErrorsPage::Load()
{
    ShowCounters(false);
}

void ErrorsPage::OnGetErrors()
{
    list->clear();
    if (!ShowCounters(true)) {
        list->addItem("TIMEOUT Error; Try Again.");
    }
}

void ErrorsPage::OnClearErrors()
{
    list->clear();
    QXZAQClearErrors(unit_);
    if (!ShowCounters(true)) {
        list->addItem("TIMEOUT Error; Try Again.");
    }
}
