#include "platform/UserNotificationsNotifier.h"

#import <UserNotifications/UserNotifications.h>

void UserNotificationsNotifier::requestAuthorization()
{
    UNUserNotificationCenter* center = [UNUserNotificationCenter currentNotificationCenter];
    [center requestAuthorizationWithOptions:(UNAuthorizationOptionAlert | UNAuthorizationOptionSound)
                          completionHandler:^(BOOL, NSError*) {
                          }];
}

void UserNotificationsNotifier::notify(const QString& title, const QString& body, const QString& identifier)
{
    UNMutableNotificationContent* content = [[UNMutableNotificationContent alloc] init];
    content.title = title.toNSString();
    content.body = body.toNSString();
    content.sound = [UNNotificationSound defaultSound];
    UNNotificationRequest* request = [UNNotificationRequest requestWithIdentifier:identifier.toNSString()
                                                                          content:content
                                                                          trigger:nil];
    [[UNUserNotificationCenter currentNotificationCenter] addNotificationRequest:request withCompletionHandler:nil];
}
