#pragma once

#include <QObject>
#include <QTest>

#include <functional>
#include <optional>

// Receives one asynchronous result in a test. Pass `context()` as the call's context: when the test
// ends early the object goes away and a late result is dropped instead of touching a dead object.
template <typename T> class Awaited
{
public:
    QObject* context() { return &m_context; }
    std::function<void(T)> callback()
    {
        return [this](T value) {
            m_value = std::move(value);
            ++m_calls;
        };
    }
    bool wait(int timeoutMs = 10000)
    {
        return QTest::qWaitFor([this] { return m_value.has_value(); }, timeoutMs);
    }
    bool hasValue() const { return m_value.has_value(); }
    const T& value() const { return *m_value; }
    int calls() const { return m_calls; }

private:
    QObject m_context;
    std::optional<T> m_value;
    int m_calls = 0;
};

// Starts `call(context, callback)` and waits for its one result; the test aborts when none comes.
template <typename T, typename Call> T awaitResult(Call call, int timeoutMs = 20000)
{
    Awaited<T> result;
    call(result.context(), result.callback());
    if (!result.wait(timeoutMs))
        qFatal("no result came");
    return result.value();
}
