#pragma once

#include <QObject>
#include <QString>
#include <QVariantList>
#include <QVariantMap>
#include <QtQml/qqml.h>

// The monitoring profiles as the views show them, for `ProfileCard` and `ProfileDemoSheet`.
//
// `cards`: the three profiles in card order, each a map with
//   "id" (the profile key, e.g. "essentiel"), "name", "icon" (symbol name),
//   "taskCountText" ("5 tasks") and "detail" ("Camera, mic, RAM").
// `demo(id)`: what the confirmation sheet lists for a profile key, a map with "icon", "title" and
//   "lines" (a list of maps with "emoji" and "text"); an unknown key shows itself as title, a shield
//   and no lines.
class ProfileCards : public QObject
{
    Q_OBJECT
    QML_NAMED_ELEMENT(Profiles)
    QML_SINGLETON
    Q_PROPERTY(QVariantList cards READ cards CONSTANT)
public:
    using QObject::QObject;

    static QVariantList cards();
    Q_INVOKABLE static QVariantMap demo(const QString& profileId);
};
