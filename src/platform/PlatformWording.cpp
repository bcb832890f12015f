#include "platform/PlatformWording.h"

#include <QRegularExpression>

#include <array>

namespace PlatformWording {
namespace {

struct Rewrite
{
    const char* pattern;
    const char* replacement;
};

// Longest phrases first: "menu bar, top right" must not become "system tray, top right".
constexpr std::array<Rewrite, 7> rewrites{{
    {R"(\bmenu bar, top right\b)", "system tray"},
    {R"(\bMenu bar\b)", "System tray"},
    {R"(\bmenu bar\b)", "system tray"},
    {R"(\b(ton|ta|votre|le|du|au|sur) Mac\b)", "\\1 ordinateur"},
    {R"(\bYour Mac\b)", "Your computer"},
    {R"(\bMac's\b)", "computer's"},
    {R"(\bMac\b(?!OS|Book))", "computer"},
}};

const std::array<QRegularExpression, rewrites.size()>& compiled()
{
    static const auto expressions = [] {
        std::array<QRegularExpression, rewrites.size()> out;
        for (std::size_t i = 0; i < rewrites.size(); ++i)
            out[i] = QRegularExpression(QString::fromLatin1(rewrites[i].pattern));
        return out;
    }();
    return expressions;
}

} // namespace

QString adapt(const QString& text, Platform::Kind platform)
{
    if (platform == Platform::Kind::MacOS)
        return text;
    QString out = text;
    for (std::size_t i = 0; i < rewrites.size(); ++i)
        out.replace(compiled()[i], QString::fromLatin1(rewrites[i].replacement));
    return out;
}

} // namespace PlatformWording
