#include "model/KnownApps.h"

#include "model/KnownAppTable.h"

#include <QChar>

namespace KnownApps {
namespace {

// Keys are made of lower-case letters, digits, spaces and underscores. Matching works on character
// classes: each of those characters has its own class, upper-case letters share the class of their
// lower-case form, and every other character is class 0, which no key holds.
constexpr int classCount = 39;
constexpr auto asciiClass = [] {
    std::array<quint8, 128> classes{};
    for (int i = 0; i < 26; ++i)
        classes['a' + i] = classes['A' + i] = quint8(1 + i);
    for (int i = 0; i < 10; ++i)
        classes['0' + i] = quint8(27 + i);
    classes[' '] = 37;
    classes['_'] = 38;
    return classes;
}();

constexpr quint8 keyClass(char c)
{
    return asciiClass[quint8(c)];
}

constexpr size_t longestKeyLimit = 32;

static_assert(std::ranges::all_of(KnownAppTable::rows,
                                  [](const KnownApp& row) {
                                      return row.key.size() >= 2 && row.key.size() <= longestKeyLimit &&
                                             std::ranges::all_of(row.key, [](char c) {
                                                 return (c < 'A' || c > 'Z') && keyClass(c) != 0;
                                             });
                                  }),
              "keys are lower-case, at least two characters long and made of key characters only");

quint8 foldedClass(char16_t unit)
{
    if (unit < 128)
        return asciiClass[unit];
    // A few other characters lower-case to plain letters (the Kelvin sign to "k").
    const char32_t lower = QChar::toLower(char32_t(unit));
    return lower < 128 ? asciiClass[lower] : 0;
}

// Visits the classes of `text` lower-cased, the way QString::toLower lower-cases it, without building
// the lower-cased copy. `visit` returns false to stop.
template <typename Visit> void forEachClass(QStringView text, Visit visit)
{
    for (const QChar ch : text) {
        const char16_t unit = ch.unicode();
        // Capital I with dot above lower-cases to "i" followed by a combining dot, which no key holds;
        // QChar::toLower leaves it as it is.
        if (unit == 0x0130) {
            if (!visit(asciiClass['i']) || !visit(0))
                return;
            continue;
        }
        if (!visit(foldedClass(unit)))
            return;
    }
}

// Which pairs of adjacent key characters a text holds: a key whose pairs are not all there cannot
// occur in it, which rules out almost every row at the cost of a few bit tests.
class PairSet
{
public:
    void add(quint8 first, quint8 second) { m_bits[index(first, second) / 64] |= bit(first, second); }
    bool holdsEveryPairOf(std::string_view key) const
    {
        for (size_t i = 1; i < key.size(); ++i) {
            const quint8 first = keyClass(key[i - 1]), second = keyClass(key[i]);
            if (!(m_bits[index(first, second) / 64] & bit(first, second)))
                return false;
        }
        return true;
    }

private:
    static int index(quint8 first, quint8 second) { return first * classCount + second; }
    static quint64 bit(quint8 first, quint8 second) { return quint64(1) << (index(first, second) % 64); }

    std::array<quint64, (classCount * classCount + 63) / 64> m_bits{};
};

PairSet pairsOf(QStringView text)
{
    PairSet pairs;
    quint8 previous = 0;
    forEachClass(text, [&](quint8 current) {
        if (previous != 0 && current != 0)
            pairs.add(previous, current);
        previous = current;
        return true;
    });
    return pairs;
}

// Substring search over the lower-cased text, keeping only the last few classes seen.
bool occursIn(std::string_view key, QStringView text)
{
    std::array<quint8, longestKeyLimit> recent{};
    size_t seen = 0;
    bool found = false;
    forEachClass(text, [&](quint8 current) {
        recent[seen++ % recent.size()] = current;
        if (seen < key.size())
            return true;
        found = true;
        for (size_t back = 0; back < key.size() && found; ++back)
            found = recent[(seen - 1 - back) % recent.size()] == keyClass(key[key.size() - 1 - back]);
        return !found;
    });
    return found;
}

} // namespace

std::span<const KnownApp> rows()
{
    return KnownAppTable::rows;
}

const KnownApp* find(QStringView rawName)
{
    const PairSet pairs = pairsOf(rawName);
    for (const KnownApp& row : KnownAppTable::rows) {
        if (pairs.holdsEveryPairOf(row.key) && occursIn(row.key, rawName))
            return &row;
    }
    return nullptr;
}

} // namespace KnownApps
