#pragma once

#include <QStringList>

// The statements that bring the schema from version n - 1 to version n, for n = 1, 2, ...
// Published versions are never edited: a change of the schema is a new version.
namespace SchemaMigrations {

QStringList statementsForVersion(int version);

} // namespace SchemaMigrations
