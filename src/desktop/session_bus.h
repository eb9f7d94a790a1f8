#pragma once

#include <QDBusConnection>
#include <optional>

// The user's session bus, when the session has one. Without DBUS_SESSION_BUS_ADDRESS and
// without the per-user bus socket there is none: the bus library would otherwise start a
// private bus daemon of its own (autolaunch) that no desktop component listens on.
namespace SessionBus {

bool isAdvertised();
std::optional<QDBusConnection> connect();

} // namespace SessionBus
