#include "AppletBench.h"

#include <QDir>
#include <QWidget>
#include <fstream>
#include <sstream>

#include "common/Registry.h"
#include "platform/RegistryStore.h"

namespace {

// A registry class whose failure lines go nowhere.
struct QuietRegistry {
    TraceWriter quiet;
    CRegistry registry{quiet};
    CRegistry::HKEY key = 0;
    QuietRegistry() { registry.openProviderKey(platform::registry::kAccessRead, &key); }
    ~QuietRegistry()
    {
        if (key != 0) {
            registry.closeKey(key);
        }
    }
};

}  // namespace

AppletBench::AppletBench()
{
    qputenv("QXZAQ_COMDIR", QByteArray::fromStdString(File("com")));
    qputenv("QXZAQ_REGISTRY", QByteArray::fromStdString(File("qxzaq16.reg")));
    qputenv("QXZAQ_SYSDIR", QByteArray::fromStdString(dir.path().toStdString()));
    zaqsim::SimulatorSettings settings;
    settings.comDirectory = File("com");
    settings.speed = 0;
    sim = std::make_unique<zaqsim::Simulator>(settings);
    SetPrompts(&prompts);
}

AppletBench::~AppletBench()
{
    SetPrompts(nullptr);
    sim.reset();
}

std::string AppletBench::File(const std::string& name) const
{
    return dir.filePath(QString::fromStdString(name)).toStdString();
}

void AppletBench::StartUnits(std::vector<zaqsim::UnitConfig> units)
{
    for (auto& unit : units) {
        sim->AddUnit(std::move(unit));
    }
    std::string error;
    QVERIFY2(sim->Start(error), error.c_str());
}

void AppletBench::WriteRegistry(const std::vector<std::string>& cards)
{
    TraceWriter quiet;
    CRegistry registry(quiet);
    QCOMPARE(registry.createProviderKey(), 1);
    CRegistry::HKEY key = 0;
    QCOMPARE(registry.openProviderKey(platform::registry::kAccessAll, &key), 1);
    registry.setDwordValue(key, CRegistry::kPortCountValue, static_cast<uint32_t>(cards.size()));
    for (size_t i = 0; i < cards.size(); ++i) {
        registry.setStringValue(key, ("CARD" + std::to_string(i + 1)).c_str(), cards[i].c_str());
    }
    registry.setDwordValue(key, CRegistry::kTraceLevelValue, 3);
    registry.setStringValue(key, CRegistry::kTracePathValue, (dir.path().toStdString() + "/").c_str());
    registry.closeKey(key);
}

std::optional<uint32_t> AppletBench::Dword(const char* name) const
{
    QuietRegistry open;
    uint32_t value = 0;
    if (open.key == 0 || open.registry.getDwordValue(open.key, name, &value) == 0) {
        return std::nullopt;
    }
    return value;
}

void AppletBench::SetDword(const char* name, uint32_t value)
{
    TraceWriter quiet;
    CRegistry registry(quiet);
    CRegistry::HKEY key = 0;
    QCOMPARE(registry.openProviderKey(platform::registry::kAccessAll, &key), 1);
    registry.setDwordValue(key, name, value);
    registry.closeKey(key);
}

std::optional<std::string> AppletBench::String(const char* name) const
{
    QuietRegistry open;
    std::string value;
    if (open.key == 0 || open.registry.getStringValue(open.key, name, &value) == 0) {
        return std::nullopt;
    }
    return value;
}

std::vector<std::string> AppletBench::Cards() const
{
    std::vector<std::string> cards;
    const uint32_t count = Dword(CRegistry::kPortCountValue).value_or(0);
    for (uint32_t number = 1; number <= count; ++number) {
        cards.push_back(String(("CARD" + std::to_string(number)).c_str()).value_or("<missing>"));
    }
    return cards;
}

std::string AppletBench::AppletLog() const
{
    std::ifstream file(File("ZAQ16CNTRL.LOG"));
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

std::vector<std::string> AppletBench::Commands(size_t unit, const std::string& prefix) const
{
    std::vector<std::string> found;
    for (const std::string& line : sim->CommandLog(unit)) {
        if (line.compare(0, prefix.size(), prefix) == 0) {
            found.push_back(line);
        }
    }
    return found;
}

bool SaveScreenshot(QWidget* widget, const QString& name)
{
    const QString folder = QString(ZAQ_BINARY_DIR) + "/screenshots";
    QDir().mkpath(folder);
    return widget->grab().save(folder + "/" + name + ".png");
}
