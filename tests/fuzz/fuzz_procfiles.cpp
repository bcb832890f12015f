#include "FuzzText.h"
#include "http/TcpSocketOwner.h"
#include "monitor/ProcFdScanner.h"
#include "skills/parsers/AudioCapture.h"
#include "skills/parsers/PacketSockets.h"
#include "skills/parsers/ProcessTable.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <fuzzer/FuzzedDataProvider.h>
#include <unistd.h>

namespace {

void put(const QString& path, const std::string& contents)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(contents.data(), qint64(contents.size()));
}

} // namespace

// A /proc tree of one process, written from the input: its stat, status, comm, an fd link, and the
// machine's socket tables, as the camera scan, the process table and the socket owner read them.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // In memory where there is a tmpfs: truncating files on a journaling disk costs milliseconds each.
    static QTemporaryDir root(QDir("/dev/shm").isReadable() ? QStringLiteral("/dev/shm/halvex-fuzz-XXXXXX")
                                                            : QDir::tempPath() + "/halvex-fuzz-XXXXXX");
    static const QString proc = root.path();
    static const QString pid = proc + QStringLiteral("/4242");
    static const bool made = QDir().mkpath(pid + "/fd") && QDir().mkpath(pid + "/task/4243") &&
                             QDir().mkpath(proc + "/net") && QDir().mkpath(proc + "/asound/card0/pcm0c/sub0");
    FuzzText::require(made, "the tree can be made");

    FuzzedDataProvider provider(data, size);
    put(pid + "/stat", provider.ConsumeRandomLengthString(512));
    put(pid + "/status", provider.ConsumeRandomLengthString(1024));
    put(pid + "/comm", provider.ConsumeRandomLengthString(32));
    put(proc + "/uptime", provider.ConsumeRandomLengthString(32));
    put(proc + "/asound/card0/pcm0c/sub0/status", provider.ConsumeRandomLengthString(256));
    const std::string packet = provider.ConsumeRandomLengthString(512);
    put(proc + "/net/packet", packet);
    const std::string target = provider.ConsumeRandomLengthString(128);
    const QByteArray link = QFile::encodeName(pid + "/fd/3");
    ::unlink(link.constData());
    if (!target.empty() && target.find('\0') == std::string::npos)
        (void)::symlink(target.c_str(), link.constData());
    TcpSocketOwner::Endpoints endpoints;
    endpoints.localAddress = provider.ConsumeIntegral<quint32>();
    endpoints.localPort = provider.ConsumeIntegral<quint16>();
    endpoints.remoteAddress = provider.ConsumeIntegral<quint32>();
    endpoints.remotePort = provider.ConsumeIntegral<quint16>();
    const std::string tcp = provider.ConsumeRemainingBytesAsString();
    put(proc + "/net/tcp", tcp);

    ProcFdScanner::Request request;
    request.procRoot = proc;
    request.nodes = {QByteArray("/dev/video0"), QByteArray::fromStdString(target)};
    request.uid = ::getuid();
    request.ownPid = 1;
    (void)ProcFdScanner::scan(request);

    const QList<ProcessTable::Process> processes = ProcessTable::read(proc);
    (void)ProcessTable::readOne(proc, 4242);
    (void)ProcessTable::threadIds(proc, processes);
    (void)ProcessTable::holders(proc, processes,
                                [](const QString& path) { return path.startsWith("/dev/"); });
    const double uptime = ProcessTable::uptimeSeconds(proc);
    for (const ProcessTable::Process& process : processes)
        (void)ProcessTable::cpuPercent(process, uptime, 100);
    (void)AudioCapture::runningCaptures(proc);
    (void)PacketSockets::parse(QString::fromStdString(packet));

    (void)TcpSocketOwner::findOwner(QByteArrayView(tcp.data(), qsizetype(tcp.size())), endpoints);
    (void)TcpSocketOwner::lookup(proc, endpoints);
    return 0;
}
