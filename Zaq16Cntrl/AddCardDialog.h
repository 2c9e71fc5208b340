// "Add ZAQ ...": the administrator picks the COM port of a new unit.
#pragma once

#include <QDialog>
#include <QStringList>

class QListWidget;

class CAddZAQ : public QDialog {
    Q_OBJECT
public:
    CAddZAQ(const QStringList& ports, QWidget* parent = nullptr);
    // The selected port; "" when none.
    QString ChosenPort() const;

private:
    QListWidget* ports_;
};
