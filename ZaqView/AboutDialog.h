// "About ZaqView": the program's icon and version.
#pragma once

#include <QDialog>

class AboutDialog : public QDialog {
    Q_OBJECT
public:
    // "ZaqView Version 1.4.1.41"; "UNKNOWN" in place of an empty version.
    static QString VersionText(const QString& version);

    explicit AboutDialog(QWidget* parent = nullptr);
};
