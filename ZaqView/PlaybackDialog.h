// "Playback Settings": how PLAY times the records of a dump file. A style
// button takes effect at once, the delay when the field is left with a value
// in range; "Cancel" keeps what was already set.
#pragma once

#include <QDialog>
#include <cstdint>
#include <functional>

class QLineEdit;
class QRadioButton;

struct PlaybackSettings {
    int style = 3;   // 1 "No Time Delay", 2 "Set Time Delay", 3 "Real Time Emulation"
    int delay = 10;  // ms before each record with style 2

    static constexpr int kMinDelay = 1;
    static constexpr int kMaxDelay = 2000;

    // The timing argument of QXZAQPlayDChannelEventsTime: 0, the delay, or -1.
    int32_t TimeMode() const;
};

class PlaybackDialog : public QDialog {
    Q_OBJECT
public:
    using Message = std::function<void(QWidget*, const QString& title, const QString& text)>;

    PlaybackDialog(PlaybackSettings& settings, Message message, QWidget* parent = nullptr);

    QRadioButton* StyleButton(int style) const { return styleButtons_[style - 1]; }
    QLineEdit* DelayField() const { return delayField_; }

    void accept() override;

private:
    void TakeDelay();

    PlaybackSettings& settings_;
    Message message_;
    QRadioButton* styleButtons_[3];
    QLineEdit* delayField_;
};
