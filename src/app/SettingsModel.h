#pragma once

#include "platform/Platform.h"

#include <QNetworkAccessManager>
#include <QObject>
#include <QString>
#include <QVariantList>

class AppState;

// Everything the settings window shows and does: XMTP, monitoring, the stored alerts, the system
// sources monitoring reads and the version; the QML view only lays it out.
class SettingsModel : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString xmtpAddress READ xmtpAddress NOTIFY xmtpChanged)
    Q_PROPERTY(bool xmtpRunning READ xmtpRunning NOTIFY xmtpChanged)
    Q_PROPERTY(QString xmtpNote READ xmtpNote CONSTANT)
    Q_PROPERTY(bool isMonitoring READ isMonitoring NOTIFY monitoringChanged)
    Q_PROPERTY(QString monitoringText READ monitoringText NOTIFY monitoringChanged)
    Q_PROPERTY(QString monitoringButtonText READ monitoringButtonText NOTIFY monitoringChanged)
    Q_PROPERTY(int alertsStored READ alertsStored NOTIFY alertsStoredChanged)
    Q_PROPERTY(bool isMacOS READ isMacOS CONSTANT)
    Q_PROPERTY(QString trayAdvice READ trayAdvice NOTIFY trayAdviceChanged)
    Q_PROPERTY(QString diskAccessNote READ diskAccessNote CONSTANT)
    Q_PROPERTY(QVariantList sources READ sources NOTIFY sourcesChanged)
    Q_PROPERTY(QString versionText READ versionText CONSTANT)
    Q_PROPERTY(bool startAtLogin READ startAtLogin WRITE setStartAtLogin NOTIFY startAtLoginChanged)
    Q_PROPERTY(bool startAtLoginSupported READ startAtLoginSupported CONSTANT)
public:
    // One system source monitoring reads on Linux, and whether it can be read now.
    struct Source
    {
        QString name;
        QString detail;
        bool available = false;

        friend bool operator==(const Source&, const Source&) = default;
    };
    // Where the sources are looked for; the system's by default.
    struct Probes
    {
        QString procRoot;
        QString devRoot;
        QString pwDump;
        QString pactl;
        QString runtimeDirectory; // where the sound servers' sockets live
        QString geoClueService;   // the D-Bus activation file of GeoClue2
    };

    explicit SettingsModel(AppState& state, QObject* parent = nullptr);
    SettingsModel(AppState& state, Probes probes, QObject* parent = nullptr);

    QString xmtpAddress() const { return m_xmtpAddress; }
    QString xmtpNote() const;
    bool xmtpRunning() const { return m_xmtpRunning; }
    bool isMonitoring() const;
    QString monitoringText() const;
    // "Active — camera, microphone & location monitored", naming only the types really watched
    // ("camera", "microphone", "location", in that order); "Stopped" while not monitoring.
    static QString monitoringText(bool monitoring, const QStringList& watchedTypes);
    QString monitoringButtonText() const;
    int alertsStored() const;
    bool isMacOS() const;
    QString diskAccessNote() const;
    // How to get Halvex's icon where the desktop shows none; empty while the icon is shown.
    QString trayAdvice() const;
    static QString trayAdviceFor(bool trayShown, Platform::Kind platform, const QString& currentDesktop);
    QVariantList sources() const;
    const QList<Source>& sourceList() const { return m_sources; }
    QString versionText() const;
    // Whether the autostart entry exists; switching writes or removes it.
    bool startAtLogin() const;
    void setStartAtLogin(bool enabled);
    bool startAtLoginSupported() const;

    static QList<Source> probeSources(const Probes& probes);
    static Probes systemProbes();

    // The window was shown: ask for the XMTP status and look at the sources again.
    Q_INVOKABLE void appeared();
    Q_INVOKABLE void fetchXMTPStatus();
    Q_INVOKABLE void copyAddress();
    Q_INVOKABLE void toggleMonitoring();
    Q_INVOKABLE void clearAllAlerts();
    Q_INVOKABLE void openPrivacySettings();
    Q_INVOKABLE void openXmtpChat();

Q_SIGNALS:
    void xmtpChanged();
    void monitoringChanged();
    void alertsStoredChanged();
    void sourcesChanged();
    void trayAdviceChanged();
    void startAtLoginChanged();

private:
    AppState& m_state;
    Probes m_probes;
    QNetworkAccessManager m_network;
    QString m_xmtpAddress = QStringLiteral("Loading…");
    bool m_xmtpRunning = false;
    QList<Source> m_sources;
};
