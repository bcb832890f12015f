#pragma once

#include <QObject>
#include <QString>

// The in-process notification centre: any view posts a name, the application delegate listens.
class AppNotifications : public QObject
{
    Q_OBJECT
public:
    static constexpr char showOnboarding[] = "halvexShowOnboarding";
    static constexpr char onboardingDone[] = "halvexOnboardingDone";

    static AppNotifications& instance();

    Q_INVOKABLE void post(const QString& name);

Q_SIGNALS:
    void showOnboardingPosted();
    void onboardingDonePosted();

private:
    using QObject::QObject;
};
