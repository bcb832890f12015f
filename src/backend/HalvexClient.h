#pragma once

#include "backend/BackendRecords.h"
#include "backend/BackendReplies.h"
#include "model/SecurityAlert.h"
#include "platform/HttpExchange.h"

#include <QNetworkAccessManager>
#include <QObject>
#include <QUrl>

#include <functional>
#include <optional>

// The application's one gateway to the local backend service. Every operation returns at once; its
// result is handed to `done` on the calling thread when the request ends, and dropped if `context` is
// gone by then. Failures are values: false, an empty list, nothing, or a text beginning "Error: ".
// Only a reply with status exactly 200 counts as success.
class HalvexClient : public QObject
{
    Q_OBJECT
public:
    template <typename T> using Done = std::function<void(T)>;

    // What a command gave: the reply text as executeCommand returns it and, when the backend turned
    // the command down (a status other than 200), the reason it gave in its "error" field.
    struct CommandOutcome
    {
        std::optional<QString> text;
        std::optional<QString> refusal;
    };

    // What a token save gave: whether the backend stored the token and, when it turned it down (a
    // status other than 200), the reason it gave in its "error" field.
    struct TokenSaveOutcome
    {
        bool saved = false;
        std::optional<QString> refusal;
    };

    struct Timeouts
    {
        int requestMs = 60000;
        int commandMs = 12000; // skills answer quickly or not at all
    };

    // Sent as `userId` with every chat message: one constant tag naming this client.
    static constexpr char clientTag[] = "halvex-desktop";

    explicit HalvexClient(QObject* parent = nullptr);
    // For tests: shorter timeouts, so a backend that never answers does not hold a test for a minute.
    explicit HalvexClient(Timeouts timeouts, QObject* parent = nullptr);

    // The setting `serverURL`, read anew for every request; plain HTTP to 127.0.0.1:3456 when it is
    // absent or not an http(s) URL.
    QUrl apiURL() const;
    static QUrl defaultApiURL();

    void checkStatus(QObject* context, Done<bool> done);
    void fetchAlerts(QObject* context, Done<QList<SecurityAlert>> done);
    void fetchStats(QObject* context, Done<std::optional<DashboardStats>> done);
    void executeCommand(const QString& command, QObject* context, Done<std::optional<QString>> done);
    // executeCommand with the backend's refusal kept, for the screens that show it.
    void runCommand(const QString& command, QObject* context, Done<CommandOutcome> done);
    void fetchXMTPStatus(QObject* context, Done<std::optional<XMTPStatus>> done);
    void fetchTelegramStatus(QObject* context, Done<std::optional<TelegramStatus>> done);
    void saveTelegramToken(const QString& token, QObject* context, Done<bool> done);
    // saveTelegramToken with the backend's refusal kept, for the screens that show it.
    void storeTelegramToken(const QString& token, QObject* context, Done<TokenSaveOutcome> done);
    void authorizeTelegram(QObject* context, Done<std::optional<TelegramAuthResult>> done);
    void disconnectTelegram(QObject* context, Done<bool> done);
    void fetchAutomations(QObject* context, Done<QList<Automation>> done);
    void enableAutomation(const QString& skillId, QObject* context, Done<bool> done);
    void disableAutomation(const QString& skillId, QObject* context, Done<bool> done);
    void fetchCustomSkills(QObject* context, Done<QList<CustomSkillDef>> done);
    void createCustomSkill(const QString& name, const QString& emoji, const QString& script, QObject* context,
                           Done<std::optional<CustomSkillDef>> done);
    void updateCustomSkill(const CustomSkillDef& skill, QObject* context, Done<bool> done);
    void deleteCustomSkill(const QString& id, QObject* context, Done<bool> done);
    void sendChatMessage(const QString& message, QObject* context, Done<std::optional<QString>> done);

private:
    using Fields = QList<std::pair<QString, QString>>;

    HttpCall get(const QString& path) const;
    HttpCall post(const QString& path, const Fields& fields) const;
    static HttpCall withJsonBody(HttpCall call, const Fields& fields);
    std::optional<HttpCall> itemCall(const QByteArray& method, const QString& prefix,
                                     const QString& id) const;
    void send(const HttpCall& call, QObject* context, HttpExchange::Callback done);
    // true exactly when the reply's status is 200; an id that cannot be sent fails without a request.
    void sendForStatus(const std::optional<HttpCall>& call, QObject* context, Done<bool> done);
    void sendForSuccess(const HttpCall& call, QObject* context, Done<bool> done);

    QNetworkAccessManager m_network;
    Timeouts m_timeouts;
};
