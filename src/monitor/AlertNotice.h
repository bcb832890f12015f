#pragma once

#include "model/SecurityAlert.h"

#include <QString>

// The title and body of the local notice raised for a stored alert.
struct AlertNotice
{
    QString title;
    QString body;

    static AlertNotice forAlert(const SecurityAlert& alert);
};
