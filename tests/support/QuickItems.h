#pragma once

#include <QQuickItem>
#include <QQuickView>
#include <QString>
#include <QTest>
#include <QtQuickTest/quicktest.h>

// Finding and clicking the items of a loaded view by objectName, as a user's pointer would.
namespace QuickItems {

// Every item named `name` under `from`, in tree order. List delegates hang in the item tree, not the
// object tree: the search follows child items.
inline void findAll(QQuickItem* from, const QString& name, QList<QQuickItem*>& found)
{
    if (!from)
        return;
    if (from->objectName() == name)
        found.append(from);
    const QList<QQuickItem*> children = from->childItems();
    for (QQuickItem* child : children)
        findAll(child, name, found);
}

// Whether a user sees the item: visible, and neither it nor any item above it fully transparent (the
// dashboard keeps its hidden tabs alive at opacity 0).
inline bool isSeen(const QQuickItem* item)
{
    if (!item->isVisible())
        return false;
    for (; item; item = item->parentItem()) {
        if (item->opacity() <= 0)
            return false;
    }
    return true;
}

// The named item a user would see: the first one seen, else the first one. Views built from the same
// components (a profile sheet in onboarding and in the settings tab) share names.
inline QQuickItem* find(QQuickItem* from, const QString& name)
{
    QList<QQuickItem*> found;
    findAll(from, name, found);
    for (QQuickItem* item : found) {
        if (isSeen(item))
            return item;
    }
    return found.value(0);
}

inline QQuickItem* find(QQuickView* view, const char* name)
{
    return find(qobject_cast<QQuickItem*>(view->rootObject()), QString::fromLatin1(name));
}

// The "text" property of a named item; empty when there is no such item.
inline QString text(QQuickView* view, const char* name)
{
    const QQuickItem* found = find(view, name);
    return found ? found->property("text").toString() : QString();
}

// A left click at the centre of a named item; false when it is missing or hidden. The click waits for
// the layouts' pending polish: until then an item that just became visible still has the place and size
// it had hidden, and a user sees and clicks it only where it lands after the polish.
inline bool click(QQuickView* view, const char* name)
{
    if (!QQuickTest::qWaitForPolish(view))
        return false;
    QQuickItem* target = find(view, name);
    if (!target || !target->isVisible())
        return false;
    const QPointF centre = target->mapToScene(QPointF(target->width() / 2, target->height() / 2));
    QTest::mouseClick(view, Qt::LeftButton, {}, centre.toPoint());
    return true;
}

} // namespace QuickItems
