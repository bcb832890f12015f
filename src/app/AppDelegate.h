#pragma once

#include "app/AppViews.h"
#include "backend/BackendManager.h"

#include <QObject>
#include <QPointer>
#include <QWindow>

#include <memory>

// Application-level behaviours: accessory policy, analytics at launch and quit, and the first-run
// set-up window, which the in-process notifications open and close. A chat search the window
// started outlives it here, until it finds the chat or gives up.
class AppDelegate : public QObject
{
    Q_OBJECT
public:
    struct Options
    {
        int onboardingDelayMs = 300;
        bool analytics = true;
        AppViews::SetupWindowFactory setupWindow;
        // Where a token verified in the set-up window goes besides the settings: the backend's
        // environment file, with a restart of the backend. The settings alone when none.
        BackendManager* backend = nullptr;
        // Whether the tray icon is shown now, for the set-up window's words; shown when unset.
        std::function<bool()> trayShown = {};
    };

    explicit AppDelegate(Options options, QObject* parent = nullptr);
    ~AppDelegate() override;

    void applicationDidFinishLaunching();
    void applicationWillTerminate();

    void openOnboardingWindow();
    void closeOnboardingWindow();
    QWindow* onboardingWindow() const { return m_onboardingWindow.get(); }
    // The search a finished set-up window left waiting for the user's /start; none when done.
    ChatIdSearch* chatIdSearch() const { return m_chatIdSearch.get(); }

private:
    void keepSearching(std::unique_ptr<ChatIdSearch> search);

    Options m_options;
    std::unique_ptr<ChatIdSearch> m_chatIdSearch;
    std::unique_ptr<QWindow> m_onboardingWindow;
    QPointer<QWindow> m_closingWindow; // closed, waiting for its deferred deletion
};
