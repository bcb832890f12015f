#pragma once

#include "platform/Platform.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>
#include <optional>

class AppState;

// The dashboard's Telegram card: connect a bot through the backend, show whether it is linked to the
// user's chat, disconnect it. Its four states follow the backend's Telegram status and whether the
// backend answers; every request goes through the client, and each success refreshes the status.
class TelegramCardModel : public QObject
{
    Q_OBJECT
    Q_PROPERTY(int cardState READ cardState NOTIFY cardStateChanged)
    Q_PROPERTY(QString botUsername READ botUsername NOTIFY cardStateChanged)
    Q_PROPERTY(QString controlsText READ controlsText NOTIFY cardStateChanged)
    Q_PROPERTY(QString openBotLabel READ openBotLabel NOTIFY cardStateChanged)
    Q_PROPERTY(QString botLinkText READ botLinkText NOTIFY cardStateChanged)
    Q_PROPERTY(QString botToken READ botToken WRITE setBotToken NOTIFY botTokenChanged)
    Q_PROPERTY(bool canSave READ canSave NOTIFY botTokenChanged)
    Q_PROPERTY(QString saveError READ saveError NOTIFY botTokenChanged)
    Q_PROPERTY(bool savingToken READ savingToken NOTIFY busyChanged)
    Q_PROPERTY(bool authorizing READ authorizing NOTIFY busyChanged)
    Q_PROPERTY(bool disconnecting READ disconnecting NOTIFY busyChanged)
    Q_PROPERTY(QString telegramMessage READ telegramMessage NOTIFY authorizationChanged)
    Q_PROPERTY(bool messageIsSuccess READ messageIsSuccess NOTIFY authorizationChanged)
    Q_PROPERTY(QStringList telegramInstructions READ telegramInstructions NOTIFY authorizationChanged)
    Q_PROPERTY(bool showDisconnectConfirm READ showDisconnectConfirm NOTIFY showDisconnectConfirmChanged)
    Q_PROPERTY(QString setupLine READ setupLine CONSTANT)
    Q_PROPERTY(QString tip READ tip CONSTANT)
    Q_PROPERTY(QString tipWords READ tipWords CONSTANT)
    Q_PROPERTY(QString tokenPlaceholder READ tokenPlaceholder CONSTANT)
public:
    enum CardState { Connected, Pending, Unavailable, Setup };
    Q_ENUM(CardState)

    using OpenUrl = std::function<void(const QUrl&)>;
    using ClipboardText = std::function<QString()>;
    struct Options
    {
        OpenUrl openUrl;             // the desktop's URL handler by default
        ClipboardText clipboardText; // the general clipboard's text by default
        Platform::Kind platform = Platform::current();
    };

    explicit TelegramCardModel(AppState& state, QObject* parent = nullptr);
    TelegramCardModel(AppState& state, Options options, QObject* parent = nullptr);

    int cardState() const;
    QString botUsername() const;
    QString controlsText() const;
    QString openBotLabel() const;
    QString botLinkText() const;
    QString botToken() const { return m_botToken; }
    void setBotToken(const QString& token);
    bool canSave() const;
    bool savingToken() const { return m_savingToken; }
    bool authorizing() const { return m_authorizing; }
    bool disconnecting() const { return m_disconnecting; }
    QString telegramMessage() const { return m_telegramMessage.value_or(QString()); }
    // Why the last save failed, in the backend's words when it gave them (an unreachable Telegram is
    // not a wrong token); empty after a success or an edit.
    QString saveError() const { return m_saveError; }
    bool messageIsSuccess() const;
    QStringList telegramInstructions() const { return m_telegramInstructions.value_or(QStringList()); }
    bool showDisconnectConfirm() const { return m_showDisconnectConfirm; }
    QString setupLine() const;
    QString tip() const;
    // The tip without its leading emoji, which the view draws in the colour emoji font.
    QString tipWords() const;
    QString tokenPlaceholder() const;

    Q_INVOKABLE void paste();
    Q_INVOKABLE void save();
    Q_INVOKABLE void authorize();
    // "Disconnect" only asks; the confirmation's buttons answer.
    Q_INVOKABLE void requestDisconnect();
    Q_INVOKABLE void cancelDisconnect();
    Q_INVOKABLE void confirmDisconnect();
    Q_INVOKABLE void openBot();
    Q_INVOKABLE void openBotFather();

Q_SIGNALS:
    void cardStateChanged();
    void botTokenChanged();
    void busyChanged();
    void authorizationChanged();
    void showDisconnectConfirmChanged();

private:
    void setShowDisconnectConfirm(bool show);

    AppState& m_state;
    Options m_options;
    QString m_botToken;
    bool m_savingToken = false;
    bool m_authorizing = false;
    bool m_disconnecting = false;
    std::optional<QString> m_telegramMessage;
    QString m_saveError;
    std::optional<QStringList> m_telegramInstructions;
    bool m_showDisconnectConfirm = false;
};
