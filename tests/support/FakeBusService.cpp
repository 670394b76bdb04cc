#include "support/FakeBusService.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusUnixFileDescriptor>
#include <QMutexLocker>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace vistrel::test {

namespace {

constexpr uint kCookie = 7;

struct ServiceName {
    const char *connection, *name, *path;
};

constexpr ServiceName kNames[] = {  // by BusService
    {"fake-screensaver", "org.freedesktop.ScreenSaver", "/org/freedesktop/ScreenSaver"},
    {"fake-portal", "org.freedesktop.portal.Desktop", "/org/freedesktop/portal/desktop"},
    {"fake-logind", "org.freedesktop.login1", "/org/freedesktop/login1"},
    {"fake-filemanager", "org.freedesktop.FileManager1", "/org/freedesktop/FileManager1"},
};

// Where the portal puts a request: under the caller's unique name and its handle token.
QString RequestPath(const QString& sender, const QString& token)
{
    QString caller = sender.mid(1);
    caller.replace(QLatin1Char('.'), QLatin1Char('_'));
    return QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2").arg(caller, token);
}

}  // namespace

QStringList FakeBusService::Calls()
{
    QMutexLocker lock(&mutex_);
    NoteReleasedLocks();
    return calls_;
}

bool FakeBusService::handleMessage(const QDBusMessage& message, const QDBusConnection& connection)
{
    QMutexLocker lock(&mutex_);
    NoteReleasedLocks();
    const QVariantList args = message.arguments();
    QStringList words{message.member()};
    const bool inhibit = message.member() == QLatin1String("Inhibit");
    if (service_ == BusService::Portal && inhibit) {
        const auto options = qdbus_cast<QVariantMap>(args.value(2));
        words << args.value(1).toString() << options.value(QStringLiteral("reason")).toString();
        portalRequests_ << RequestPath(message.service(), options.value(QStringLiteral("handle_token")).toString());
    } else if (service_ == BusService::Portal) {
        if (!portalRequests_.contains(message.path()))
            words << message.path();  // a request the portal never handed out
    } else {
        for (const QVariant& arg : args)
            words << (arg.typeId() == QMetaType::QStringList ? arg.toStringList().join(' ') : arg.toString());
    }
    calls_ << words.join(QLatin1Char(' '));
    if (answers_)
        connection.send(inhibit ? message.createReply(Grant()) : message.createReply());
    return true;
}

QVariant FakeBusService::Grant()
{
    if (service_ == BusService::ScreenSaver)
        return kCookie;
    if (service_ == BusService::Portal)
        return QVariant::fromValue(QDBusObjectPath(portalRequests_.last()));
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0)
        return {};
    lockEnds_.push_back(ends[0]);
    const QDBusUnixFileDescriptor callerEnd(ends[1]);  // holds its own copy
    close(ends[1]);
    return QVariant::fromValue(callerEnd);
}

void FakeBusService::NoteReleasedLocks()
{
    for (auto it = lockEnds_.begin(); it != lockEnds_.end();) {
        pollfd end{*it, POLLIN, 0};
        if (poll(&end, 1, 0) == 1 && (end.revents & POLLHUP)) {
            calls_ << QStringLiteral("Released");
            close(*it);
            it = lockEnds_.erase(it);
        } else {
            ++it;
        }
    }
}

FakeBusService::FakeBusService(BusService service, bool answers) : service_(service), answers_(answers)
{
    const ServiceName& name = kNames[int(service)];
    const auto busType = service == BusService::Logind ? QDBusConnection::SystemBus : QDBusConnection::SessionBus;
    QDBusConnection bus = QDBusConnection::connectToBus(busType, name.connection);
    // Registered before it moves: the registration gives it children, which move along.
    registered_ = bus.registerVirtualObject(name.path, this, QDBusConnection::SubPath);
    moveToThread(&thread_);
    thread_.start();
    registered_ = registered_ && bus.registerService(name.name);
}

FakeBusService::~FakeBusService()
{
    const ServiceName& name = kNames[int(service_)];
    {
        QDBusConnection bus(name.connection);
        bus.unregisterService(name.name);
        bus.unregisterObject(name.path, QDBusConnection::UnregisterTree);
    }
    QDBusConnection::disconnectFromBus(name.connection);
    thread_.quit();
    thread_.wait();
    for (const int fd : lockEnds_)
        close(fd);
}

}  // namespace vistrel::test
