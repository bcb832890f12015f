#include "BenchUtil.h"
#include "monitor/TccLineParser.h"

#include <QStringList>

// Parsing of tccd log lines: half recognised, half not, as the log stream delivers them.
int main()
{
    const QStringList corpus{
        "2025-03-01 09:15:42.517 Df tccd[412:1a2b] [com.apple.TCC:access] AUTHREQ_ATTRIBUTION: msgID=412.1, "
        "attribution={accessing={TCCDProcess: identifier=us.zoom.xos, pid=1234}, "
        "requesting={identifier=us.zoom.xos}}, "
        "service=kTCCServiceCamera attributedBundleIdentifier=us.zoom.xos",
        "2025-03-01 09:15:43.100 Df tccd[412:1a2b] AUTHREQ_RESULT: msgID=412.2, "
        "authValue=2, authReason=4, service=kTCCServiceMicrophone, client com.google.Chrome",
        "2025-03-01 09:15:44.001 Df tccd[412:1a2b] REQUEST: tccd_uid=501, "
        "sender_pid=777, function=TCCAccessRequest, service=kTCCServiceLiveLocation identifier "
        "com.apple.Maps",
        "2025-03-01 09:15:45.010 Df tccd[412:1a2b] [com.apple.TCC:access] kTCCServiceCamera granted "
        "attributedBundleIdentifier=com.example.Spy",
        "2025-03-01 09:15:46.000 Df tccd[412:1a2b] [com.apple.TCC:db] Writing db at /Library/Application "
        "Support/com.apple.TCC/TCC.db with schema version 27",
        "2025-03-01 09:15:46.300 Df tccd[412:1a2b] [com.apple.TCC:access] Handling access check for "
        "kTCCServiceAddressBook from com.apple.contactsd",
        "2025-03-01 09:15:47.000 Df tccd[412:1a2b] [com.apple.TCC:events] Publishing event for "
        "kTCCServiceScreenCapture, client=/usr/local/bin/recorder",
        "2025-03-01 09:15:47.500 Df tccd[412:1a2b] [com.apple.TCC:access] sandbox check for pid 511 "
        "passed; no service named in this line at all",
    };
    long recognised = 0;
    const long iterations = 400000;
    long index = 0;
    const double micros = microsecondsPerIteration(iterations, [&] {
        if (TccLineParser::parseTCCLine(corpus[index++ % corpus.size()]))
            ++recognised;
    });
    report("parseTCCLine + extractAppName, per line", micros, "us", 2.0);
    std::printf("%-52s %12.0f lines/s (recognised %ld of %ld)\n", "throughput", 1e6 / micros, recognised,
                iterations);
    return 0;
}
