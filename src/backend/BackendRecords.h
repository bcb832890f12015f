#pragma once

#include <QJsonObject>
#include <QList>
#include <QMap>
#include <QString>

#include <optional>

// The records the local backend service sends, as JSON objects keyed by the field names. `fromJson`
// decodes strictly (see JsonReader) and, on failure, puts the reason into `reason` when given.

struct DashboardStats
{
    qint64 total = 0;
    qint64 today = 0;
    qint64 last24h = 0;
    QMap<QString, qint64> byType;
    QMap<QString, qint64> byApp;

    QJsonObject toJson() const;
    static std::optional<DashboardStats> fromJson(const QJsonValue& value, QString* reason = nullptr);
    friend bool operator==(const DashboardStats&, const DashboardStats&) = default;
};

struct XMTPStatus
{
    std::optional<QString> address;
    bool running = false;

    QJsonObject toJson() const;
    static std::optional<XMTPStatus> fromJson(const QJsonValue& value, QString* reason = nullptr);
    friend bool operator==(const XMTPStatus&, const XMTPStatus&) = default;
};

struct TelegramStatus
{
    QString botUsername;
    std::optional<QString> chatId;
    bool configured = false;

    QJsonObject toJson() const;
    static std::optional<TelegramStatus> fromJson(const QJsonValue& value, QString* reason = nullptr);
    friend bool operator==(const TelegramStatus&, const TelegramStatus&) = default;
};

// One skill the backend runs on a schedule.
struct Automation
{
    QString id;
    QString skillId;
    std::optional<QString> name;
    QString schedule; // the backend's own notation, shown and never parsed
    bool enabled = false;

    QJsonObject toJson() const;
    static std::optional<Automation> fromJson(const QJsonValue& value, QString* reason = nullptr);
    friend bool operator==(const Automation&, const Automation&) = default;
};

// A user-written script skill; the backend assigns `id`.
struct CustomSkillDef
{
    QString id;
    QString name;
    QString emoji;
    QString script;

    QJsonObject toJson() const;
    static std::optional<CustomSkillDef> fromJson(const QJsonValue& value, QString* reason = nullptr);
    friend bool operator==(const CustomSkillDef&, const CustomSkillDef&) = default;
};

namespace CustomSkillDefs {
// A bare JSON array; one bad element fails the list.
std::optional<QList<CustomSkillDef>> fromJson(const QJsonValue& value, QString* reason = nullptr);
} // namespace CustomSkillDefs
