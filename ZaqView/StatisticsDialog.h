// "Call Control" > "Statistics": the call counters of one trunk of an ISDN board.
#pragma once

#include <QDialog>
#include <array>
#include <cstdint>
#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;

class StatisticsDialog : public QDialog {
    Q_OBJECT
public:
    using Message = std::function<void(QWidget*, const QString& title, const QString& text)>;
    static constexpr int kCounters = 6;

    StatisticsDialog(uint32_t boards, Message message, QWidget* parent = nullptr);

    QComboBox* Boards() const { return boards_; }
    QComboBox* Trunks() const { return trunks_; }
    QLineEdit* Counter(int word) const { return counters_[static_cast<size_t>(word)]; }
    QLabel* Available() const { return available_; }

private:
    void ShowStatistics();

    Message message_;
    QComboBox* boards_;
    QComboBox* trunks_;
    QLabel* available_;
    std::array<QLineEdit*, kCounters> counters_{};
};
