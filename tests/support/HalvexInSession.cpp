#include "support/HalvexInSession.h"

#include "platform/Settings.h"

bool HalvexInSession::start(QProcessEnvironment environment, bool onboarded)
{
    m_backend = std::make_unique<HalvexdProcess>(m_home.path(), m_home.path());
    if (!m_backend->start())
        return false;
    Settings().setValue(SettingsKey::serverURL, m_backend->baseUrl());
    Settings().setHasOnboarded(onboarded);
    environment.insert("HOME", m_home.path());
    environment.insert("HALVEX_PLATFORM", "linux");
    environment.insert("HALVEX_PROC_ROOT", m_tree.procRoot());
    environment.insert("HALVEX_DEV_ROOT", m_tree.devRoot());
    environment.insert("HALVEX_TOOL_PW_DUMP", m_missingTools.path() + "/pw-dump");
    environment.insert("HALVEX_TOOL_PACTL", m_missingTools.path() + "/pactl");
    environment.remove("HALVEX_VENDOR_URL");
    m_process.setProcessEnvironment(environment);
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.setStandardOutputFile(m_home.path() + "/halvex.log");
    m_process.start(QStringLiteral(HALVEX_BINARY_DIR "/src/halvex"));
    return m_process.waitForStarted();
}

void HalvexInSession::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(10000))
        m_process.kill();
    m_process.waitForFinished(2000);
}
