#pragma once

class QCoreApplication;

// `halvex --headless`: monitoring without a display. Every stored alert is printed as one JSON line on
// standard output (diagnostics move to standard error); SIGINT or SIGTERM stops monitoring and exits 0.
namespace HeadlessMode {

int run(QCoreApplication& application);

} // namespace HeadlessMode
