#pragma once

#include <QByteArray>

#include <optional>

// Cuts the output of "pw-dump --monitor" into its JSON documents. pw-dump writes each document as a
// top-level array whose "[" and "]" stand alone at the start of a line, with everything inside
// indented; a line starting with "[" therefore always begins a new document. An unfinished document
// followed by a new one (a stream cut mid-object) is dropped, as is text between documents.
class PipeWireDumpSplitter
{
public:
    // Beyond this, a document is garbage: it is dropped and the splitter waits for the next one.
    static constexpr qsizetype maxDocumentSize = 64 * 1024 * 1024;

    // Feeds one line (without its line feed); returns the document this line completes, if any.
    std::optional<QByteArray> feed(const QByteArray& line);
    void reset();

private:
    QByteArray m_document;
    bool m_inside = false;
};
