#include "support/FakeBackendHome.h"

#include "platform/Settings.h"

FakeBackendHome::FakeBackendHome()
{
    qputenv("HALVEX_PLATFORM", "linux");
    Settings().setValue(SettingsKey::serverURL, backend.baseUrl());
}

FakeBackendHome::~FakeBackendHome()
{
    qunsetenv("HALVEX_PLATFORM");
}
