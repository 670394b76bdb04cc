#include "support/FakeBusService.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusArgument>
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
    const char* connection;
    const char* name;
    const char* path;
};

ServiceName NameOf(BusService service)
{
    switch (service) {
    case BusService::ScreenSaver:
        return {"fake-screensaver", "org.freedesktop.ScreenSaver", "/org/freedesktop/ScreenSaver"};
    case BusService::Portal:
        return {"fake-portal", "org.freedesktop.portal.Desktop", "/org/freedesktop/portal/desktop"};
    case BusService::Logind:
        break;
    }
    return {"fake-logind", "org.freedesktop.login1", "/org/freedesktop/login1"};
}

QDBusConnection::BusType BusOf(BusService service)
{
    return service == BusService::Logind ? QDBusConnection::SystemBus : QDBusConnection::SessionBus;
}

}  // namespace

ServiceResponder::~ServiceResponder()
{
    for (const int fd : lockEnds_)
        close(fd);
}

QStringList ServiceResponder::Calls() const
{
    QMutexLocker lock(&mutex_);
    NoteReleasedLocks();
    return calls_;
}

bool ServiceResponder::handleMessage(const QDBusMessage& message, const QDBusConnection& connection)
{
    QMutexLocker lock(&mutex_);
    NoteReleasedLocks();
    const bool inhibit = message.member() == QLatin1String("Inhibit");
    if (inhibit && service_ == BusService::Portal)
        portalRequests_ << RequestPath(message);
    calls_ << Describe(message);
    if (!answers_)
        return true;
    const QVariant granted = inhibit ? Grant() : QVariant();
    connection.send(granted.isValid() ? message.createReply(granted) : message.createReply());
    return true;
}

QString ServiceResponder::Describe(const QDBusMessage& message) const
{
    QStringList words{message.member()};
    const QVariantList args = message.arguments();
    if (service_ == BusService::Portal && message.member() == QLatin1String("Inhibit")) {
        const auto options = qdbus_cast<QVariantMap>(args.value(2));
        words << args.value(1).toString() << options.value(QStringLiteral("reason")).toString();
    } else if (service_ == BusService::Portal) {
        if (!portalRequests_.contains(message.path()))
            words << message.path();  // a request the portal never handed out
    } else {
        for (const QVariant& arg : args)
            words << arg.toString();
    }
    return words.join(QLatin1Char(' '));
}

// Where the portal puts a request: under the caller's unique name and its handle token.
QString ServiceResponder::RequestPath(const QDBusMessage& inhibit)
{
    const auto options = qdbus_cast<QVariantMap>(inhibit.arguments().value(2));
    QString sender = inhibit.service().mid(1);
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    return QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2")
        .arg(sender, options.value(QStringLiteral("handle_token")).toString());
}

QVariant ServiceResponder::Grant()
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

void ServiceResponder::NoteReleasedLocks() const
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

FakeBusService::FakeBusService(BusService service, bool answers) : service_(service), responder_(service, answers)
{
    const ServiceName name = NameOf(service);
    QDBusConnection bus = QDBusConnection::connectToBus(BusOf(service), name.connection);
    // Registered before it moves: the registration gives it children, which move along.
    registered_ = bus.registerVirtualObject(name.path, &responder_, QDBusConnection::SubPath);
    responder_.moveToThread(&thread_);
    thread_.start();
    registered_ = registered_ && bus.registerService(name.name);
}

FakeBusService::~FakeBusService()
{
    const ServiceName name = NameOf(service_);
    {
        QDBusConnection bus(name.connection);
        bus.unregisterService(name.name);
        bus.unregisterObject(name.path, QDBusConnection::UnregisterTree);
    }
    QDBusConnection::disconnectFromBus(name.connection);
    thread_.quit();
    thread_.wait();
}

}  // namespace vistrel::test
