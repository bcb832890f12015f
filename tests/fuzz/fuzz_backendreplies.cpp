#include "FuzzText.h"
#include "backend/BackendRecords.h"
#include "backend/BackendReplies.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>

namespace {

// A decoder either gives a record or a reason, never neither; a record encodes and decodes back.
template <typename Record> void decode(const QJsonValue& value)
{
    QString reason;
    const std::optional<Record> record = Record::fromJson(value, &reason);
    FuzzText::require(record.has_value() || !reason.isEmpty(), "a refusal says why");
    if constexpr (requires(const Record& r) { r.toJson(); }) {
        if (record)
            FuzzText::require(Record::fromJson(record->toJson()) == record, "a record round-trips");
    }
}

} // namespace

// Every reply body of the backend, through every decoder of the client.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QJsonDocument document = QJsonDocument::fromJson(FuzzText::bytes(data, size));
    const QJsonValue value =
        document.isArray() ? QJsonValue(document.array()) : QJsonValue(document.object());
    decode<DashboardStats>(value);
    decode<XMTPStatus>(value);
    decode<TelegramStatus>(value);
    decode<Automation>(value);
    decode<CustomSkillDef>(value);
    decode<CommandResponse>(value);
    decode<ChatResponse>(value);
    decode<GenericResponse>(value);
    decode<AutomationsResponse>(value);
    decode<TelegramAuthResult>(value);
    QString reason;
    (void)CustomSkillDefs::fromJson(value, &reason);
    return 0;
}
