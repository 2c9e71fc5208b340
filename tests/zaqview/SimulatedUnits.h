// Simulated units for the viewer's tests: zaqsim units on pseudo-terminals in
// a temporary directory, the registry naming them, and the library pointed at
// both. Waiting helpers keep the window's event loop running.
#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Simulator.h"

class SimulatedUnits {
public:
    // One unit per PBX name ("Definity2D", "MeridianD", "ISDN4WD" ...), COM1 first.
    explicit SimulatedUnits(const std::vector<std::string>& pbxNames);
    ~SimulatedUnits();

    zaqsim::Simulator& Sim() { return *sim_; }
    QString File(const QString& name) const { return dir_.filePath(name); }
    // The commands unit `unit` received, one line each.
    QStringList Commands(size_t unit) const;

private:
    QTemporaryDir dir_;
    std::unique_ptr<zaqsim::Simulator> sim_;
};

// Processes the event loop until `done` or `timeoutMs` passed; the result of `done`.
bool WaitFor(const std::function<bool()>& done, int timeoutMs = 10000);

// Lines of `lines` that contain `text`.
int CountContaining(const QStringList& lines, const QString& text);

// A Meridian set's packet: off hook (11 FF) or on hook (11 3F), type 48.
std::vector<uint8_t> MeridianHook(bool offHook);

// Points QSettings at a fresh directory, so tests never see the user's settings.
void IsolateSettings(const QString& directory);
