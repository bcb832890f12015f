#pragma once

#include <QStringView>

#include <span>
#include <string_view>

// The catalogue of known system components and applications: what a raw process, application or
// bundle name stands for. It is static data compiled into the program and never changes at run time.
struct KnownApp
{
    std::string_view key; // lower-case fragment searched for inside the lower-cased raw name
    QStringView name;     // friendly display name
    QStringView desc;     // one plain sentence for the user
    bool isSystem;        // a built-in component of the operating system
};

namespace KnownApps {

// Every row in the order it is tried: system components first, except where a longer key must be
// tried before a shorter key it contains.
std::span<const KnownApp> rows();

// The first row whose key occurs in `rawName` lower-cased, or nullptr. Allocates nothing.
const KnownApp* find(QStringView rawName);

} // namespace KnownApps
