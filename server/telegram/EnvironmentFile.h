#pragma once

#include <QString>

#include <optional>

// The backend's ".env": lines "KEY=value". Blank lines, comments and an "export " prefix are allowed;
// a value in matching single or double quotes loses them.
namespace EnvironmentFile {

std::optional<QString> value(const QString& text, const QString& key);
// Nothing when the file cannot be read or lacks the key.
std::optional<QString> read(const QString& path, const QString& key);
// What is wrong with the file's protection for a file that holds a secret (readable by group or
// others, or owned by another user); nothing when it is private or absent.
std::optional<QString> exposure(const QString& path);

} // namespace EnvironmentFile
