// The viewer's window: starts the link, lists every event of the selected
// channels, shows the displays of one board's sixteen phones, and offers the
// delivery mode, D-channel output, event updates, dump files and PBX time.
#pragma once

#include <QMainWindow>
#include <array>

#include "ChannelSelection.h"
#include "EventInbox.h"
#include "EventRoutine.h"
#include "EventSource.h"
#include "PlaybackDialog.h"
#include "UserPrompts.h"
#include "qxzaqlnk.h"

class EventListModel;
class QAction;
class QButtonGroup;
class QLabel;
class QLineEdit;
class QListView;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QSortFilterProxyModel;
class QSplitter;

class MainDialog : public QMainWindow {
    Q_OBJECT
public:
    static constexpr int kBoardButtons = 8;
    static constexpr int kPanes = 16;
    // How long events gather before the window lists them as one batch.
    static constexpr int kGatherMs = 20;

    explicit MainDialog(int maxLines = 100000, UserPrompts prompts = UserPrompts::Standard(),
                        QWidget* parent = nullptr);
    ~MainDialog() override;

    // Starts the link in callback mode and switches the units' D-channel output off.
    void StartUp();

    EventListModel& Model() const { return *model_; }
    // What the list shows (after the filter).
    QStringList VisibleLines() const;
    QPlainTextEdit* Pane(int pane) const { return panes_[static_cast<size_t>(pane - 1)]; }
    QRadioButton* BoardButton(int board) const { return boardButtons_[static_cast<size_t>(board)]; }
    QLineEdit* FilterField() const { return filterField_; }
    QLabel* DroppedNotice() const { return droppedNotice_; }
    ChannelSelection& Channels() { return channels_; }
    EventRoutine& Routine() { return routine_; }
    EventInbox& Inbox() { return inbox_; }
    PlaybackSettings& Playback() { return playback_; }
    uint32_t BoardCount() const { return linkInfo_.boards; }
    int ViewedBoard() const { return viewedBoard_; }
    bool PollingMode() const { return pollingMode_; }

    // The controls, as a user works them.
    void SetPollingMode(bool polling);
    void SetDChannelEvents(bool on);
    void SetEventUpdates(bool on);
    void ClearList();
    void Play();
    void StopFiles();
    void Record();
    void ShowPbxTime();
    void ViewBoard(int board);
    void SaveEventLog();
    void SetPhoneStatusUpdate(bool on);
    void OpenChannels();
    void OpenPlayback();
    void OpenCallStatus();
    void OpenStatistics();
    void OpenAbout();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QWidget* BuildControls();
    QWidget* BuildEventList();
    QWidget* BuildPhones();
    void BuildMenu();
    void StartLink();
    void ShowBatch();
    void List(const QStringList& lines);
    void ShowDropped(qint64 dropped);
    void RestoreLayout();
    void SaveLayout() const;

    UserPrompts prompts_;
    ChannelSelection channels_;
    EventInbox inbox_;
    EventRoutine routine_;
    EventSource source_;

    bool pollingMode_ = false;
    bool dChannelEvents_ = false;
    bool eventUpdates_ = true;
    PlaybackSettings playback_;
    ZAQ16_LINK_INFO linkInfo_{};
    ZAQ16_BOARD_INFO boardInfo_{};
    int viewedBoard_ = -1;
    bool stopped_ = false;

    EventListModel* model_ = nullptr;
    QSortFilterProxyModel* filter_ = nullptr;
    QListView* list_ = nullptr;
    QLineEdit* filterField_ = nullptr;
    QLabel* droppedNotice_ = nullptr;
    QRadioButton* callbackButton_ = nullptr;
    QRadioButton* pollingButton_ = nullptr;
    QRadioButton* eventsEnable_ = nullptr;
    QRadioButton* eventsDisable_ = nullptr;
    QRadioButton* updatesEnable_ = nullptr;
    QRadioButton* updatesDisable_ = nullptr;
    QAction* phoneStatusAction_ = nullptr;
    QButtonGroup* boardGroup_ = nullptr;
    std::array<QRadioButton*, kBoardButtons> boardButtons_{};
    std::array<QPlainTextEdit*, kPanes> panes_{};
    QSplitter* verticalSplitter_ = nullptr;
    QSplitter* horizontalSplitter_ = nullptr;
};
