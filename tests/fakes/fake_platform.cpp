#include "fake_platform.h"

long FakeMci::send(const QString& command)
{
    sent << command;
    return results.value(command.toLower(), 0);
}

FakeRig::FakeRig() = default;

PlatformServices FakeRig::services()
{
    return PlatformServices{.player = &player,
                            .settings = &settings,
                            .mci = &mci,
                            .folders = &folders,
                            .drives = &drives,
                            .endProcess = [this](int code) { exitCodes << code; }};
}

Playerfrm& FakeRig::window()
{
    if (!m_window)
        m_window = std::make_unique<Playerfrm>(services());
    return *m_window;
}

Playerfrm& FakeRig::load(const QString& commandLine)
{
    window().Form_Load(commandLine);
    return *m_window;
}
