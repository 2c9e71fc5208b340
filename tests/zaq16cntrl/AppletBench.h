// A bench for the applet's dialogs: a temporary directory holding the
// registry file, the system directory and the COM directory, simulated units
// linked there, and scripted prompts. One per test function.
#pragma once

#include <QTemporaryDir>
#include <QtTest>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "FakePrompts.h"
#include "Simulator.h"

class AppletBench {
public:
    AppletBench();
    ~AppletBench();

    // Adds simulated units COM1.. and starts them.
    void StartUnits(std::vector<zaqsim::UnitConfig> units);
    // "# of COMPorts" and CARD1.. as given, trace level 3, trace folder the directory.
    void WriteRegistry(const std::vector<std::string>& cards);

    std::optional<uint32_t> Dword(const char* name) const;
    void SetDword(const char* name, uint32_t value);
    std::optional<std::string> String(const char* name) const;
    // "CARD1".. "CARD<# of COMPorts>"; a missing value as "<missing>".
    std::vector<std::string> Cards() const;

    std::string AppletLog() const;
    std::string File(const std::string& name) const;
    // Commands a unit received that begin with `prefix`.
    std::vector<std::string> Commands(size_t unit, const std::string& prefix) const;

    QTemporaryDir dir;
    std::unique_ptr<zaqsim::Simulator> sim;
    FakePrompts prompts;
};

// Writes `widget` as <build>/screenshots/<name>.png.
bool SaveScreenshot(QWidget* widget, const QString& name);

// A QtTest main that runs offscreen unless told otherwise.
#define ZAQ16CNTRL_TEST_MAIN(TestClass)                      \
    int main(int argc, char** argv)                          \
    {                                                        \
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {\
            qputenv("QT_QPA_PLATFORM", "offscreen");         \
        }                                                    \
        QApplication app(argc, argv);                        \
        TestClass test;                                      \
        return QTest::qExec(&test, argc, argv);              \
    }
