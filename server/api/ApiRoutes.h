#pragma once

#include "service/Clock.h"

class AutomationService;
class CallerTrust;
class ChatResponder;
class CommandRunner;
class CustomSkillStore;
class EventStore;
class Router;
class TelegramLink;

// Everything the API's handlers reach. The objects live as long as the routes.
struct ApiContext
{
    EventStore& events;
    CustomSkillStore& customSkills;
    AutomationService& automations;
    CommandRunner& commands;
    ChatResponder& chat;
    TelegramLink& telegram;
    CallerTrust& callers;
    Clock clock;
    QString recoveredDatabase; // the name a damaged database was moved to at this start, else empty
};

// The paths under api/ that the desktop client calls, by area.
namespace ApiRoutes {

void addStatusRoutes(Router& router, ApiContext& context);
void addCommandRoutes(Router& router, ApiContext& context);
void addCustomSkillRoutes(Router& router, ApiContext& context);
void addAutomationRoutes(Router& router, ApiContext& context);
void addTelegramRoutes(Router& router, ApiContext& context);

inline void addAll(Router& router, ApiContext& context)
{
    addStatusRoutes(router, context);
    addCommandRoutes(router, context);
    addCustomSkillRoutes(router, context);
    addAutomationRoutes(router, context);
    addTelegramRoutes(router, context);
}

} // namespace ApiRoutes
