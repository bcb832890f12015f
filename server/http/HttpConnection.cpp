#include "http/HttpConnection.h"

#include "http/RequestHeadParser.h"
#include "http/RequestPolicy.h"

#include <QTcpSocket>

#include <sys/socket.h>

namespace {

quint64 idleCounter = 0; // main thread only

} // namespace

HttpConnection::HttpConnection(QTcpSocket* socket, quint16 serverPort, RequestHandler handler, Limits limits,
                               QObject* parent)
    : QObject(parent), m_socket(socket), m_serverPort(serverPort), m_handler(std::move(handler)),
      m_limits(limits)
{
    m_socket->setParent(this);
    // Qt stops reading from the kernel once this much is waiting, so a client cannot make us buffer
    // more than we choose to take.
    m_socket->setReadBufferSize(64 * 1024);
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, &HttpConnection::close);
    connect(m_socket, &QTcpSocket::readyRead, this, &HttpConnection::processInput);
    connect(m_socket, &QTcpSocket::disconnected, this, &HttpConnection::close);
    connect(m_socket, &QTcpSocket::bytesWritten, this, &HttpConnection::resumeIfDrained);
    awaitNextRequest();
    // Bytes that arrived before the connection was set up raise no further signal; read them once the
    // owner has connected to this object.
    m_processingQueued = true;
    QMetaObject::invokeMethod(this, &HttpConnection::processInput, Qt::QueuedConnection);
}

HttpConnection::~HttpConnection() = default;

void HttpConnection::processInput()
{
    m_processingQueued = false;
    if (m_state == State::Lingering) {
        m_socket->skip(m_socket->bytesAvailable());
        return;
    }
    if (m_idleSince != 0 && (m_socket->bytesAvailable() > 0 || !m_buffer.isEmpty())) {
        m_idleSince = 0;
        m_deadline.start(m_limits.requestDeadlineMs);
    }
    while (m_state == State::ReadingHead || m_state == State::ReadingBody) {
        // A handler may answer at once, so answers pile up within this loop too. The request
        // deadline keeps running while stalled: a client that never reads is cut off by it.
        if (m_state == State::ReadingHead && m_socket->bytesToWrite() > m_limits.maxPendingAnswerBytes) {
            m_stalled = true;
            return;
        }
        const bool progressed = m_state == State::ReadingHead ? readHead() : readBody();
        if (!progressed)
            return;
    }
}

// Takes one head from the input. True when the state moved on.
bool HttpConnection::readHead()
{
    const qint64 room = RequestHeadParser::maxHeadBytes - m_buffer.size();
    if (room > 0)
        m_buffer += m_socket->read(room);
    const qsizetype end = m_buffer.indexOf("\r\n\r\n");
    if (end < 0) {
        if (m_buffer.size() >= RequestHeadParser::maxHeadBytes)
            refuse(HttpResponse::error(431, QStringLiteral("The request head is too large")));
        return false;
    }
    const RequestHeadParser::Result parsed = RequestHeadParser::parse(m_buffer.left(end + 4));
    m_buffer.remove(0, end + 4);
    if (!parsed.request) {
        refuse(HttpResponse::error(parsed.errorStatus, parsed.error));
        return false;
    }
    m_request = *parsed.request;
    if (const auto refusal = RequestPolicy::check(m_request, m_serverPort, m_expectedBodyBytes)) {
        refuse(*refusal);
        return false;
    }
    m_state = State::ReadingBody;
    return true;
}

// Takes the announced body. True when the request was complete and handed on.
bool HttpConnection::readBody()
{
    qint64 missing = m_expectedBodyBytes - m_request.body.size();
    if (missing > 0 && !m_buffer.isEmpty()) {
        const qsizetype taken = qMin<qsizetype>(missing, m_buffer.size());
        m_request.body += m_buffer.left(taken);
        m_buffer.remove(0, taken);
        missing -= taken;
    }
    if (missing > 0)
        m_request.body += m_socket->read(missing);
    if (m_request.body.size() < m_expectedBodyBytes)
        return false;
    dispatch();
    return true;
}

void HttpConnection::dispatch()
{
    m_deadline.stop();
    m_idleSince = 0;
    m_state = State::Handling;
    ++m_serial;
    m_request.peerSocketInode = m_peerSocketInode;
    const HttpRequest request = std::move(m_request);
    m_request = {};
    m_keepAliveForAnswer = request.keepAlive();
    m_handler(request, HttpResponder(this, m_serial));
}

void HttpConnection::answer(quint64 serial, const HttpResponse& response)
{
    if (!isAnswerable(serial))
        return;
    const bool keepAlive = m_keepAliveForAnswer;
    m_socket->write(response.serialize(keepAlive));
    if (!keepAlive) {
        m_state = State::Closed;
        m_socket->disconnectFromHost();
        // A client that does not read its answer cannot hold the connection open either.
        m_deadline.start(m_limits.requestDeadlineMs);
        return;
    }
    m_state = State::ReadingHead;
    awaitNextRequest();
    // A pipelined request may already wait in the buffer; read it after this call unwinds.
    if (!m_processingQueued) {
        m_processingQueued = true;
        QMetaObject::invokeMethod(this, &HttpConnection::processInput, Qt::QueuedConnection);
    }
}

// A pipelined request already waiting is under the request deadline at once; otherwise the connection
// is idle, with its own shorter time.
void HttpConnection::awaitNextRequest()
{
    if (m_buffer.isEmpty() && m_socket->bytesAvailable() == 0) {
        m_idleSince = ++idleCounter;
        m_deadline.start(qMin(m_limits.idleTimeoutMs, m_limits.requestDeadlineMs));
    } else {
        m_idleSince = 0;
        m_deadline.start(m_limits.requestDeadlineMs);
    }
}

void HttpConnection::resumeIfDrained()
{
    if (!m_stalled || m_socket->bytesToWrite() > m_limits.maxPendingAnswerBytes)
        return;
    m_stalled = false;
    if (!m_processingQueued) {
        m_processingQueued = true;
        QMetaObject::invokeMethod(this, &HttpConnection::processInput, Qt::QueuedConnection);
    }
}

void HttpConnection::refuse(const HttpResponse& response)
{
    m_deadline.stop();
    m_socket->write(response.serialize(false));
    startLingering();
}

// Closing a socket with unread input makes the kernel reset the connection, which can destroy the
// answer before the client reads it. So the sending side is shut down once the answer is out, and
// whatever the client still sends is discarded for a moment before the socket closes.
void HttpConnection::startLingering()
{
    m_state = State::Lingering;
    m_buffer.clear();
    auto shutdownWhenWritten = [this]() {
        if (m_socket->bytesToWrite() == 0 && m_socket->socketDescriptor() >= 0)
            ::shutdown(int(m_socket->socketDescriptor()), SHUT_WR);
    };
    connect(m_socket, &QTcpSocket::bytesWritten, this, shutdownWhenWritten);
    m_socket->flush();
    shutdownWhenWritten();
    m_socket->skip(m_socket->bytesAvailable());
    QTimer::singleShot(m_limits.lingerMs, this, &HttpConnection::close);
}

void HttpConnection::close()
{
    if (m_finished)
        return;
    m_finished = true;
    m_state = State::Closed;
    m_deadline.stop();
    m_socket->abort();
    Q_EMIT closed();
}
