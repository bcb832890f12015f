#pragma once

#include <QObject>
#include <QQuickView>
#include <QtQml/qqml.h>

#include <functional>
#include <memory>

class AppState;
class DashboardModel;
class SettingsModel;

// The dashboard, "Halvex", opened at 1000 × 700. The view owns its QML engine and its model, so
// destroying the window releases all of them.
class DashboardWindow : public QQuickView
{
    Q_OBJECT
public:
    static constexpr int defaultWidth = 1000;
    static constexpr int defaultHeight = 700;
    // Tiling compositors (sway, Hyprland) give a window the size of its tile whatever its minimum,
    // and Qt then keeps the window at its minimum, cut off by the tile. 640 is half of a 1280-px
    // screen, below the ~655 px half of a 1366-px screen leaves after Hyprland's default gaps and
    // borders; 600 is below the ~700 px a 768-px screen leaves under a bar, and still shows the
    // header, the tabs, the skill grid and a few lines of transcript. Floating and X11 users may
    // shrink it as far.
    static constexpr int minimumWidth = 640;
    static constexpr int minimumHeight = 600;

    DashboardWindow(AppState& state, std::function<void()> openSettings);
    ~DashboardWindow() override;
    DashboardModel* model() { return m_model; }

    static std::unique_ptr<QWindow> make(AppState& state, std::function<void()> openSettings);

private:
    DashboardModel* m_model = nullptr;
};

// Where the dashboard's layout changes with its width. At the default width and wider it looks as
// designed; narrower, the skill grid drops columns rather than squeezing its tiles' names.
class DashboardLayout : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
public:
    using QObject::QObject;

    // The narrowest cell (tile and gap) before the grid drops a column: a tile's name stays whole.
    static constexpr qreal minimumSkillCell = 150;
    static constexpr int maximumSkillColumns = 6;

    // Columns of skill tiles across `available` pixels: six at the default width, one at least.
    Q_INVOKABLE static int skillColumns(qreal available);
    // Rows of tiles the grid shows before it scrolls, for that many columns: the largest built-in
    // category in full, so dropping columns hides no tile of it; two rows at least (the grid's height
    // at the default width), three at most (the transcript below keeps its room).
    Q_INVOKABLE static int skillRowsShown(int columns);
};

// The settings window, 450 × 520; each time it is shown it asks for the XMTP status again.
class SettingsWindow : public QQuickView
{
    Q_OBJECT
public:
    static constexpr int fixedWidth = 450;
    static constexpr int fixedHeight = 520;

    explicit SettingsWindow(AppState& state);
    ~SettingsWindow() override;
    SettingsModel* model() { return m_model; }

    static std::unique_ptr<QWindow> make(AppState& state);

private:
    SettingsModel* m_model = nullptr;
};
