#include "FuzzText.h"
#include "backend/BackendEnvironment.h"
#include "telegram/EnvironmentFile.h"

#include <fuzzer/FuzzedDataProvider.h>

// The backend's .env: halvexd reads the token from it, the application rewrites the token lines.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider provider(data, size);
    const QString token = QString::fromStdString(provider.ConsumeRandomLengthString(64));
    const QString content = QString::fromStdString(provider.ConsumeRemainingBytesAsString());
    (void)EnvironmentFile::value(content, QStringLiteral("TELEGRAM_BOT_TOKEN"));
    (void)EnvironmentFile::value(content, token);
    if (token.contains(QLatin1Char('\n')) || token.contains(QLatin1Char('\r')))
        return 0; // refused by the writer before any rewrite

    const QString rewritten = BackendEnvironment::withBotToken(content, token);
    const QStringList before = content.split(QLatin1Char('\n'));
    const QStringList after = rewritten.split(QLatin1Char('\n'));
    FuzzText::require(before.size() == after.size(), "the rewrite adds and removes no line");
    for (qsizetype i = 0; i < before.size(); ++i) {
        if (before[i].startsWith(QLatin1String(BackendEnvironment::botTokenKey)))
            FuzzText::require(after[i] == QLatin1String(BackendEnvironment::botTokenKey) + token ||
                                  after[i] == QLatin1String(BackendEnvironment::botTokenKey) + token + u'\r',
                              "a token line holds the new token");
        else
            FuzzText::require(after[i] == before[i], "every other line is kept exactly");
    }
    return 0;
}
