#include "MainDialog.h"

#include <QButtonGroup>
#include <QFile>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "AppletTrace.h"
#include "ErrorMessages.h"
#include "EventCallback.h"
#include "FirmwareDialog.h"
#include "PropertySheet.h"
#include "SerialPortOffer.h"
#include "UnitNames.h"
#include "UserPrompts.h"
#include "Versions.h"
#include "qxzaqlnk.h"

namespace {

constexpr const char* kWaitForDownload = "Wait until current download is complete.";
constexpr const char* kLevelNames[] = {"Fatal (Least amount)", "Error", "Warning", "Information", "Trace",
                                       "Debug (Highest Amount)"};
constexpr const char* kTraceFileName = "qxzaqlnk.log";

QPushButton* NamedButton(const char* text, const char* name, QWidget* parent)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

}  // namespace

CZaq16CntrlDlg::CZaq16CntrlDlg(QWidget* parent) : QDialog(parent)
{
    traceLevel_ = 3;
    QXZAQSetTraceLevel(traceLevel_);

    tree_ = new QTreeWidget(this);
    tree_->setHeaderHidden(true);
    tree_->setMinimumWidth(280);
    add_ = NamedButton("Add Card", "add", this);
    remove_ = NamedButton("Remove Card", "remove", this);
    properties_ = NamedButton("Properties", "properties", this);
    firmware_ = NamedButton("Firmware...", "firmware", this);
    auto* browse = NamedButton("Browse", "browse", this);
    auto* about = NamedButton("&About Zaq16Cntrl...", "about", this);
    auto* close = NamedButton("Close", "close", this);

    auto* levelBox = new QGroupBox("Trace Level", this);
    auto* levelLayout = new QVBoxLayout(levelBox);
    auto* levelGroup = new QButtonGroup(this);
    for (int level = 0; level < 6; ++level) {
        levels_[level] = new QRadioButton(kLevelNames[level], levelBox);
        levelGroup->addButton(levels_[level], level);
        levelLayout->addWidget(levels_[level]);
    }
    traceFile_ = new QLineEdit(this);
    traceFile_->setReadOnly(true);
    libraryVersion_ = new QLabel(this);
    libraryVersion_->setObjectName("libraryVersion");

    auto* buttons = new QVBoxLayout;
    for (QPushButton* button : {add_, remove_, properties_, firmware_, about}) {
        buttons->addWidget(button);
    }
    buttons->addStretch();
    buttons->addWidget(close);
    auto* top = new QHBoxLayout;
    top->addWidget(tree_, 1);
    top->addWidget(levelBox);
    top->addLayout(buttons);
    auto* traceRow = new QHBoxLayout;
    traceRow->addWidget(new QLabel("Trace File:", this));
    traceRow->addWidget(traceFile_, 1);
    traceRow->addWidget(browse);
    auto* versionRow = new QHBoxLayout;
    versionRow->addWidget(new QLabel("QXZAQLNK.DLL Version:", this));
    versionRow->addWidget(libraryVersion_, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(traceRow);
    layout->addLayout(versionRow);

    connect(add_, &QPushButton::clicked, this, &CZaq16CntrlDlg::OnAdd);
    connect(remove_, &QPushButton::clicked, this, &CZaq16CntrlDlg::OnRemove);
    connect(properties_, &QPushButton::clicked, this, &CZaq16CntrlDlg::OnProperties);
    connect(firmware_, &QPushButton::clicked, this, &CZaq16CntrlDlg::OnFirmware);
    connect(browse, &QPushButton::clicked, this, &CZaq16CntrlDlg::OnBrowse);
    connect(about, &QPushButton::clicked, this, &CZaq16CntrlDlg::OnAbout);
    connect(close, &QPushButton::clicked, this, &CZaq16CntrlDlg::reject);
    connect(levelGroup, &QButtonGroup::idClicked, this, &CZaq16CntrlDlg::OnTraceLevel);

    const std::string libraryVersion = LibraryVersion();
    if (libraryVersion != "UNKNOWN") {
        AppletTrace().Write(TRACE_INFO, "CZaq16CntrlDlg::OnInitDialog", "DLL Version %s", libraryVersion.c_str());
    }
    libraryVersion_->setText(QString::fromStdString(libraryVersion));
    const std::string appletVersion = AppletVersion();
    AppletTrace().Write(TRACE_INFO, "CZaq16CntrlDlg::OnInitDialog", "Control Panel Version%s", appletVersion.c_str());
    setWindowTitle(QString("Calvoro ZAQ Control Panel %1").arg(QString::fromStdString(appletVersion)));

    StartLink();
    const TraceSettings settings = registry_.ReadTraceSettings("CZaq16CntrlDlg::OnInitDialog");
    if (settings.level && *settings.level <= 5) {
        traceLevel_ = static_cast<int32_t>(*settings.level);
    }
    tracePath_ = settings.path.value_or("");
    Refresh();
}

CZaq16CntrlDlg::~CZaq16CntrlDlg()
{
    StopLink();
}

QPushButton* CZaq16CntrlDlg::Button(const char* name) const
{
    return findChild<QPushButton*>(name);
}

QString CZaq16CntrlDlg::TraceFileText() const
{
    return traceFile_->text();
}

QString CZaq16CntrlDlg::LibraryVersionText() const
{
    return libraryVersion_->text();
}

void CZaq16CntrlDlg::StartLink()
{
    const uint32_t result = QXZAQStartLink(EventCallback);
    linkStarted_ = true;
    if (IsFailureCode(result) || result > 16) {
        cardCount_ = 0;
        processError(this, result);
        return;
    }
    cardCount_ = result;
}

void CZaq16CntrlDlg::StopLink()
{
    if (linkStarted_) {
        QXZAQStopLink();
        linkStarted_ = false;
    }
}

// Stopped and started again on the unit list as the registry now holds it,
// whatever the number of units before.
void CZaq16CntrlDlg::RestartLink()
{
    StopLink();
    StartLink();
}

void CZaq16CntrlDlg::Refresh()
{
    RebuildTree();
    const bool haveUnits = cardCount_ > 0;
    properties_->setEnabled(haveUnits);
    firmware_->setEnabled(haveUnits);
    remove_->setEnabled(haveUnits);
    levels_[traceLevel_]->setChecked(true);
    QXZAQSetTraceLevel(traceLevel_);
    ShowTraceFile();
}

void CZaq16CntrlDlg::RebuildTree()
{
    const std::optional<uint32_t> selected = SelectedUnit();
    AppletTrace().Write(TRACE_INFO, "CZaq16CntrlDlg::OnPaint()", "clearing %u cards", cardCount_);
    tree_->clear();
    auto* root = new QTreeWidgetItem(tree_, QStringList{"ZAQ Boards"});
    ZAQ16_LINK_INFO info{};
    info.size = sizeof info;
    const uint32_t result = QXZAQGetLinkInfo(&info);
    if (IsFailureCode(result)) {
        processError(this, result);
        return;
    }
    for (uint32_t unit = 0; unit < cardCount_; ++unit) {
        new QTreeWidgetItem(root, QStringList{UnitLabel(unit)});
    }
    if (cardCount_ > 0) {
        tree_->expandAll();
        if (selected) {
            SelectUnit(*selected);
        }
    }
}

bool CZaq16CntrlDlg::SelectUnit(uint32_t unit)
{
    QTreeWidgetItem* root = tree_->topLevelItem(0);
    if (root == nullptr || unit >= static_cast<uint32_t>(root->childCount())) {
        return false;
    }
    tree_->setCurrentItem(root->child(static_cast<int>(unit)));
    return true;
}

std::optional<uint32_t> CZaq16CntrlDlg::SelectedUnit() const
{
    const QTreeWidgetItem* item = tree_->currentItem();
    if (item == nullptr || item->parent() == nullptr || cardCount_ == 0) {
        return std::nullopt;
    }
    const auto unit = UnitOfLabel(item->text(0));
    if (!unit || *unit >= cardCount_) {
        return std::nullopt;
    }
    return unit;
}

bool CZaq16CntrlDlg::RefuseWhileUploading()
{
    if (!uploadRunning_.load()) {
        return false;
    }
    Prompts().Message(this, kWaitForDownload, windowTitle(), UserPrompts::Icon::Information);
    return true;
}

void CZaq16CntrlDlg::OnAdd()
{
    if (RefuseWhileUploading()) {
        return;
    }
    const auto offered = PortsToOffer(registry_.Cards("CZaq16CntrlDlg::OnAdd()"));
    if (offered.empty()) {
        Prompts().Message(this, "No COM Ports Available.", "Information", UserPrompts::Icon::Information);
        return;
    }
    QStringList ports;
    for (const std::string& port : offered) {
        ports << QString::fromStdString(port);
    }
    const auto chosen = Prompts().ChoosePort(this, ports);
    if (!chosen) {
        return;
    }
    if (registry_.AddCard(chosen->toStdString()) != CardRegistry::AddResult::Added) {
        return;
    }
    RestartLink();
    Refresh();
}

void CZaq16CntrlDlg::OnRemove()
{
    if (RefuseWhileUploading()) {
        return;
    }
    const auto unit = SelectedUnit();
    if (!unit) {
        Prompts().Message(this, "A ZAQ card must be selected to REMOVE.", "Error!", UserPrompts::Icon::Error);
        return;
    }
    const auto port = UnitPortName(*unit);
    if (!port) {
        return;
    }
    StopLink();
    registry_.RemoveCard(*port);
    StartLink();
    tree_->setCurrentItem(nullptr);
    Refresh();
}

std::unique_ptr<PropertySheet> CZaq16CntrlDlg::CreatePropertySheet()
{
    if (RefuseWhileUploading()) {
        return nullptr;
    }
    const auto unit = SelectedUnit();
    if (!unit) {
        Prompts().Message(this, "A ZAQ card must be selected to set properties.", "Error!", UserPrompts::Icon::Error);
        return nullptr;
    }
    const uint32_t pbxType = QXZAQGetPBXType(*unit);
    if (pbxType == ZAQ16_PBX_UNKNOWN) {
        Prompts().Message(this, "Unknown or old Firmware; Please load new firmware.", "Warning!",
                          UserPrompts::Icon::Warning);
        return nullptr;
    }
    if (IsFailureCode(pbxType)) {
        processError(this, pbxType);
        return nullptr;
    }
    return std::make_unique<PropertySheet>(*unit, pbxType, nullptr);
}

// Runs a dialog made by this one over it; it goes before this one does.
void CZaq16CntrlDlg::ShowModal(QDialog& dialog)
{
    dialog.setParent(this, Qt::Dialog);
    dialog.exec();
    dialog.setParent(nullptr);
}

void CZaq16CntrlDlg::OnProperties()
{
    if (auto sheet = CreatePropertySheet()) {
        ShowModal(*sheet);
    }
}

std::unique_ptr<CLoadFirmware> CZaq16CntrlDlg::CreateFirmwareDialog(const QString& path)
{
    QFile image(path);
    if (!image.open(QIODevice::ReadOnly)) {
        Prompts().Message(this, "Error opening firmware!", "Error!", UserPrompts::Icon::Error);
        return nullptr;
    }
    image.close();
    return std::make_unique<CLoadFirmware>(path, cardCount_, [this] { uploadRunning_ = false; }, nullptr);
}

void CZaq16CntrlDlg::OnFirmware()
{
    if (RefuseWhileUploading()) {
        return;
    }
    uploadRunning_ = true;
    if (const auto path = Prompts().ChooseFirmwareFile(this)) {
        if (auto dialog = CreateFirmwareDialog(*path)) {
            ShowModal(*dialog);
        }
    }
    uploadRunning_ = false;
}

void CZaq16CntrlDlg::OnBrowse()
{
    const auto folder = Prompts().ChooseFolder(this);
    if (!folder) {
        return;
    }
    tracePath_ = folder->toStdString();
    if (tracePath_.empty() || tracePath_.back() != '/') {
        tracePath_ += '/';
    }
    if (!registry_.WriteTracePath(tracePath_, "CZaq16CntrlDlg::OnBrowse")) {
        AppletTrace().Write(TRACE_ERROR, "CZaq16CntrlDlg::OnBrowse", "CRegistry::openProviderKey failed");
    }
    ShowTraceFile();
}

void CZaq16CntrlDlg::OnTraceLevel(int level)
{
    if (level < 0 || level > 5) {
        return;
    }
    QXZAQSetTraceLevel(level);
    traceLevel_ = level;
    levels_[level]->setChecked(true);
    registry_.WriteTraceLevel(static_cast<uint32_t>(level), "CZaq16CntrlDlg::OnTraceLevel");
}

void CZaq16CntrlDlg::OnAbout()
{
    Prompts().Message(this, QString("Calvoro ZAQ Control Panel %1").arg(QString::fromStdString(AppletVersion())),
                      "About Calvoro ZAQ Control Panel", UserPrompts::Icon::Information);
}

void CZaq16CntrlDlg::ShowTraceFile()
{
    std::string folder = tracePath_;
    if (!folder.empty() && folder.back() != '/') {
        folder += '/';
    }
    traceFile_->setText(QString::fromStdString(folder + kTraceFileName));
}

void CZaq16CntrlDlg::reject()
{
    if (RefuseWhileUploading()) {
        return;
    }
    StopLink();
    QDialog::reject();
}
