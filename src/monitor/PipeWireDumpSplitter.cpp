#include "monitor/PipeWireDumpSplitter.h"

std::optional<QByteArray> PipeWireDumpSplitter::feed(const QByteArray& line)
{
    if (line.startsWith('[')) {
        // A whole document on one line ("[]", or compact output).
        if (line.trimmed().endsWith(']')) {
            reset();
            return line;
        }
        m_document = line;
        m_inside = true;
        return std::nullopt;
    }
    if (!m_inside)
        return std::nullopt;
    m_document += '\n';
    m_document += line;
    if (line.startsWith(']')) {
        const QByteArray document = std::exchange(m_document, QByteArray());
        m_inside = false;
        return document;
    }
    if (m_document.size() > maxDocumentSize)
        reset();
    return std::nullopt;
}

void PipeWireDumpSplitter::reset()
{
    m_document.clear();
    m_inside = false;
}
