#pragma once

#include "backend/BackendRecords.h"

#include <QStringList>

// The reply envelopes of the backend's actions; decoded as strictly as the records.

struct CommandResponse
{
    bool success = false;
    std::optional<QString> result;
    std::optional<QString> error;
    std::optional<QString> type;
    std::optional<QString> timestamp;

    static std::optional<CommandResponse> fromJson(const QJsonValue& value, QString* reason = nullptr);
};

struct ChatResponse
{
    bool success = false;
    std::optional<QString> response;
    std::optional<QString> error;

    static std::optional<ChatResponse> fromJson(const QJsonValue& value, QString* reason = nullptr);
};

struct GenericResponse
{
    bool success = false;
    std::optional<QString> message;

    static std::optional<GenericResponse> fromJson(const QJsonValue& value, QString* reason = nullptr);
};

struct AutomationsResponse
{
    bool success = false;
    QList<Automation> automations;

    static std::optional<AutomationsResponse> fromJson(const QJsonValue& value, QString* reason = nullptr);
};

struct TelegramAuthResult
{
    bool success = false;
    std::optional<QString> message;
    std::optional<QString> chatId;
    std::optional<QStringList> instructions;

    QJsonObject toJson() const;
    static std::optional<TelegramAuthResult> fromJson(const QJsonValue& value, QString* reason = nullptr);
    friend bool operator==(const TelegramAuthResult&, const TelegramAuthResult&) = default;
};
