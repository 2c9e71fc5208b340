#include "SimulatedUnits.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QSettings>
#include <QTest>

#include "RegistryWriter.h"

SimulatedUnits::SimulatedUnits(const std::vector<std::string>& pbxNames)
{
    qputenv("QXZAQ_COMDIR", dir_.filePath("com").toLocal8Bit());
    qputenv("QXZAQ_REGISTRY", dir_.filePath("qxzaq16.reg").toLocal8Bit());
    qputenv("QXZAQ_SYSDIR", dir_.path().toLocal8Bit());
    zaqsim::SimulatorSettings settings;
    settings.comDirectory = dir_.filePath("com").toStdString();
    settings.speed = 0;
    sim_ = std::make_unique<zaqsim::Simulator>(settings);
    std::vector<std::string> ports;
    for (const std::string& pbx : pbxNames) {
        zaqsim::UnitConfig config;
        config.pbxName = pbx;
        const size_t unit = sim_->AddUnit(config);
        ports.push_back(sim_->LinkName(unit));
    }
    std::string error;
    if (!sim_->Start(error)) {
        qFatal("simulated units: %s", error.c_str());
    }
    if (zaqsim::WriteUnitRegistry(ports, dir_.path().toStdString()) != 0) {
        qFatal("simulated units: registry not written");
    }
}

SimulatedUnits::~SimulatedUnits() = default;

QStringList SimulatedUnits::Commands(size_t unit) const
{
    QStringList commands;
    for (const std::string& line : sim_->CommandLog(unit)) {
        commands << QString::fromStdString(line);
    }
    return commands;
}

bool WaitFor(const std::function<bool()>& done, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired()) {
            return false;
        }
        QTest::qWait(10);
    }
    return true;
}

int CountContaining(const QStringList& lines, const QString& text)
{
    int count = 0;
    for (const QString& line : lines) {
        count += line.contains(text) ? 1 : 0;
    }
    return count;
}

std::vector<uint8_t> MeridianHook(bool offHook)
{
    return {0x11, static_cast<uint8_t>(offHook ? 0xFF : 0x3F)};
}

void IsolateSettings(const QString& directory)
{
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, directory);
}
