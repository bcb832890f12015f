#include "app/AppDelegate.h"

#include "app/AnalyticsManager.h"
#include "app/AppNotifications.h"
#include "platform/ActivationPolicy.h"
#include "platform/Settings.h"

#include <QTimer>

AppDelegate::AppDelegate(Options options, QObject* parent) : QObject(parent), m_options(std::move(options)) {}

AppDelegate::~AppDelegate()
{
    delete m_closingWindow.data();
}

void AppDelegate::applicationDidFinishLaunching()
{
    ActivationPolicy::makeAccessory();
    if (m_options.analytics)
        AnalyticsManager::shared().appLaunched();
    if (!Settings().hasOnboarded())
        QTimer::singleShot(m_options.onboardingDelayMs, this, &AppDelegate::openOnboardingWindow);
    AppNotifications& notifications = AppNotifications::instance();
    connect(&notifications, &AppNotifications::showOnboardingPosted, this,
            &AppDelegate::openOnboardingWindow);
    connect(&notifications, &AppNotifications::onboardingDonePosted, this,
            &AppDelegate::closeOnboardingWindow);
}

void AppDelegate::applicationWillTerminate()
{
    if (m_options.analytics)
        AnalyticsManager::shared().appWillTerminate();
}

void AppDelegate::openOnboardingWindow()
{
    if (!m_options.setupWindow)
        return;
    // A window closed with its close button stays here, hidden, until a fresh one replaces it.
    if (!m_onboardingWindow || !m_onboardingWindow->isVisible()) {
        TelegramSetupModel::Options setup;
        if (QPointer<BackendManager> backend = m_options.backend)
            setup.storeToken = [backend](const QString& token) {
                if (backend)
                    backend->saveBotToken(token);
            };
        setup.keepSearching = [this](std::unique_ptr<ChatIdSearch> search) {
            keepSearching(std::move(search));
        };
        setup.trayShown = !m_options.trayShown || m_options.trayShown();
        m_onboardingWindow = m_options.setupWindow(std::move(setup));
    }
    m_onboardingWindow->show();
    m_onboardingWindow->raise();
    m_onboardingWindow->requestActivate();
}

void AppDelegate::closeOnboardingWindow()
{
    if (!m_onboardingWindow)
        return;
    m_onboardingWindow->close();
    // The notification usually comes from a click inside this very window: it goes once that is over.
    m_closingWindow = m_onboardingWindow.release();
    m_closingWindow->deleteLater();
}

void AppDelegate::keepSearching(std::unique_ptr<ChatIdSearch> search)
{
    ChatIdSearch* kept = search.get();
    // It ends inside its own signal: it goes once that is over. A newer search replaces an older one.
    const auto release = [this, kept] {
        if (m_chatIdSearch.get() == kept)
            m_chatIdSearch.release()->deleteLater();
    };
    connect(kept, &ChatIdSearch::connected, this, release);
    connect(kept, &ChatIdSearch::gaveUp, this, release);
    m_chatIdSearch = std::move(search);
}
