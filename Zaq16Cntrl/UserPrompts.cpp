#include "UserPrompts.h"

#include <QDir>
#include <QFileDialog>
#include <QMessageBox>

#include "AddCardDialog.h"

namespace {

class DialogPrompts : public UserPrompts {
public:
    void Message(QWidget* parent, const QString& text, const QString& caption, Icon icon) override
    {
        static const QMessageBox::Icon kIcons[] = {QMessageBox::Information, QMessageBox::Warning,
                                                   QMessageBox::Critical};
        QMessageBox box(kIcons[static_cast<int>(icon)], caption, text, QMessageBox::Ok, parent);
        box.exec();
    }

    std::optional<QString> ChoosePort(QWidget* parent, const QStringList& ports) override
    {
        CAddZAQ dialog(ports, parent);
        if (dialog.exec() != QDialog::Accepted || dialog.ChosenPort().isEmpty()) {
            return std::nullopt;
        }
        return dialog.ChosenPort();
    }

    std::optional<QString> ChooseFolder(QWidget* parent) override
    {
        const QString folder = QFileDialog::getExistingDirectory(parent, "Trace folder");
        if (folder.isEmpty()) {
            return std::nullopt;
        }
        return folder;
    }

    std::optional<QString> ChooseFirmwareFile(QWidget* parent) override
    {
        QFileDialog dialog(parent, "Open", QDir::homePath(), "ZAQ Firmware Files(*.zaq)");
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.setDefaultSuffix("zaq");
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
            return std::nullopt;
        }
        return dialog.selectedFiles().first();
    }
};

UserPrompts* replaced = nullptr;

}  // namespace

UserPrompts& Prompts()
{
    static DialogPrompts dialogs;
    return replaced != nullptr ? *replaced : dialogs;
}

void SetPrompts(UserPrompts* prompts)
{
    replaced = prompts;
}
