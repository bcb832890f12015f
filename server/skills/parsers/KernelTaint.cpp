#include "skills/parsers/KernelTaint.h"

namespace KernelTaint {
namespace {

struct Bit
{
    int bit;
    const char* letter;
    const char* meaning;
};

constexpr Bit bits[] = {
    {0, "P", "proprietary module loaded"},
    {1, "F", "module force-loaded"},
    {2, "S", "kernel running on an unsupported system configuration"},
    {3, "R", "module force-unloaded"},
    {4, "M", "processor reported a machine check"},
    {5, "B", "bad page referenced"},
    {6, "U", "taint requested by user space"},
    {7, "D", "kernel died recently (oops or bug)"},
    {8, "A", "ACPI table overridden"},
    {9, "W", "kernel issued a warning"},
    {10, "C", "staging driver loaded"},
    {11, "I", "firmware bug worked around"},
    {12, "O", "out-of-tree module loaded"},
    {13, "E", "unsigned module loaded"},
    {14, "L", "soft lockup occurred"},
    {15, "K", "kernel live-patched"},
    {16, "X", "auxiliary taint (distribution-defined)"},
    {17, "T", "kernel built with the struct randomization plugin"},
    {18, "N", "in-kernel test run"},
};

} // namespace

QStringList reasons(quint64 mask)
{
    QStringList found;
    for (const Bit& b : bits) {
        if (mask & (quint64(1) << b.bit))
            found.append(QStringLiteral("%1 (%2)").arg(QLatin1String(b.meaning), QLatin1String(b.letter)));
    }
    return found;
}

bool hasModuleWarnings(quint64 mask)
{
    constexpr quint64 forced = quint64(1) << 1;
    constexpr quint64 forcedUnload = quint64(1) << 3;
    return mask & (forced | forcedUnload);
}

} // namespace KernelTaint
