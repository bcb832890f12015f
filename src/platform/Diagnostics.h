#pragma once

#include <QString>

// The product's diagnostic lines: exact single lines, on standard output by default. Headless mode
// moves them to standard error so that standard output stays machine-readable.
namespace Diagnostics {

enum class Stream { StandardOutput, StandardError };

void setStream(Stream stream);
void print(const QString& line);

} // namespace Diagnostics
