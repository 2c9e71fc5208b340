// The property sheet of one unit: its five pages, OK, Cancel, Apply.
#pragma once

#include <QDialog>
#include <cstdint>

class BusPage;
class DChannelPage;
class ErrorsPage;
class PbxPage;
class PhonePage;
class PropertyPage;
class QPushButton;
class QTabWidget;

class PropertySheet : public QDialog {
    Q_OBJECT
public:
    PropertySheet(uint32_t unit, uint32_t pbxType, QWidget* parent);

    // Applies every page shown so far; false when a page refused (it is then shown).
    bool ApplyPages();
    void accept() override;

    QTabWidget* Tabs() const { return tabs_; }
    QPushButton* ApplyButton() const { return apply_; }
    // Shows page `index` (which reads its values from the unit the first time).
    void ShowPage(int index);

    PbxPage* pbx = nullptr;
    BusPage* bus = nullptr;
    DChannelPage* dchannel = nullptr;
    PhonePage* phone = nullptr;
    ErrorsPage* errors = nullptr;

private:
    QTabWidget* tabs_;
    QPushButton* apply_ = nullptr;
};
