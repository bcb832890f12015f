#pragma once

#include "platform/Platform.h"

#include <QObject>
#include <QString>
#include <QUrl>

#include <functional>
#include <optional>

class AppState;

// The dashboard's first-run sheet: the bot token (optional), then the choice of a monitoring profile.
// Confirming a profile applies it, finishes onboarding and enables the backend service; dismissing
// the sheet any other way finishes onboarding too, so it never comes back.
class OnboardingModel : public QObject
{
    Q_OBJECT
    Q_PROPERTY(int step READ step NOTIFY stepChanged)
    Q_PROPERTY(QString botToken READ botToken WRITE setBotToken NOTIFY botTokenChanged)
    Q_PROPERTY(bool canSave READ canSave NOTIFY botTokenChanged)
    Q_PROPERTY(QString pendingProfile READ pendingProfileText NOTIFY pendingProfileChanged)
    Q_PROPERTY(bool hasPendingProfile READ hasPendingProfile NOTIFY pendingProfileChanged)
    Q_PROPERTY(QString tokenTitle READ tokenTitle CONSTANT)
    Q_PROPERTY(QString tip READ tip CONSTANT)
    Q_PROPERTY(QString tipWords READ tipWords CONSTANT)
    Q_PROPERTY(QString welcomeText READ welcomeText CONSTANT)
    Q_PROPERTY(QString tokenPlaceholder READ tokenPlaceholder CONSTANT)
public:
    enum Step { TokenStep, ProfileStep };
    Q_ENUM(Step)

    using OpenUrl = std::function<void(const QUrl&)>;
    using ClipboardText = std::function<QString()>;
    struct Options
    {
        OpenUrl openUrl;             // the desktop's URL handler by default
        ClipboardText clipboardText; // the general clipboard's text by default
        Platform::Kind platform = Platform::current();
    };

    explicit OnboardingModel(AppState& state, QObject* parent = nullptr);
    OnboardingModel(AppState& state, Options options, QObject* parent = nullptr);

    int step() const { return m_step; }
    QString botToken() const { return m_botToken; }
    void setBotToken(const QString& token);
    bool canSave() const;
    const std::optional<QString>& pendingProfile() const { return m_pendingProfile; }
    QString pendingProfileText() const { return m_pendingProfile.value_or(QString()); }
    bool hasPendingProfile() const { return m_pendingProfile.has_value(); }
    QString tokenTitle() const;
    QString tip() const;
    // The tip without its leading emoji, which the view draws in the colour emoji font.
    QString tipWords() const;
    QString welcomeText() const;
    QString tokenPlaceholder() const;

    Q_INVOKABLE void paste();
    // "Save": the token goes to the settings and the backend's .env; "Cancel" moves on without it.
    Q_INVOKABLE void save();
    Q_INVOKABLE void skipToken();
    Q_INVOKABLE void openBotFather();
    // A profile card was tapped: its demonstration sheet asks for confirmation.
    Q_INVOKABLE void selectProfile(const QString& profile);
    Q_INVOKABLE void confirmProfile();
    Q_INVOKABLE void cancelProfile();
    // The sheet went away without a profile (Escape, the window closing): onboarding is done all the same.
    Q_INVOKABLE void dismiss();

Q_SIGNALS:
    void stepChanged();
    void botTokenChanged();
    void pendingProfileChanged();

private:
    void setStep(int step);
    void setPendingProfile(std::optional<QString> profile);

    AppState& m_state;
    Options m_options;
    int m_step = TokenStep;
    QString m_botToken;
    std::optional<QString> m_pendingProfile;
};
