#pragma once

#include <QObject>
#include <QQuickWindow>

#include <memory>

// Application-level behaviours: accessory policy, analytics at launch and quit, and the first-run
// set-up window, which the in-process notifications open and close.
class AppDelegate : public QObject
{
    Q_OBJECT
public:
    struct Options
    {
        int onboardingDelayMs = 300;
        bool analytics = true;
    };

    explicit AppDelegate(QObject* parent = nullptr);
    AppDelegate(Options options, QObject* parent = nullptr);
    ~AppDelegate() override;

    void applicationDidFinishLaunching();
    void applicationWillTerminate();

    void openOnboardingWindow();
    void closeOnboardingWindow();
    QQuickWindow* onboardingWindow() const { return m_onboardingWindow.get(); }

private:
    Options m_options;
    std::unique_ptr<QQuickWindow> m_onboardingWindow;
};
