#include "FakePrompts.h"

void FakePrompts::Message(QWidget*, const QString& text, const QString& caption, Icon)
{
    boxes.push_back({text, caption});
}

std::optional<QString> FakePrompts::ChoosePort(QWidget*, const QStringList& ports)
{
    portLists.push_back(ports);
    return choosePort ? choosePort(ports) : std::nullopt;
}

std::optional<QString> FakePrompts::ChooseFolder(QWidget*)
{
    return folder;
}

std::optional<QString> FakePrompts::ChooseFirmwareFile(QWidget*)
{
    return firmwareFile;
}

QStringList FakePrompts::Texts() const
{
    QStringList texts;
    for (const Box& box : boxes) {
        texts << box.text;
    }
    return texts;
}
