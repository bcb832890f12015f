#pragma once

#include "platform/Notifier.h"

class OsascriptNotifier : public Notifier
{
public:
    void notify(const QString& title, const QString& body, const QString& identifier) override;

    // display notification "BODY" with title "TITLE" sound name "Basso", with both texts made safe
    // to stand inside an AppleScript string.
    static QString script(const QString& title, const QString& body);
    static QString escaped(QString text);
};
