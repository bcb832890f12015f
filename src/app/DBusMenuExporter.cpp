#include "app/DBusMenuExporter.h"

#include <QAction>
#include <QActionEvent>
#include <QActionGroup>
#include <QBuffer>
#include <QDBusAbstractAdaptor>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QGuiApplication>
#include <QIcon>
#include <QMenu>

QDBusArgument& operator<<(QDBusArgument& argument, const DBusMenuLayoutItem& item)
{
    argument.beginStructure();
    argument << item.id << item.properties;
    // Each child goes as a variant of the struct itself: the signature must stay (ia{sv}av), never nest.
    argument.beginArray(QMetaType::fromType<QDBusVariant>());
    for (const DBusMenuLayoutItem& child : item.children)
        argument << QDBusVariant(QVariant::fromValue(child));
    argument.endArray();
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, DBusMenuLayoutItem& item)
{
    argument.beginStructure();
    argument >> item.id >> item.properties;
    item.children.clear();
    argument.beginArray();
    while (!argument.atEnd()) {
        QDBusVariant child;
        argument >> child;
        DBusMenuLayoutItem childItem;
        qvariant_cast<QDBusArgument>(child.variant()) >> childItem;
        item.children.append(childItem);
    }
    argument.endArray();
    argument.endStructure();
    return argument;
}

QDBusArgument& operator<<(QDBusArgument& argument, const DBusMenuItemProperties& item)
{
    argument.beginStructure();
    argument << item.id << item.properties;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, DBusMenuItemProperties& item)
{
    argument.beginStructure();
    argument >> item.id >> item.properties;
    argument.endStructure();
    return argument;
}

QDBusArgument& operator<<(QDBusArgument& argument, const DBusMenuEvent& event)
{
    argument.beginStructure();
    argument << event.id << event.eventId << event.data << event.timestamp;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, DBusMenuEvent& event)
{
    argument.beginStructure();
    argument >> event.id >> event.eventId >> event.data >> event.timestamp;
    argument.endStructure();
    return argument;
}

namespace {

// The object registered at the menu's path. QtDBus gives the call's context to an adaptor's parent,
// never to the adaptor: this one is there to hold it.
class DBusMenuObject : public QObject, public QDBusContext
{
    Q_OBJECT
public:
    using QObject::QObject;
};

// The wire side of DBusMenuExporter. It turns unknown ids into D-Bus errors, which hosts expect. QtDBus
// finds slot parameter types by the name written here, so lists are spelled out, not aliased.
class DBusMenuAdaptor : public QDBusAbstractAdaptor
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.canonical.dbusmenu")
    Q_PROPERTY(uint Version READ version)
    Q_PROPERTY(QString TextDirection READ textDirection)
    Q_PROPERTY(QString Status READ status)
    Q_PROPERTY(QStringList IconThemePath READ iconThemePath)
public:
    DBusMenuAdaptor(DBusMenuObject* object, DBusMenuExporter* exporter)
        : QDBusAbstractAdaptor(object), m_object(object), m_exporter(exporter)
    {
        connect(exporter, &DBusMenuExporter::layoutUpdated, this, &DBusMenuAdaptor::LayoutUpdated);
    }

    uint version() const { return 3; }
    QString textDirection() const
    {
        return QGuiApplication::layoutDirection() == Qt::RightToLeft ? QStringLiteral("rtl")
                                                                     : QStringLiteral("ltr");
    }
    QString status() const { return QStringLiteral("normal"); }
    QStringList iconThemePath() const { return {}; }

public Q_SLOTS:
    uint GetLayout(int parentId, int recursionDepth, const QStringList& propertyNames,
                   DBusMenuLayoutItem& layout)
    {
        const std::optional<DBusMenuLayoutItem> found =
            m_exporter->layout(parentId, recursionDepth, propertyNames);
        if (!found) {
            unknownId(parentId);
            return 0;
        }
        layout = *found;
        return m_exporter->revision();
    }

    QList<DBusMenuItemProperties> GetGroupProperties(const QList<int>& ids, const QStringList& propertyNames)
    {
        return m_exporter->groupProperties(ids, propertyNames);
    }

    QDBusVariant GetProperty(int id, const QString& name)
    {
        const std::optional<QVariant> value = m_exporter->itemProperty(id, name);
        if (!value) {
            m_object->sendErrorReply(QDBusError::InvalidArgs,
                                     QStringLiteral("No property %1 on item %2").arg(name).arg(id));
            return {};
        }
        return QDBusVariant(*value);
    }

    void Event(int id, const QString& eventId, const QDBusVariant&, uint)
    {
        if (!m_exporter->handleEvent(id, eventId))
            unknownId(id);
    }

    QList<int> EventGroup(const QList<DBusMenuEvent>& events)
    {
        QList<int> idErrors;
        for (const DBusMenuEvent& event : events) {
            if (!m_exporter->handleEvent(event.id, event.eventId))
                idErrors.append(event.id);
        }
        return idErrors;
    }

    bool AboutToShow(int id)
    {
        const std::optional<bool> needsUpdate = m_exporter->aboutToShow(id);
        if (!needsUpdate)
            unknownId(id);
        return needsUpdate.value_or(false);
    }

    QList<int> AboutToShowGroup(const QList<int>& ids, QList<int>& idErrors)
    {
        QList<int> updatesNeeded;
        for (int id : ids) {
            const std::optional<bool> needsUpdate = m_exporter->aboutToShow(id);
            if (!needsUpdate)
                idErrors.append(id);
            else if (*needsUpdate)
                updatesNeeded.append(id);
        }
        return updatesNeeded;
    }

Q_SIGNALS:
    void LayoutUpdated(uint revision, int parent);

private:
    void unknownId(int id)
    {
        m_object->sendErrorReply(QDBusError::InvalidArgs, QStringLiteral("No menu item with id %1").arg(id));
    }

    DBusMenuObject* m_object;
    DBusMenuExporter* m_exporter;
};

QVariantMap filtered(const QVariantMap& properties, const QStringList& names)
{
    if (names.isEmpty())
        return properties;
    QVariantMap kept;
    for (const QString& name : names) {
        const auto found = properties.constFind(name);
        if (found != properties.constEnd())
            kept.insert(name, *found);
    }
    return kept;
}

QVariantMap actionProperties(const QAction& action)
{
    QVariantMap properties;
    properties.insert(QStringLiteral("visible"), action.isVisible());
    if (action.isSeparator()) {
        properties.insert(QStringLiteral("type"), QStringLiteral("separator"));
        return properties;
    }
    properties.insert(QStringLiteral("type"), QStringLiteral("standard"));
    properties.insert(QStringLiteral("label"), DBusMenuExporter::dbusLabel(action.text()));
    properties.insert(QStringLiteral("enabled"), action.isEnabled());
    if (action.isCheckable()) {
        const bool radio = action.actionGroup() && action.actionGroup()->isExclusive();
        properties.insert(QStringLiteral("toggle-type"),
                          radio ? QStringLiteral("radio") : QStringLiteral("checkmark"));
        properties.insert(QStringLiteral("toggle-state"), action.isChecked() ? 1 : 0);
    }
    const QIcon icon = action.icon();
    if (!icon.name().isEmpty()) {
        properties.insert(QStringLiteral("icon-name"), icon.name());
    } else if (!icon.isNull()) {
        // A drawn icon has no name a host could look up: it travels as PNG bytes.
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        if (icon.pixmap(QSize(16, 16), 1.0).save(&buffer, "PNG"))
            properties.insert(QStringLiteral("icon-data"), png);
    }
    return properties;
}

} // namespace

DBusMenuExporter::DBusMenuExporter(QMenu* menu, const QDBusConnection& connection, const QString& path,
                                   QObject* parent)
    : QObject(parent), m_menu(menu), m_connection(connection), m_path(path)
{
    registerDBusTypes();
    auto* object = new DBusMenuObject(this);
    new DBusMenuAdaptor(object, this);
    if (m_menu) {
        for (QAction* action : m_menu->actions())
            ensureId(action);
        m_menu->installEventFilter(this);
    }
    m_exported = m_connection.registerObject(m_path, object, QDBusConnection::ExportAdaptors);
}

DBusMenuExporter::~DBusMenuExporter()
{
    if (m_exported)
        m_connection.unregisterObject(m_path);
}

void DBusMenuExporter::registerDBusTypes()
{
    static const bool registered = [] {
        qDBusRegisterMetaType<DBusMenuLayoutItem>();
        qDBusRegisterMetaType<DBusMenuItemProperties>();
        qDBusRegisterMetaType<DBusMenuItemPropertiesList>();
        qDBusRegisterMetaType<DBusMenuEvent>();
        qDBusRegisterMetaType<DBusMenuEventList>();
        return true;
    }();
    Q_UNUSED(registered);
}

QString DBusMenuExporter::dbusLabel(const QString& text)
{
    QString label;
    label.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'_') {
            label += QStringLiteral("__");
        } else if (c == u'&' && i + 1 < text.size()) {
            // "&&" is a literal ampersand; "&x" marks x as the mnemonic.
            label += text.at(i + 1) == u'&' ? u'&' : u'_';
            if (text.at(i + 1) == u'&')
                ++i;
        } else {
            label += c;
        }
    }
    return label;
}

int DBusMenuExporter::idOf(QAction* action) const
{
    return menuActions().contains(action) ? m_ids.value(action) : 0;
}

QAction* DBusMenuExporter::actionOf(int id) const
{
    QAction* action = m_actions.value(id);
    return action && menuActions().contains(action) ? action : nullptr;
}

std::optional<DBusMenuLayoutItem> DBusMenuExporter::layout(int parentId, int recursionDepth,
                                                           const QStringList& propertyNames)
{
    if (parentId != 0 && !actionOf(parentId))
        return std::nullopt;
    DBusMenuLayoutItem item{parentId, filtered(itemProperties(parentId), propertyNames), {}};
    if (parentId == 0 && recursionDepth != 0) {
        for (QAction* action : menuActions()) {
            const int id = ensureId(action);
            item.children.append({id, filtered(itemProperties(id), propertyNames), {}});
        }
    }
    return item;
}

DBusMenuItemPropertiesList DBusMenuExporter::groupProperties(const QList<int>& ids,
                                                             const QStringList& propertyNames)
{
    DBusMenuItemPropertiesList found;
    for (int id : ids) {
        if (id == 0 || actionOf(id))
            found.append({id, filtered(itemProperties(id), propertyNames)});
    }
    return found;
}

std::optional<QVariant> DBusMenuExporter::itemProperty(int id, const QString& name)
{
    if (id != 0 && !actionOf(id))
        return std::nullopt;
    const QVariantMap properties = itemProperties(id);
    const auto found = properties.constFind(name);
    if (found == properties.constEnd())
        return std::nullopt;
    return *found;
}

bool DBusMenuExporter::handleEvent(int id, const QString& eventId)
{
    if (id == 0)
        return true;
    QAction* action = actionOf(id);
    if (!action)
        return false;
    // Queued: the action may close windows, start a nested loop or delete this menu, none of which may
    // happen inside the D-Bus call that reported the click.
    if (eventId == QLatin1String("clicked"))
        QMetaObject::invokeMethod(action, &QAction::trigger, Qt::QueuedConnection);
    return true;
}

std::optional<bool> DBusMenuExporter::aboutToShow(int id)
{
    if (id == 0) {
        // The application may refresh its entries now, as it would before showing the QMenu itself;
        // whatever it changed is the update the host should fetch.
        if (m_menu)
            Q_EMIT m_menu->aboutToShow();
        return m_updatePending;
    }
    if (!actionOf(id))
        return std::nullopt;
    return false;
}

bool DBusMenuExporter::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_menu) {
        switch (event->type()) {
        case QEvent::ActionAdded:
            ensureId(static_cast<QActionEvent*>(event)->action());
            scheduleLayoutUpdate();
            break;
        case QEvent::ActionRemoved:
        case QEvent::ActionChanged:
            scheduleLayoutUpdate();
            break;
        default:
            break;
        }
    }
    return QObject::eventFilter(watched, event);
}

int DBusMenuExporter::ensureId(QAction* action)
{
    const auto found = m_ids.constFind(action);
    if (found != m_ids.constEnd())
        return *found;
    const int id = m_nextId++;
    m_ids.insert(action, id);
    m_actions.insert(id, action);
    // The id lives as long as the action; the object is gone by then, so only the pointer is used.
    connect(action, &QObject::destroyed, this, [this, action] { m_actions.remove(m_ids.take(action)); });
    return id;
}

QList<QAction*> DBusMenuExporter::menuActions() const
{
    return m_menu ? m_menu->actions() : QList<QAction*>{};
}

QVariantMap DBusMenuExporter::itemProperties(int id)
{
    if (id == 0)
        return {{QStringLiteral("children-display"), QStringLiteral("submenu")}};
    QAction* action = actionOf(id);
    return action ? actionProperties(*action) : QVariantMap{};
}

void DBusMenuExporter::scheduleLayoutUpdate()
{
    if (m_updatePending)
        return;
    // One signal per event-loop turn however many actions changed; a layout read before it already
    // carries the new revision.
    ++m_revision;
    m_updatePending = true;
    QMetaObject::invokeMethod(this, &DBusMenuExporter::publishLayoutUpdate, Qt::QueuedConnection);
}

void DBusMenuExporter::publishLayoutUpdate()
{
    m_updatePending = false;
    Q_EMIT layoutUpdated(m_revision, 0);
}

#include "DBusMenuExporter.moc"
