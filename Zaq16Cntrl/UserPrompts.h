// Everything the applet asks of the administrator or tells in a box goes
// through one object, so that the dialogs run unattended under test.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

class QWidget;

class UserPrompts {
public:
    enum class Icon { Information, Warning, Error };

    virtual ~UserPrompts() = default;
    virtual void Message(QWidget* parent, const QString& text, const QString& caption, Icon icon) = 0;
    // The "Add ZAQ ..." choice among `ports`; nothing when cancelled.
    virtual std::optional<QString> ChoosePort(QWidget* parent, const QStringList& ports) = 0;
    // A trace folder; nothing when cancelled.
    virtual std::optional<QString> ChooseFolder(QWidget* parent) = 0;
    // A firmware image (*.zaq) that exists; nothing when cancelled.
    virtual std::optional<QString> ChooseFirmwareFile(QWidget* parent) = 0;
};

// The prompts in use: Qt's dialogs unless replaced.
UserPrompts& Prompts();
// Replaces the prompts (null: Qt's dialogs again); the caller keeps ownership.
void SetPrompts(UserPrompts* prompts);
