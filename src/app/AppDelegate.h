#pragma once

#include "app/AppViews.h"

#include <QObject>
#include <QPointer>
#include <QWindow>

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
        AppViews::WindowFactory setupWindow;
    };

    explicit AppDelegate(Options options, QObject* parent = nullptr);
    ~AppDelegate() override;

    void applicationDidFinishLaunching();
    void applicationWillTerminate();

    void openOnboardingWindow();
    void closeOnboardingWindow();
    QWindow* onboardingWindow() const { return m_onboardingWindow.get(); }

private:
    Options m_options;
    std::unique_ptr<QWindow> m_onboardingWindow;
    QPointer<QWindow> m_closingWindow; // closed, waiting for its deferred deletion
};
