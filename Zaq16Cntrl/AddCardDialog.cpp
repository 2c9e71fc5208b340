#include "AddCardDialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

CAddZAQ::CAddZAQ(const QStringList& ports, QWidget* parent) : QDialog(parent), ports_(new QListWidget(this))
{
    setWindowTitle("Add ZAQ ...");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel("Select the COM Port to be used with a ZAQ", this));
    ports_->addItems(ports);
    if (!ports.isEmpty()) {
        ports_->setCurrentRow(0);
    }
    layout->addWidget(ports_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(ports_, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
    layout->addWidget(buttons);
}

QString CAddZAQ::ChosenPort() const
{
    const QListWidgetItem* item = ports_->currentItem();
    return item != nullptr ? item->text() : QString();
}
