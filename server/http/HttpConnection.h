#pragma once

#include "http/HttpRequest.h"
#include "http/HttpResponder.h"
#include "http/HttpResponse.h"

#include <QObject>
#include <QTimer>

#include <functional>

class QTcpSocket;

using RequestHandler = std::function<void(const HttpRequest&, const HttpResponder&)>;

// One client connection: reads requests one after another (keep-alive), hands each complete request to
// the handler and writes its answer. Never holds more than one request head and one permitted body;
// a request refused on its head is answered without reading its body.
class HttpConnection : public QObject
{
    Q_OBJECT
public:
    struct Limits
    {
        int requestDeadlineMs = 10'000; // a whole request must arrive within this time
        int lingerMs = 1'000;           // after a refusal, how long the rest of the input is discarded
        // A connection waiting for its next request (or its first) is closed after this time.
        int idleTimeoutMs = 5'000;
        // No further request is read while more than this many bytes of answers wait to be sent: a
        // client that pipelines without reading would otherwise make us buffer its answers forever.
        qint64 maxPendingAnswerBytes = 256 * 1024;
    };

    HttpConnection(QTcpSocket* socket, quint16 serverPort, RequestHandler handler, Limits limits,
                   QObject* parent = nullptr);
    ~HttpConnection() override;

    void answer(quint64 serial, const HttpResponse& response);
    bool isAnswerable(quint64 serial) const { return m_state == State::Handling && serial == m_serial; }
    // Waiting for a request of which nothing has arrived yet.
    bool isIdle() const { return m_state == State::ReadingHead && m_idleSince != 0; }
    // Orders idle connections: the smaller, the longer idle.
    quint64 idleSince() const { return m_idleSince; }
    void setPeerSocketInode(quint64 inode) { m_peerSocketInode = inode; }
    // Ends the connection now (the server makes room for a new client).
    void closeNow() { close(); }

Q_SIGNALS:
    void closed();

private:
    enum class State { ReadingHead, ReadingBody, Handling, Lingering, Closed };

    void processInput();
    bool readHead();
    bool readBody();
    void dispatch();
    void refuse(const HttpResponse& response);
    void startLingering();
    void awaitNextRequest();
    void resumeIfDrained();
    void close();

    QTcpSocket* m_socket;
    quint16 m_serverPort;
    RequestHandler m_handler;
    Limits m_limits;
    State m_state = State::ReadingHead;
    QTimer m_deadline;
    QByteArray m_buffer;
    HttpRequest m_request;
    qint64 m_expectedBodyBytes = 0;
    quint64 m_serial = 0;
    bool m_keepAliveForAnswer = true;
    bool m_processingQueued = false;
    bool m_finished = false;
    bool m_stalled = false;
    quint64 m_idleSince = 0;
    quint64 m_peerSocketInode = 0;
};
