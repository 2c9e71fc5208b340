// What the property pages share: the page base (values read from the unit
// when the page is first shown, written on OK or Apply), and the rules for
// fields a unit may have left without a value.
#pragma once

#include <QWidget>
#include <cstdint>
#include <optional>

class QComboBox;
class QLineEdit;

class PropertyPage : public QWidget {
    Q_OBJECT
public:
    PropertyPage(uint32_t unit, uint32_t pbxType, QWidget* parent);

    // Reads the page's values from the unit, once.
    void EnsureLoaded();
    bool Loaded() const { return loaded_; }
    // Writes the page's values. False stops the apply (the page stays open).
    // A page never shown has nothing to write.
    bool ApplyIfLoaded() { return !loaded_ || Apply(); }

signals:
    void Modified();

protected:
    virtual void Load() = 0;
    virtual bool Apply() = 0;
    void showEvent(QShowEvent* event) override;
    // Every change of the controls marks the page modified.
    void WatchForChanges();

    // Shows a library failure code with its message; true when there was one.
    bool ReportFailure(uint32_t result);

    uint32_t unit_;
    uint32_t pbxType_;

private:
    bool loaded_ = false;
};

// A number field checked on apply: nothing when it is empty (no value was
// read and none was typed), the number when it lies in [low, high]. Out of
// range: the range message, focus on the field, and `refused` set.
std::optional<int32_t> CheckedNumber(QLineEdit* field, int32_t low, int32_t high, bool& refused);

// Selects entry `index` of `combo`, or none when the index is outside the list.
void SelectEntry(QComboBox* combo, int64_t index);

// True for a Get entry's answer that is a value (not "no answer", not a failure).
bool IsAnswer(uint32_t value);
