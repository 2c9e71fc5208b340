#include "UserPrompts.h"

#include <QFileDialog>
#include <QMessageBox>

UserPrompts UserPrompts::Standard()
{
    UserPrompts prompts;
    prompts.openFile = [](QWidget* parent, const QString& filter, const QString& extension) {
        QFileDialog dialog(parent, QString(), QString(), filter);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.setDefaultSuffix(extension);
        return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
    };
    prompts.saveFile = [](QWidget* parent, const QString& filter, const QString& extension) {
        QFileDialog dialog(parent, QString(), QString(), filter);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setDefaultSuffix(extension);
        return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
    };
    prompts.message = [](QWidget* parent, const QString& title, const QString& text) {
        QMessageBox::information(parent, title, text);
    };
    return prompts;
}
