#include "AboutDialog.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QStyle>
#include <QVBoxLayout>

QString AboutDialog::VersionText(const QString& version)
{
    return "ZaqView Version " + (version.isEmpty() ? QStringLiteral("UNKNOWN") : version);
}

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent)
{
    setWindowTitle("About ZaqView");
    auto* icon = new QLabel(this);
    const QIcon appIcon = QApplication::windowIcon().isNull()
                              ? style()->standardIcon(QStyle::SP_ComputerIcon)
                              : QApplication::windowIcon();
    icon->setPixmap(appIcon.pixmap(32, 32));
    auto* text = new QLabel(VersionText(QApplication::applicationVersion()), this);
    text->setObjectName("versionText");
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &AboutDialog::accept);

    auto* row = new QHBoxLayout;
    row->addWidget(icon);
    row->addWidget(text, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(buttons);
}
