#pragma once

#include "fakes/FakeHttpServer.h"

#include <QHash>
#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <QObject>
#include <QQueue>
#include <QSet>
#include <QString>

// A Telegram Bot API on loopback for tests. Every request is recorded (method, path with the token,
// JSON body); each method answers from its own script of replies, then from its default reply, which
// is Telegram's success shape ("ok" true and a minimal result). getUpdates answers, by default, from
// the bot's pending updates as Telegram does: an offset confirms (drops) every update below it, the
// rest stay until confirmed, and "limit" caps the answer.
class FakeBotApi : public QObject
{
    Q_OBJECT
public:
    using Request = FakeHttpServer::Request;
    using Reply = FakeHttpServer::Reply;

    explicit FakeBotApi(QObject* parent = nullptr);

    // What HALVEX_TELEGRAM_API should hold.
    QString origin() const { return m_server.baseUrl(); }
    FakeHttpServer& server() { return m_server; }

    // The next request of `method` ("getUpdates") gets `reply`; later ones the following scripted
    // replies, then the default.
    void queueReply(const QString& method, const Reply& reply);
    // Updates waiting for the bot, in the order they happened.
    void addUpdates(const QJsonArray& updates);
    // Updates numbered afresh, lower than those before, as Telegram does after a quiet week: until one
    // is delivered, an offset above its id neither returns nor confirms it, so only a request without
    // an offset, or with one at or below its id, sees it.
    void addRenumberedUpdates(const QJsonArray& updates);
    QJsonArray pendingUpdates() const { return m_pendingUpdates; }
    // Every method answers `reply` from now on; the scripts are dropped.
    void answerEverything(const Reply& reply);

    QList<Request> requests(const QString& method = {}) const;
    bool waitForRequests(const QString& method, int count, int timeoutMs = 5000) const;

    static QString methodOf(const Request& request); // "sendMessage"
    static QString tokenOf(const Request& request);  // the text between "/bot" and the method
    static Reply okReply(const QJsonValue& result);
    static QJsonObject pressUpdate(qint64 updateId, const QString& callbackId, const QString& data,
                                   qint64 chatId);
    static QJsonObject messageUpdate(qint64 updateId, qint64 chatId);

private:
    Reply answer(const Request& request);
    Reply answerUpdates(const Request& request);

    FakeHttpServer m_server;
    QHash<QString, QQueue<Reply>> m_scripts;
    QHash<QString, Reply> m_defaults;
    QJsonArray m_pendingUpdates;
    QSet<qint64> m_renumbered; // ids of pending updates numbered afresh and not yet delivered
    std::optional<Reply> m_everything;
};

Q_DECLARE_METATYPE(FakeHttpServer::Reply)
