#include "PlaybackDialog.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>
#include <optional>

namespace {

std::optional<int> DelayIn(const QLineEdit* field)
{
    bool ok = false;
    const int value = field->text().trimmed().toInt(&ok);
    if (!ok || value < PlaybackSettings::kMinDelay || value > PlaybackSettings::kMaxDelay) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

int32_t PlaybackSettings::TimeMode() const
{
    switch (style) {
    case 1:
        return 0;
    case 2:
        return delay;
    default:
        return -1;
    }
}

PlaybackDialog::PlaybackDialog(PlaybackSettings& settings, Message message, QWidget* parent)
    : QDialog(parent), settings_(settings), message_(std::move(message)), delayField_(new QLineEdit(this))
{
    setWindowTitle("Playback Settings");
    auto* layout = new QVBoxLayout(this);
    auto* group = new QButtonGroup(this);
    const char* const captions[] = {"No Time Delay", "Set Time Delay", "Real Time Emulation"};
    for (int style = 1; style <= 3; ++style) {
        auto* button = new QRadioButton(captions[style - 1], this);
        styleButtons_[style - 1] = button;
        group->addButton(button, style);
        layout->addWidget(button);
        if (style == 2) {
            layout->addWidget(delayField_);
        }
    }
    StyleButton(settings_.style >= 1 && settings_.style <= 3 ? settings_.style : 3)->setChecked(true);
    connect(group, &QButtonGroup::idClicked, this, [this](int style) { settings_.style = style; });
    delayField_->setText(QString::number(settings_.delay));
    connect(delayField_, &QLineEdit::editingFinished, this, &PlaybackDialog::TakeDelay);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &PlaybackDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &PlaybackDialog::reject);
    layout->addWidget(buttons);
}

void PlaybackDialog::TakeDelay()
{
    if (const auto delay = DelayIn(delayField_)) {
        settings_.delay = *delay;
    }
}

void PlaybackDialog::accept()
{
    const auto delay = DelayIn(delayField_);
    if (!delay) {
        message_(this, windowTitle(),
                 QStringLiteral("Please enter an integer between %1 and %2.")
                     .arg(PlaybackSettings::kMinDelay)
                     .arg(PlaybackSettings::kMaxDelay));
        delayField_->setFocus();
        return;
    }
    settings_.delay = *delay;
    QDialog::accept();
}
