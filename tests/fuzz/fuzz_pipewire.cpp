#include "FuzzText.h"
#include "monitor/PipeWireDumpSplitter.h"
#include "monitor/PipeWireGraph.h"

#include <QJsonArray>

// The output of "pw-dump --monitor", line by line through the splitter, each document into the graph.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    PipeWireDumpSplitter splitter;
    PipeWireGraph graph;
    const QList<QByteArray> lines = FuzzText::bytes(data, size).split('\n');
    for (const QByteArray& line : lines) {
        const std::optional<QByteArray> document = splitter.feed(line);
        if (!document)
            continue;
        FuzzText::require(document->startsWith('['), "a document is an array");
        const QJsonDocument parsed = QJsonDocument::fromJson(*document);
        if (parsed.isArray())
            graph.apply(parsed.array());
        (void)graph.runningCaptureStreams();
    }
    return 0;
}
