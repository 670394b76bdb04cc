#include "support/FakeScreenSaver.h"

#include <QDBusConnection>
#include <QMutexLocker>

namespace vistrel::test {

namespace {

constexpr const char* kConnection = "fake-screensaver";
constexpr const char* kService = "org.freedesktop.ScreenSaver";

}  // namespace

QStringList ScreenSaverService::Calls() const
{
    QMutexLocker lock(&mutex_);
    return calls_;
}

uint ScreenSaverService::Inhibit(const QString& application, const QString& reason)
{
    Record("Inhibit " + application + " " + reason);
    return cookie_;
}

void ScreenSaverService::UnInhibit(uint cookie)
{
    Record("UnInhibit " + QString::number(cookie));
}

void ScreenSaverService::Record(const QString& call)
{
    QMutexLocker lock(&mutex_);
    calls_ << call;
}

FakeScreenSaver::FakeScreenSaver(uint cookie) : service_(cookie)
{
    service_.moveToThread(&thread_);
    thread_.start();
    QDBusConnection bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, kConnection);
    registered_ = bus.registerObject("/org/freedesktop/ScreenSaver", &service_, QDBusConnection::ExportAllSlots) &&
                  bus.registerService(kService);
}

FakeScreenSaver::~FakeScreenSaver()
{
    QDBusConnection bus(kConnection);
    bus.unregisterService(kService);
    bus.unregisterObject("/org/freedesktop/ScreenSaver");
    QDBusConnection::disconnectFromBus(kConnection);
    thread_.quit();
    thread_.wait();
}

}  // namespace vistrel::test
