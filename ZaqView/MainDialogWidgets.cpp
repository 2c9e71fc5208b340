// The window's widgets: the control groups, the event list with its filter,
// the board buttons and phone panes, and the menu.
#include <QButtonGroup>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenuBar>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSortFilterProxyModel>
#include <QStyle>
#include <QVBoxLayout>

#include "EventListModel.h"
#include "MainDialog.h"

namespace {

// "Elite", 12 points, normal weight; the system's fixed-pitch font where Elite is missing.
QFont PaneFont()
{
    QFont font("Elite", 12, QFont::Normal);
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    if (!QFontInfo(font).fixedPitch()) {
        font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        font.setPointSize(12);
        font.setWeight(QFont::Normal);
    }
    return font;
}

QIcon RecordIcon()
{
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(200, 0, 0));
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(QRectF(6, 6, 20, 20));
    return QIcon(pixmap);
}

QRadioButton* AddRadio(QLayout* layout, const QString& caption, const QString& name, QButtonGroup* group)
{
    auto* button = new QRadioButton(caption);
    button->setObjectName(name);
    group->addButton(button);
    layout->addWidget(button);
    return button;
}

}  // namespace

QWidget* MainDialog::BuildControls()
{
    auto* panel = new QWidget;
    auto* layout = new QVBoxLayout(panel);

    auto* getting = new QGroupBox("Getting Events");
    auto* gettingLayout = new QVBoxLayout(getting);
    auto* gettingGroup = new QButtonGroup(getting);
    callbackButton_ = AddRadio(gettingLayout, "Event Callback", "eventCallback", gettingGroup);
    pollingButton_ = AddRadio(gettingLayout, "Event Message Polling", "eventPolling", gettingGroup);
    callbackButton_->setChecked(true);
    connect(callbackButton_, &QRadioButton::clicked, this, [this] { SetPollingMode(false); });
    connect(pollingButton_, &QRadioButton::clicked, this, [this] { SetPollingMode(true); });

    auto* events = new QGroupBox("Events");
    auto* eventsLayout = new QHBoxLayout(events);
    auto* eventsGroup = new QButtonGroup(events);
    eventsEnable_ = AddRadio(eventsLayout, "Enable", "eventsEnable", eventsGroup);
    eventsDisable_ = AddRadio(eventsLayout, "Disable", "eventsDisable", eventsGroup);
    eventsDisable_->setChecked(true);
    auto* clear = new QPushButton("Clear");
    clear->setObjectName("clear");
    eventsLayout->addWidget(clear);
    connect(eventsEnable_, &QRadioButton::clicked, this, [this] { SetDChannelEvents(true); });
    connect(eventsDisable_, &QRadioButton::clicked, this, [this] { SetDChannelEvents(false); });
    connect(clear, &QPushButton::clicked, this, &MainDialog::ClearList);

    auto* updates = new QGroupBox("Event Updates");
    auto* updatesLayout = new QHBoxLayout(updates);
    auto* updatesGroup = new QButtonGroup(updates);
    updatesEnable_ = AddRadio(updatesLayout, "Enable", "updatesEnable", updatesGroup);
    updatesDisable_ = AddRadio(updatesLayout, "Disable", "updatesDisable", updatesGroup);
    updatesEnable_->setChecked(true);
    connect(updatesEnable_, &QRadioButton::clicked, this, [this] { SetEventUpdates(true); });
    connect(updatesDisable_, &QRadioButton::clicked, this, [this] { SetEventUpdates(false); });

    auto* files = new QGroupBox("Event Files");
    auto* filesLayout = new QGridLayout(files);
    const struct {
        const char* name;
        QIcon icon;
        void (MainDialog::*action)();
    } fileButtons[] = {
        {"play", style()->standardIcon(QStyle::SP_MediaPlay), &MainDialog::Play},
        {"stop", style()->standardIcon(QStyle::SP_MediaStop), &MainDialog::StopFiles},
        {"rec", RecordIcon(), &MainDialog::Record},
    };
    int column = 0;
    for (const auto& fileButton : fileButtons) {
        auto* button = new QPushButton;
        button->setObjectName(fileButton.name);
        button->setIcon(fileButton.icon);
        button->setIconSize(QSize(24, 24));
        button->setToolTip(QString(fileButton.name).toUpper());
        connect(button, &QPushButton::clicked, this, fileButton.action);
        filesLayout->addWidget(button, 0, column++);
    }
    auto* fileCaption = new QLabel("PLAY  STOP  REC");
    fileCaption->setAlignment(Qt::AlignCenter);
    filesLayout->addWidget(fileCaption, 1, 0, 1, column);

    auto* pbxTime = new QPushButton("PBX Time");
    pbxTime->setObjectName("pbxTime");
    connect(pbxTime, &QPushButton::clicked, this, &MainDialog::ShowPbxTime);
    auto* exit = new QPushButton("Exit");
    exit->setObjectName("exit");
    connect(exit, &QPushButton::clicked, this, &MainDialog::close);

    layout->addWidget(getting);
    layout->addWidget(events);
    layout->addWidget(updates);
    layout->addWidget(files);
    layout->addWidget(pbxTime);
    layout->addWidget(exit);
    layout->addStretch(1);
    return panel;
}

QWidget* MainDialog::BuildEventList()
{
    auto* panel = new QWidget;
    auto* layout = new QVBoxLayout(panel);
    filterField_ = new QLineEdit;
    filterField_->setObjectName("filter");
    filterField_->setPlaceholderText("Filter: show only lines containing this text");
    filterField_->setClearButtonEnabled(true);
    filter_ = new QSortFilterProxyModel(this);
    filter_->setSourceModel(model_);
    filter_->setFilterCaseSensitivity(Qt::CaseInsensitive);
    connect(filterField_, &QLineEdit::textChanged, filter_, &QSortFilterProxyModel::setFilterFixedString);
    list_ = new QListView;
    list_->setObjectName("eventList");
    list_->setModel(filter_);
    list_->setUniformItemSizes(true);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    droppedNotice_ = new QLabel;
    droppedNotice_->setObjectName("droppedNotice");
    droppedNotice_->hide();
    layout->addWidget(filterField_);
    layout->addWidget(list_, 1);
    layout->addWidget(droppedNotice_);
    return panel;
}

QWidget* MainDialog::BuildPhones()
{
    auto* box = new QGroupBox("View Phones For Board");
    auto* layout = new QVBoxLayout(box);
    auto* boardRow = new QHBoxLayout;
    boardGroup_ = new QButtonGroup(box);
    for (int board = 0; board < kBoardButtons; ++board) {
        auto* button = new QRadioButton("UnAvailable");
        button->setObjectName(QStringLiteral("board%1").arg(board));
        button->setEnabled(false);
        boardGroup_->addButton(button, board);
        boardRow->addWidget(button);
        boardButtons_[static_cast<size_t>(board)] = button;
    }
    connect(boardGroup_, &QButtonGroup::idClicked, this, &MainDialog::ViewBoard);
    layout->addLayout(boardRow);

    auto* grid = new QGridLayout;
    const QFont font = PaneFont();
    for (int pane = 1; pane <= kPanes; ++pane) {
        auto* cell = new QVBoxLayout;
        cell->addWidget(new QLabel(QStringLiteral("Ph. %1").arg(pane)));
        auto* text = new QPlainTextEdit;
        text->setObjectName(QStringLiteral("pane%1").arg(pane));
        text->setReadOnly(true);
        text->setFont(font);
        text->setLineWrapMode(QPlainTextEdit::NoWrap);
        text->setMinimumHeight(QFontMetrics(font).lineSpacing() * 3);
        cell->addWidget(text);
        panes_[static_cast<size_t>(pane - 1)] = text;
        grid->addLayout(cell, (pane - 1) / 4, (pane - 1) % 4);
    }
    layout->addLayout(grid, 1);
    return box;
}

void MainDialog::BuildMenu()
{
    QMenu* file = menuBar()->addMenu("&File");
    file->addAction("&Save Event Log", this, &MainDialog::SaveEventLog);
    QMenu* view = menuBar()->addMenu("&View");
    view->addAction("&Channels", this, &MainDialog::OpenChannels);
    QMenu* settings = menuBar()->addMenu("Settings");
    settings->addAction("Playback...", this, &MainDialog::OpenPlayback);
    phoneStatusAction_ = settings->addAction("PhoneStatus Update");
    phoneStatusAction_->setCheckable(true);
    connect(phoneStatusAction_, &QAction::toggled, this, &MainDialog::SetPhoneStatusUpdate);
    QMenu* callControl = menuBar()->addMenu("Call Control");
    callControl->addAction("Status", this, &MainDialog::OpenCallStatus);
    callControl->addAction("Statistics", this, &MainDialog::OpenStatistics);
    QMenu* help = menuBar()->addMenu("&Help");
    help->addAction("&About", this, &MainDialog::OpenAbout);
}
