#include "LinkFixture.h"

#include "common/Registry.h"
#include "core/LibraryLifetime.h"
#include "platform/ProcessEnvironment.h"
#include "qxzaqlnk.h"

void LinkFixture::SetUp()
{
    platform::SetEnvironmentVariable("QXZAQ_COMDIR", dir.File("com"));
    platform::SetEnvironmentVariable("QXZAQ_REGISTRY", dir.File("qxzaq16.reg"));
    platform::SetEnvironmentVariable("QXZAQ_SYSDIR", dir.path().string());
    zaqsim::SimulatorSettings settings;
    settings.comDirectory = dir.File("com");
    settings.speed = 0;
    sim = std::make_unique<zaqsim::Simulator>(settings);
}

void LinkFixture::TearDown()
{
    if (loaded) {
        QXZAQStopLink();
        LibraryDetach();
    }
    sim.reset();
}

size_t LinkFixture::AddUnit(zaqsim::UnitConfig config)
{
    return sim->AddUnit(std::move(config));
}

void LinkFixture::StartUnits()
{
    std::string error;
    ASSERT_TRUE(sim->Start(error)) << error;
}

void LinkFixture::WriteRegistry(const std::vector<std::string>& cards, uint32_t traceLevel)
{
    TraceWriter quiet;
    CRegistry registry(quiet);
    ASSERT_EQ(registry.createProviderKey(), 1);
    CRegistry::HKEY key = 0;
    ASSERT_EQ(registry.openProviderKey(platform::registry::kAccessAll, &key), 1);
    registry.setDwordValue(key, CRegistry::kPortCountValue, static_cast<uint32_t>(cards.size()));
    for (size_t i = 0; i < cards.size(); ++i) {
        registry.setStringValue(key, ("CARD" + std::to_string(i + 1)).c_str(), cards[i].c_str());
    }
    registry.setDwordValue(key, CRegistry::kTraceLevelValue, traceLevel);
    registry.setStringValue(key, CRegistry::kTracePathValue, dir.path().string().c_str());
    registry.closeKey(key);
}

void LinkFixture::Load()
{
    LibraryAttach();
    loaded = true;
}

uint32_t LinkFixture::StartLinkWith(size_t units, QXZAQEventCallback callback, uint32_t traceLevel)
{
    std::vector<std::string> cards;
    for (size_t i = 0; i < units; ++i) {
        AddUnit();
        cards.push_back("COM" + std::to_string(i + 1));
    }
    StartUnits();
    WriteRegistry(cards, traceLevel);
    Load();
    return QXZAQStartLink(callback);
}

std::string LinkFixture::TraceText() const
{
    return ReadWholeFile(TracePath());
}
