// The applet's main dialog: the unit tree, Add Card, Remove Card, Properties,
// Firmware..., the library's trace level and folder, the versions. It holds
// the link started while it is open and stops it when it closes.
#pragma once

#include <QDialog>
#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "CardRegistry.h"

class CLoadFirmware;
class PropertySheet;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTreeWidget;

class CZaq16CntrlDlg : public QDialog {
    Q_OBJECT
public:
    explicit CZaq16CntrlDlg(QWidget* parent = nullptr);
    ~CZaq16CntrlDlg() override;

    void OnAdd();
    void OnRemove();
    void OnProperties();
    void OnFirmware();
    void OnBrowse();
    void OnTraceLevel(int level);
    void OnAbout();
    // Close: refused while an upload runs; otherwise the link is stopped.
    void reject() override;

    // The property sheet of the selected unit, or null (after telling why).
    // The dialogs made here belong to the caller.
    std::unique_ptr<PropertySheet> CreatePropertySheet();
    // The upload dialog for an image that has been chosen and opens; null (after
    // telling why) otherwise.
    std::unique_ptr<CLoadFirmware> CreateFirmwareDialog(const QString& path);

    uint32_t cardCount() const { return cardCount_; }
    bool UploadRunning() const { return uploadRunning_.load(); }
    QTreeWidget* Tree() const { return tree_; }
    QPushButton* Button(const char* name) const;
    QRadioButton* LevelButton(int level) const { return levels_[level]; }
    QString TraceFileText() const;
    QString LibraryVersionText() const;
    // Selects the tree item of `unit`; false when there is none.
    bool SelectUnit(uint32_t unit);

private:
    void StartLink();
    void StopLink();
    void RestartLink();
    void Refresh();
    void RebuildTree();
    bool RefuseWhileUploading();
    std::optional<uint32_t> SelectedUnit() const;
    void ShowTraceFile();
    void ShowModal(QDialog& dialog);

    QTreeWidget* tree_ = nullptr;
    std::array<QRadioButton*, 6> levels_{};
    QLineEdit* traceFile_ = nullptr;
    QLabel* libraryVersion_ = nullptr;
    QPushButton* add_ = nullptr;
    QPushButton* remove_ = nullptr;
    QPushButton* properties_ = nullptr;
    QPushButton* firmware_ = nullptr;

    CardRegistry registry_;
    uint32_t cardCount_ = 0;
    bool linkStarted_ = false;
    int32_t traceLevel_ = 3;
    std::string tracePath_;
    std::atomic<bool> uploadRunning_{false};
};
