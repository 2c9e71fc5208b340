#include "MainDialog.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QFile>
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
#include <QSettings>
#include <QSortFilterProxyModel>
#include <QSplitter>
#include <QStyle>
#include <QTextStream>
#include <QVBoxLayout>

#include "AboutDialog.h"
#include "CallStatusDialog.h"
#include "ChannelDialog.h"
#include "EventListModel.h"
#include "LinkReport.h"
#include "StatisticsDialog.h"

namespace {

class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

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

const char* const kSettingsOrganization = "Tessaline";
const char* const kSettingsApplication = "ZaqView";

}  // namespace

MainDialog::MainDialog(int maxLines, UserPrompts prompts, QWidget* parent)
    : QMainWindow(parent),
      prompts_(std::move(prompts)),
      inbox_(kGatherMs, maxLines),
      routine_(channels_, inbox_),
      source_(routine_),
      model_(new EventListModel(maxLines, this))
{
    setWindowTitle("ZaqView");
    setWindowIcon(style()->standardIcon(QStyle::SP_ComputerIcon));
    verticalSplitter_ = new QSplitter(Qt::Vertical, this);
    horizontalSplitter_ = new QSplitter(Qt::Horizontal, verticalSplitter_);
    horizontalSplitter_->addWidget(BuildControls());
    horizontalSplitter_->addWidget(BuildEventList());
    horizontalSplitter_->setStretchFactor(1, 1);
    verticalSplitter_->addWidget(horizontalSplitter_);
    verticalSplitter_->addWidget(BuildPhones());
    setCentralWidget(verticalSplitter_);
    BuildMenu();
    connect(&inbox_, &EventInbox::BatchReady, this, &MainDialog::ShowBatch);
    connect(model_, &EventListModel::LinesDropped, this, &MainDialog::ShowDropped);
    resize(1100, 800);
    RestoreLayout();
}

MainDialog::~MainDialog()
{
    source_.Stop();
}

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
    for (const auto& spec : fileButtons) {
        auto* button = new QPushButton;
        button->setObjectName(spec.name);
        button->setIcon(spec.icon);
        button->setIconSize(QSize(24, 24));
        button->setToolTip(QString(spec.name).toUpper());
        connect(button, &QPushButton::clicked, this, spec.action);
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

void MainDialog::StartUp()
{
    StartLink();
    for (uint32_t board = 0; board < linkInfo_.boards; ++board) {
        QXZAQDisableDChEvents(board);
    }
    dChannelEvents_ = false;
    eventsDisable_->setChecked(true);
    eventUpdates_ = true;
    updatesEnable_->setChecked(true);
}

void MainDialog::StartLink()
{
    WaitCursor wait;
    const uint32_t count = source_.Start(pollingMode_);
    stopped_ = false;
    linkInfo_ = {};
    linkInfo_.size = sizeof linkInfo_;
    if (QXZAQGetLinkInfo(&linkInfo_) != ZAQ16_RET_SUCCESS) {
        linkInfo_.boards = 0;
        return;
    }
    boardInfo_ = {};
    boardInfo_.size = sizeof boardInfo_;
    eventUpdates_ ? QXZAQEnableEventUpdates() : QXZAQDisableEventUpdates();

    viewedBoard_ = -1;
    for (uint32_t board = 0; board < linkInfo_.boards; ++board) {
        if (QXZAQGetBoardInfo(board, &boardInfo_) != ZAQ16_RET_SUCCESS) {
            continue;
        }
        if (board < kBoardButtons) {
            QRadioButton* button = boardButtons_[board];
            button->setText(PortName(boardInfo_));
            button->setEnabled(true);
            if (viewedBoard_ < 0) {
                button->setChecked(true);
                viewedBoard_ = static_cast<int>(board);
            }
        }
        List(BoardLines(board, boardInfo_, dChannelEvents_));
    }
    for (uint32_t board = linkInfo_.boards; board < kBoardButtons; ++board) {
        boardButtons_[board]->setText("UnAvailable");
        boardButtons_[board]->setEnabled(false);
    }
    List({QStringLiteral("Number of ZAQs %1 ").arg(static_cast<int>(count))});
}

void MainDialog::SetPollingMode(bool polling)
{
    (polling ? pollingButton_ : callbackButton_)->setChecked(true);
    if (polling == pollingMode_) {
        return;
    }
    pollingMode_ = polling;
    StartLink();
}

void MainDialog::SetDChannelEvents(bool on)
{
    WaitCursor wait;
    (on ? eventsEnable_ : eventsDisable_)->setChecked(true);
    for (uint32_t board = 0; board < linkInfo_.boards; ++board) {
        on ? QXZAQEnableDChEvents(board) : QXZAQDisableDChEvents(board);
    }
    dChannelEvents_ = on;
}

void MainDialog::SetEventUpdates(bool on)
{
    (on ? updatesEnable_ : updatesDisable_)->setChecked(true);
    on ? QXZAQEnableEventUpdates() : QXZAQDisableEventUpdates();
    eventUpdates_ = on;
}

void MainDialog::ClearList()
{
    model_->Clear();
}

void MainDialog::Play()
{
    const QString file = prompts_.openFile(this, "Play Files(*.dmp)", "dmp");
    if (file.isEmpty()) {
        return;
    }
    WaitCursor wait;
    QXZAQPlayDChannelEventsTime(QFile::encodeName(file).constData(), playback_.TimeMode());
}

void MainDialog::StopFiles()
{
    WaitCursor wait;
    QXZAQRecordDChannelEvents(nullptr);
    QXZAQPlayDChannelEvents(nullptr);
}

void MainDialog::Record()
{
    const QString file = prompts_.saveFile(this, "Record Files(*.dmp)", "dmp");
    if (file.isEmpty()) {
        return;
    }
    QXZAQRecordDChannelEvents(QFile::encodeName(file).constData());
}

void MainDialog::ShowPbxTime()
{
    QStringList lines;
    for (uint32_t board = 0; board < linkInfo_.boards; ++board) {
        lines << QStringLiteral("Board %1 %2")
                     .arg(static_cast<int>(board))
                     .arg(PbxTimeText(board).value_or(QStringLiteral("UNKNOWN PBXTIME")));
    }
    List(lines);
}

void MainDialog::ViewBoard(int board)
{
    if (board < 0 || board >= kBoardButtons) {
        return;
    }
    boardButtons_[static_cast<size_t>(board)]->setChecked(true);
    viewedBoard_ = board;
    for (QPlainTextEdit* pane : panes_) {
        pane->clear();
    }
}

void MainDialog::SaveEventLog()
{
    const QString name = prompts_.saveFile(this, "Event Log Files(*.log)", "log");
    if (name.isEmpty()) {
        return;
    }
    QFile file(name);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
        prompts_.message(this, name, "Event Log Not Created.");
        return;
    }
    QTextStream out(&file);
    out.setEncoding(QStringConverter::Latin1);
    int number = 0;
    for (const QString& line : model_->Lines()) {
        out << "\nLine " << ++number << ": " << line;
    }
    out.flush();
    if (out.status() != QTextStream::Ok || !file.flush()) {
        prompts_.message(this, name, "Event Log Not Created.");
    }
}

void MainDialog::SetPhoneStatusUpdate(bool on)
{
    if (phoneStatusAction_->isChecked() != on) {
        phoneStatusAction_->setChecked(on);
    }
    routine_.SetPhoneStatusUpdate(on);
}

void MainDialog::OpenChannels()
{
    ChannelDialog(channels_, linkInfo_.boards, this).exec();
}

void MainDialog::OpenPlayback()
{
    PlaybackDialog(playback_, prompts_.message, this).exec();
}

void MainDialog::OpenCallStatus()
{
    CallStatusDialog(linkInfo_.boards, this).exec();
}

void MainDialog::OpenStatistics()
{
    StatisticsDialog(linkInfo_.boards, prompts_.message, this).exec();
}

void MainDialog::OpenAbout()
{
    AboutDialog(this).exec();
}

QStringList MainDialog::VisibleLines() const
{
    QStringList lines;
    for (int row = 0; row < filter_->rowCount(); ++row) {
        lines << filter_->index(row, 0).data().toString();
    }
    return lines;
}

void MainDialog::closeEvent(QCloseEvent* event)
{
    if (!stopped_) {
        stopped_ = true;
        source_.Stop();
        pollingMode_ = false;
        SaveLayout();
    }
    event->accept();
}

void MainDialog::ShowBatch()
{
    InboxBatch batch = inbox_.Take();
    for (PaneText& pane : batch.panes) {
        if (static_cast<int>(pane.board) == viewedBoard_ && pane.pane >= 1 && pane.pane <= kPanes) {
            panes_[pane.pane - 1]->setPlainText(pane.text);
        }
    }
    model_->NoteDropped(batch.droppedLines);
    List(batch.lines);
}

void MainDialog::List(const QStringList& lines)
{
    if (lines.isEmpty()) {
        return;
    }
    model_->Append(lines);
    list_->scrollToBottom();
}

void MainDialog::ShowDropped(qint64 dropped)
{
    droppedNotice_->setVisible(dropped > 0);
    droppedNotice_->setText(QStringLiteral("%1 older lines dropped: the list keeps the newest %2 lines.")
                                .arg(dropped)
                                .arg(model_->MaxLines()));
}

void MainDialog::RestoreLayout()
{
    QSettings settings(kSettingsOrganization, kSettingsApplication);
    restoreGeometry(settings.value("window/geometry").toByteArray());
    verticalSplitter_->restoreState(settings.value("window/verticalSplitter").toByteArray());
    horizontalSplitter_->restoreState(settings.value("window/horizontalSplitter").toByteArray());
}

void MainDialog::SaveLayout() const
{
    QSettings settings(kSettingsOrganization, kSettingsApplication);
    settings.setValue("window/geometry", saveGeometry());
    settings.setValue("window/verticalSplitter", verticalSplitter_->saveState());
    settings.setValue("window/horizontalSplitter", horizontalSplitter_->saveState());
}
