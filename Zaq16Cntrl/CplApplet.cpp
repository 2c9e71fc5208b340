#include "CplApplet.h"

#include <QApplication>
#include <cstring>
#include <memory>

#include "CplRecords.h"
#include "MainDialog.h"
#include "UserPrompts.h"

namespace {

// A panel without Qt of its own gets the applet's application object,
// made when the applet first needs one and ended on "exit".
std::unique_ptr<QApplication> ownApplication;

void EnsureApplication()
{
    if (QApplication::instance() == nullptr) {
        static int argc = 1;
        static char name[] = "zaq16cntrl";
        static char* argv[] = {name, nullptr};
        ownApplication = std::make_unique<QApplication>(argc, argv);
    }
}

void FillInquire(cpl::CPLINFO* info)
{
    info->idIcon = cpl::kIconResource;
    info->idName = cpl::kNameString;
    info->idInfo = cpl::kInfoString;
    info->lData = 0;
}

void FillNewInquire(cpl::NEWCPLINFO* info)
{
    std::memset(info, 0, sizeof *info);
    info->dwSize = sizeof *info;
    info->hIcon = cpl::kIconResource;
    std::strncpy(info->szName, cpl::kNameText, sizeof info->szName - 1);
    std::strncpy(info->szInfo, cpl::kInfoText, sizeof info->szInfo - 1);
}

}  // namespace

int32_t RunCplApplet(void* window, uint32_t message, intptr_t index, intptr_t data)
{
    switch (message) {
    case cpl::kInquire:
        if (data != 0) {
            FillInquire(reinterpret_cast<cpl::CPLINFO*>(data));
        }
        break;
    case cpl::kNewInquire:
        if (data != 0) {
            FillNewInquire(reinterpret_cast<cpl::NEWCPLINFO*>(data));
        }
        break;
    case cpl::kDoubleClick: {
        EnsureApplication();
        CZaq16CntrlDlg dialog;
        dialog.exec();
        break;
    }
    case cpl::kExit:
        ownApplication.reset();
        break;
    case cpl::kInitialise:
    case cpl::kGetCount:
    case cpl::kSelect:
    case cpl::kStop:
        break;
    default:
        EnsureApplication();
        Prompts().Message(nullptr, "Unknown uMsg in CPlApplet", "Zaq16Cntrl.cpl", UserPrompts::Icon::Error);
        break;
    }
    return 1;
}
