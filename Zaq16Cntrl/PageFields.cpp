#include "PageFields.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QShowEvent>

#include "ErrorMessages.h"
#include "UserPrompts.h"
#include "qxzaqlnk.h"

PropertyPage::PropertyPage(uint32_t unit, uint32_t pbxType, QWidget* parent)
    : QWidget(parent), unit_(unit), pbxType_(pbxType)
{
}

void PropertyPage::EnsureLoaded()
{
    if (!loaded_) {
        loaded_ = true;
        Load();
    }
}

void PropertyPage::showEvent(QShowEvent* event)
{
    EnsureLoaded();
    QWidget::showEvent(event);
}

void PropertyPage::WatchForChanges()
{
    for (QComboBox* combo : findChildren<QComboBox*>()) {
        connect(combo, &QComboBox::activated, this, &PropertyPage::Modified);
    }
    for (QLineEdit* field : findChildren<QLineEdit*>()) {
        connect(field, &QLineEdit::textEdited, this, &PropertyPage::Modified);
    }
    for (QAbstractButton* button : findChildren<QAbstractButton*>()) {
        if (button->isCheckable()) {
            connect(button, &QAbstractButton::clicked, this, &PropertyPage::Modified);
        }
    }
}

bool PropertyPage::ReportFailure(uint32_t result)
{
    if (!IsFailureCode(result)) {
        return false;
    }
    processError(this, result);
    return true;
}

std::optional<int32_t> CheckedNumber(QLineEdit* field, int32_t low, int32_t high, bool& refused)
{
    const QString text = field->text().trimmed();
    if (text.isEmpty()) {
        return std::nullopt;
    }
    bool ok = false;
    const int64_t value = text.toLongLong(&ok);
    if (!ok || value < low || value > high) {
        Prompts().Message(field->window(), QString("Please enter an integer between %1 and %2.").arg(low).arg(high),
                          "Zaq16Cntrl", UserPrompts::Icon::Warning);
        field->setFocus();
        field->selectAll();
        refused = true;
        return std::nullopt;
    }
    return static_cast<int32_t>(value);
}

void SelectEntry(QComboBox* combo, int64_t index)
{
    combo->setCurrentIndex(index >= 0 && index < combo->count() ? static_cast<int>(index) : -1);
}

bool IsAnswer(uint32_t value)
{
    return value != ZAQ16_NO_ANSWER && !IsFailureCode(value);
}
