#include "PagePhone.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "qxzaqlnk.h"

PhonePage::PhonePage(uint32_t unit, uint32_t pbxType, QWidget* parent) : PropertyPage(unit, pbxType, parent)
{
    auto* row = new QHBoxLayout;
    for (QLabel*& column : columns) {
        column = new QLabel(this);
        column->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
        column->setAlignment(Qt::AlignTop | Qt::AlignLeft);
        row->addWidget(column);
    }
    auto* refresh = new QPushButton("Refresh", this);
    connect(refresh, &QPushButton::clicked, this, &PhonePage::OnRefresh);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row, 1);
    layout->addWidget(refresh, 0, Qt::AlignRight);
}

void PhonePage::OnRefresh()
{
    uint8_t levels[16] = {};
    if (QXZAQGetPhoneLevels(unit_, levels) != ZAQ16_RET_SUCCESS) {
        columns[0]->setText("Unable to retrieve Phone Level");
        columns[1]->clear();
        return;
    }
    for (int column = 0; column < 2; ++column) {
        QString text;
        for (int line = column * 8; line < column * 8 + 8; ++line) {
            text += QString::asprintf("%3d : %3d\n", line + 1, levels[line]);
        }
        columns[column]->setText(text);
    }
}
