// The file dialogs and message boxes of the viewer, behind one seam so that
// tests can answer them without a modal loop.
#pragma once

#include <QString>
#include <functional>

class QWidget;

struct UserPrompts {
    // Caption of the filter ("Play Files(*.dmp)"), default extension ("dmp");
    // empty when the user cancels.
    std::function<QString(QWidget* parent, const QString& filter, const QString& extension)> openFile;
    // Asks before overwriting an existing file.
    std::function<QString(QWidget* parent, const QString& filter, const QString& extension)> saveFile;
    std::function<void(QWidget* parent, const QString& title, const QString& text)> message;

    // Qt's file dialogs and message boxes.
    static UserPrompts Standard();
};
