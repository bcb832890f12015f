#include "ui/DashboardWindow.h"

#include "app/DashboardModel.h"
#include "app/SettingsModel.h"
#include "model/QuickSkill.h"
#include "model/SkillCategory.h"
#include "ui/AppWindows.h"

#include <QQmlEngine>

#include <algorithm>
#include <cmath>

namespace {

void prepare(QQuickView& view)
{
    view.engine()->addImportPath(QStringLiteral("qrc:/"));
    view.setColor(QColor::fromRgbF(0.051f, 0.051f, 0.063f));
    view.setResizeMode(QQuickView::SizeRootObjectToView);
}

} // namespace

DashboardWindow::DashboardWindow(AppState& state, std::function<void()> openSettings)
{
    prepare(*this);
    setTitle(QStringLiteral("Halvex"));
    // Parented to the window: the items, destroyed first with the view, never outlive it.
    m_model = new DashboardModel(state, this);
    if (openSettings)
        connect(m_model, &DashboardModel::settingsRequested, this, std::move(openSettings));
    connect(this, &QWindow::visibleChanged, m_model, &DashboardModel::setShown);
    resize(defaultWidth, defaultHeight);
    // A minimum only, no maximum: a window of one size is floated by tiling compositors.
    setMinimumSize(QSize(minimumWidth, minimumHeight));
    setInitialProperties({{QStringLiteral("model"), QVariant::fromValue(m_model)}});
    setSource(QUrl(QStringLiteral("qrc:/Halvex/Ui/MainView.qml")));
    AppWindows::centreOnScreen(*this);
}

DashboardWindow::~DashboardWindow()
{
    // The items bind to the model: they go before it.
    setSource({});
}

std::unique_ptr<QWindow> DashboardWindow::make(AppState& state, std::function<void()> openSettings)
{
    return std::make_unique<DashboardWindow>(state, std::move(openSettings));
}

int DashboardLayout::skillColumns(qreal available)
{
    if (!(available > 0))
        return 1;
    // Clamped before the conversion: an infinite width is six columns, not an overflow.
    const qreal fitting = std::floor(available / minimumSkillCell);
    return static_cast<int>(std::clamp(fitting, 1.0, qreal(maximumSkillColumns)));
}

int DashboardLayout::skillRowsShown(int columns)
{
    static const qsizetype largest = [] {
        qsizetype most = 0;
        for (const SkillCategory category : SkillCategory::allCases())
            most = std::max(most, category.skills().size());
        return most;
    }();
    const int across = std::max(columns, 1);
    const auto needed = static_cast<int>((largest + across - 1) / across);
    return std::clamp(needed, 2, 3);
}

SettingsWindow::SettingsWindow(AppState& state)
{
    prepare(*this);
    setTitle(QStringLiteral("Halvex Settings"));
    m_model = new SettingsModel(state, this);
    connect(this, &QWindow::visibleChanged, m_model, [this](bool visible) {
        if (visible)
            m_model->appeared();
    });
    resize(fixedWidth, fixedHeight);
    AppWindows::fixSize(*this);
    setInitialProperties({{QStringLiteral("model"), QVariant::fromValue(m_model)}});
    setSource(QUrl(QStringLiteral("qrc:/Halvex/Ui/SettingsView.qml")));
    AppWindows::centreOnScreen(*this);
}

SettingsWindow::~SettingsWindow()
{
    setSource({});
}

std::unique_ptr<QWindow> SettingsWindow::make(AppState& state)
{
    return std::make_unique<SettingsWindow>(state);
}
