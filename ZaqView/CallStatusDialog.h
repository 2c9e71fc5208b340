// "Call Control" > "Status": the call status record of one ISDN channel.
#pragma once

#include <QDialog>
#include <array>
#include <cstdint>

class QComboBox;
class QLabel;
class QLineEdit;

class CallStatusDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kFields = 7;

    CallStatusDialog(uint32_t boards, QWidget* parent = nullptr);

    QComboBox* Channels() const { return channels_; }
    QLineEdit* Field(int word) const { return fields_[static_cast<size_t>(word)]; }
    QLabel* Available() const { return available_; }

private:
    void ShowChannel(int index);

    QComboBox* channels_;
    QLabel* available_;
    std::array<QLineEdit*, kFields> fields_{};
};
