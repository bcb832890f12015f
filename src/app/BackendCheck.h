#pragma once

#include <QObject>
#include <QStringList>

#include <functional>

class HalvexClient;
class QCoreApplication;

// `halvex --check-backend`: asks the local backend for its status, statistics and Telegram status
// through the client and prints what the client made of the answers, failure values included.
namespace BackendCheck {

struct Report
{
    bool connected = false;
    QStringList lines;
};

// Runs the three requests at once; `done` gets the report when all have answered.
void collect(HalvexClient& client, QObject* context, std::function<void(const Report&)> done);

// Prints the report on standard output (diagnostics go to standard error); exits 0 when the backend
// answered the status check, 1 otherwise.
int run(QCoreApplication& application);

} // namespace BackendCheck
