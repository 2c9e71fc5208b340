// Prompts that answer from the test's script and note every message box.
#pragma once

#include <QStringList>
#include <functional>
#include <vector>

#include "UserPrompts.h"

class FakePrompts : public UserPrompts {
public:
    struct Box {
        QString text;
        QString caption;
    };

    void Message(QWidget* parent, const QString& text, const QString& caption, Icon icon) override;
    std::optional<QString> ChoosePort(QWidget* parent, const QStringList& ports) override;
    std::optional<QString> ChooseFolder(QWidget* parent) override;
    std::optional<QString> ChooseFirmwareFile(QWidget* parent) override;

    // The texts of the boxes shown so far.
    QStringList Texts() const;

    std::vector<Box> boxes;
    std::vector<QStringList> portLists;   // every list Add Card offered
    std::function<std::optional<QString>(const QStringList&)> choosePort;
    std::optional<QString> folder;
    std::optional<QString> firmwareFile;
};
