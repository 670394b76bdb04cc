#include "platform/desktop/ScreenSaver.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QDBusReply>

namespace vistrel {

namespace {

constexpr const char* kService = "org.freedesktop.ScreenSaver";
constexpr const char* kPath = "/org/freedesktop/ScreenSaver";
constexpr const char* kInterface = "org.freedesktop.ScreenSaver";
// A session bus that does not answer must not freeze the player.
constexpr int kCallTimeoutMs = 500;

bool ServiceAvailable(const QDBusConnection& bus)
{
    return bus.isConnected() && bus.interface() && bus.interface()->isServiceRegistered(kService).value();
}

}  // namespace

ScreenSaverInhibitor::~ScreenSaverInhibitor()
{
    UnInhibit();
}

void ScreenSaverInhibitor::KeepAwake(bool playing, const std::string& reason)
{
    if (playing && cookie_ == 0)
        Inhibit(reason);
    else if (!playing)
        UnInhibit();
}

void ScreenSaverInhibitor::Inhibit(const std::string& reason)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!ServiceAvailable(bus))
        return;
    QDBusInterface screenSaver(kService, kPath, kInterface, bus);
    screenSaver.setTimeout(kCallTimeoutMs);
    const QDBusReply<uint> reply = screenSaver.call("Inhibit", QStringLiteral("Vistrel"), QString::fromStdString(reason));
    if (reply.isValid())
        cookie_ = reply.value();
}

void ScreenSaverInhibitor::UnInhibit()
{
    if (cookie_ == 0)
        return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected()) {
        QDBusInterface screenSaver(kService, kPath, kInterface, bus);
        screenSaver.setTimeout(kCallTimeoutMs);
        screenSaver.call(QDBus::NoBlock, "UnInhibit", cookie_);
    }
    cookie_ = 0;
}

}  // namespace vistrel
