#pragma once

#include "monitor/ChatIdSearch.h"
#include "platform/Platform.h"

#include <QNetworkAccessManager>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>

#include <functional>
#include <memory>

class TelegramBotApi;

// The first-run set-up window, "Halvex Setup": welcome, why Telegram, create a bot with @BotFather,
// paste and test the token, then wait for the user's /start, store the chat id and send the welcome
// message. The QML view lays it out; every rule and request is here.
class TelegramSetupModel : public QObject
{
    Q_OBJECT
    Q_PROPERTY(int step READ step NOTIFY stepChanged)
    Q_PROPERTY(QString botToken READ botToken WRITE setBotToken NOTIFY botTokenChanged)
    Q_PROPERTY(QString validatedUsername READ validatedUsername NOTIFY verificationChanged)
    Q_PROPERTY(bool isTesting READ isTesting NOTIFY verificationChanged)
    Q_PROPERTY(QString testError READ testError NOTIFY verificationChanged)
    Q_PROPERTY(bool canSave READ canSave NOTIFY verificationChanged)
    Q_PROPERTY(bool chatIdFound READ chatIdFound NOTIFY chatIdChanged)
    Q_PROPERTY(bool pollingChatId READ pollingChatId NOTIFY chatIdChanged)
    Q_PROPERTY(QString welcomeText READ welcomeText CONSTANT)
    Q_PROPERTY(QString trayHint READ trayHint CONSTANT)
    Q_PROPERTY(QString tokenPlaceholder READ tokenPlaceholder CONSTANT)
    Q_PROPERTY(QString tokenShapeHint READ tokenShapeHint CONSTANT)
    Q_PROPERTY(QString doneTitle READ doneTitle NOTIFY chatIdChanged)
    Q_PROPERTY(QString doneText READ doneText NOTIFY chatIdChanged)
    Q_PROPERTY(QString doneIcon READ doneIcon NOTIFY chatIdChanged)
public:
    enum Step { WelcomeStep, WhyTelegramStep, BotFatherStep, TokenStep, DoneStep };
    Q_ENUM(Step)

    using OpenUrl = std::function<void(const QUrl&)>;
    using StoreToken = std::function<void(const QString& token)>;
    using KeepSearching = std::function<void(std::unique_ptr<ChatIdSearch> search)>;
    struct Options
    {
        QString botApiOrigin;              // empty: HALVEX_TELEGRAM_API, else the public endpoint
        ChatIdSearch::Timing chatIdSearch; // 30 attempts, 3 s apart
        int chatIdPostTimeoutMs = 3000;    // the backend may not run yet: never wait longer
        OpenUrl openUrl;                   // the desktop's URL handler by default
        Platform::Kind platform = Platform::current();
        // Stores a verified token; the settings alone by default. The application stores it in the
        // backend's environment file too, and restarts the backend.
        StoreToken storeToken;
        // Takes over a chat search still waiting when the window finishes, so a /start sent after
        // "Finish" is still answered; without it the search ends with the window.
        KeepSearching keepSearching;
        // Whether the desktop shows our tray icon; without one the hint points to the launcher.
        bool trayShown = true;
    };

    explicit TelegramSetupModel(QObject* parent = nullptr);
    explicit TelegramSetupModel(Options options, QObject* parent = nullptr);
    ~TelegramSetupModel() override;

    int step() const { return m_step; }
    QString botToken() const { return m_botToken; }
    // Every edit clears the verification: a token must be tested as it will be saved.
    void setBotToken(const QString& token);
    QString validatedUsername() const { return m_validatedUsername.value_or(QString()); }
    bool hasValidatedUsername() const { return m_validatedUsername.has_value(); }
    bool isTesting() const { return m_isTesting; }
    QString testError() const { return m_testError.value_or(QString()); }
    bool canSave() const;
    bool chatIdFound() const { return m_chatIdFound; }
    bool pollingChatId() const { return m_pollingChatId; }

    QString welcomeText() const;
    QString trayHint() const;
    QString tokenPlaceholder() const;
    QString tokenShapeHint() const;
    QString doneTitle() const;
    QString doneText() const;
    QString doneIcon() const;

    // The step buttons: "Get started →", "Great, let's go!", "I have my token, continue".
    Q_INVOKABLE void next();
    Q_INVOKABLE void testToken();
    Q_INVOKABLE void saveAndContinue();
    Q_INVOKABLE void startPollingChatId();
    Q_INVOKABLE void openBotFather();
    Q_INVOKABLE void openMyBot();
    // "Skip for now" and "Finish": onboarding is done, the window closes.
    Q_INVOKABLE void finish();

    TelegramBotApi& api() { return m_chatIdSearch->api(); }

Q_SIGNALS:
    void stepChanged();
    void botTokenChanged();
    void verificationChanged();
    void chatIdChanged();
    void finished();

private:
    void setStep(int step);
    void postChatIdToBackend(const QString& token);

    Options m_options;
    // Owns the Bot API; handed over, with the API, when the window finishes during a search.
    QPointer<ChatIdSearch> m_chatIdSearch;
    QNetworkAccessManager m_network;
    int m_step = WelcomeStep;
    QString m_botToken;
    std::optional<QString> m_validatedUsername;
    bool m_isTesting = false;
    std::optional<QString> m_testError;
    bool m_chatIdFound = false;
    bool m_pollingChatId = false;
    quint64 m_test = 0; // drops the answer of a test whose token was edited meanwhile
};
