#include "MainDialog.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QLabel>
#include <QListView>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSettings>
#include <QSortFilterProxyModel>
#include <QSplitter>
#include <QStyle>
#include <QTextStream>

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
