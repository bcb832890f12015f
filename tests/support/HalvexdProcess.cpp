#include "support/HalvexdProcess.h"

#include <QDir>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

HalvexdProcess::HalvexdProcess(const QString& home, const QString& workDir)
    : m_environment(QProcessEnvironment::systemEnvironment()), m_workDir(workDir)
{
    m_environment.insert(QStringLiteral("HOME"), home);
    m_environment.remove(QStringLiteral("XDG_CONFIG_HOME"));
    // Cleanup skills sweep the temporary directory: a private one keeps the machine's own out of reach.
    QDir().mkpath(home + QStringLiteral("/tmp"));
    m_environment.insert(QStringLiteral("TMPDIR"), home + QStringLiteral("/tmp"));
    m_process.setProcessChannelMode(QProcess::MergedChannels);
}

HalvexdProcess::~HalvexdProcess()
{
    if (m_process.state() != QProcess::NotRunning)
        killHard();
}

QString HalvexdProcess::binaryPath()
{
    return QStringLiteral(HALVEX_BINARY_DIR "/server/halvexd");
}

quint16 HalvexdProcess::freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

bool HalvexdProcess::start(quint16 port)
{
    m_port = port != 0 ? port : freePort();
    m_process.setProcessEnvironment(m_environment);
    m_process.start(binaryPath(), QStringList{QStringLiteral("--port"), QString::number(m_port),
                                              QStringLiteral("--workdir"), m_workDir} +
                                      m_arguments);
    if (!m_process.waitForStarted(5000))
        return false;
    // Ready once the port takes connections.
    return QTest::qWaitFor(
               [this] {
                   if (m_process.state() == QProcess::NotRunning)
                       return true;
                   QTcpSocket probe;
                   probe.connectToHost(QHostAddress::LocalHost, m_port);
                   return probe.waitForConnected(100);
               },
               15000) &&
           m_process.state() == QProcess::Running;
}

int HalvexdProcess::stop()
{
    m_process.terminate();
    if (!m_process.waitForFinished(10000))
        return -1;
    m_output += m_process.readAll();
    return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
}

void HalvexdProcess::killHard()
{
    m_process.kill();
    m_process.waitForFinished(5000);
    m_output += m_process.readAll();
}

bool HalvexdProcess::restart()
{
    stop();
    return start(m_port);
}

QString HalvexdProcess::output()
{
    m_output += m_process.readAll();
    return QString::fromUtf8(m_output);
}
