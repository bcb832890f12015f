#pragma once

#include <QString>

// The command-line tools the skills run are looked up by name, since distributions keep them in
// different directories. HALVEX_TOOL_<NAME> (upper case, "-" as "_") replaces one, as for the tools of
// the desktop application; tests point it at fake scripts.
namespace SystemTools {

QString environmentName(const QString& tool);
// The absolute path of the tool, or an empty string when it is not installed.
QString find(const QString& tool);

} // namespace SystemTools
