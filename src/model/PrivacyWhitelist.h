#pragma once

#include <QSet>
#include <QString>
#include <QStringView>

// The privacyWhitelist setting: application keys separated by commas. Pieces are trimmed of spaces
// and tabs and keep their case; a piece that is blank once trimmed stays as the empty key, which
// matches nothing.
QSet<QString> whitelistedKeys(QStringView privacyWhitelist);
