#pragma once

#include <QProcessEnvironment>

// The environment of every tool whose output we parse. Tools translate their messages and format
// numbers after the user's language (pactl prints "Ereignis »neu« auf Quellen-Eingabe" under German,
// and decimal commas that break its JSON); LC_ALL=C overrides every LC_* and LANG, and LANGUAGE is
// removed because gettext reads it before LC_ALL's messages category.
namespace ToolEnvironment {

QProcessEnvironment forParsing();
// The same rule applied to a given environment.
QProcessEnvironment forParsing(QProcessEnvironment base);

} // namespace ToolEnvironment
