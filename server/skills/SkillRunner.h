#pragma once

#include "skills/Skill.h"

#include <QObject>

#include <functional>
#include <memory>

struct ProcessResult;

// Runs built-in skills and scripts as child processes (argument lists, never a shell line) under one
// time limit and one output cap. Answers come back on the main thread; they are dropped once the runner
// is gone.
class QThreadPool;

class SkillRunner : public QObject
{
    Q_OBJECT
public:
    struct Limits
    {
        int timeoutMs = 10'000; // the desktop client gives up after 12 s
        qint64 outputCap = 64 * 1024;
        // A built-in skill answers within this time, whatever its analysis does: reading /proc of a
        // stuck process can block a thread for good.
        int skillDeadlineMs = 11'000;
        int analysisThreads = 4;
    };

    struct Answer
    {
        bool success = true;
        QString text;
    };

    using Done = std::function<void(const Answer&)>;

    explicit SkillRunner(Limits limits, QObject* parent = nullptr);
    ~SkillRunner() override;

    void run(const Skill& skill, Done done);
    // The script runs with /bin/bash in the home directory (ScriptProcess: nothing it starts survives it).
    void runScript(const QString& script, Done done);

    const Limits& limits() const { return m_limits; }

private:
    void runCalls(const ToolCalls& calls, const std::shared_ptr<SkillInput>& input,
                  std::function<void()> then);
    void compose(const Skill& skill, const std::shared_ptr<SkillInput>& input, Done done);
    template <typename T> void offMainThread(std::function<T()> work, std::function<void(const T&)> then);
    QString scriptReport(const ProcessResult& result) const;
    QString capped(QString text) const;

    Limits m_limits;
    // The skills' own threads: a blocked analysis cannot take the threads of the rest of halvexd.
    std::unique_ptr<QThreadPool> m_pool;
};
