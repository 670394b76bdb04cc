#include "platform/desktop/KeepAwake.h"

#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusUnixFileDescriptor>
#include <QVariantMap>

#include <fcntl.h>
#include <unistd.h>

namespace vistrel {

namespace {

constexpr const char* kApplication = "Vistrel";
constexpr const char* kVideoReason = "Playing video";
constexpr const char* kAudioReason = "Playing audio";
// A bus or service that does not answer must not hold the player up.
constexpr int kCallTimeoutMs = 500;

constexpr const char* kScreenSaverService = "org.freedesktop.ScreenSaver";
constexpr const char* kScreenSaverPath = "/org/freedesktop/ScreenSaver";

constexpr const char* kPortalService = "org.freedesktop.portal.Desktop";
constexpr const char* kPortalPath = "/org/freedesktop/portal/desktop";
constexpr uint kPortalInhibitSuspend = 4;

constexpr const char* kLogindService = "org.freedesktop.login1";
constexpr const char* kLogindPath = "/org/freedesktop/login1";

QDBusMessage MethodCall(const char* service, const QString& path, const char* interface, const char* method)
{
    return QDBusMessage::createMethodCall(QString::fromLatin1(service), path, QString::fromLatin1(interface),
                                          QString::fromLatin1(method));
}

// The portal names a request after the caller's unique bus name and the token it chose,
// so the handle is known before the answer: a request whose answer timed out can still
// be closed.
QString PortalRequestPath(const QDBusConnection& bus, const QString& token)
{
    QString sender = bus.baseService().mid(1);
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    return QStringLiteral("%1/request/%2/%3").arg(QLatin1String(kPortalPath), sender, token);
}

}  // namespace

KeepAwakeInhibitor::~KeepAwakeInhibitor()
{
    Release();
}

void KeepAwakeInhibitor::KeepAwake(bool playing, bool video)
{
    const Hold wanted = !playing ? Hold::None : video ? Hold::Display : Hold::Sleep;
    if (wanted == wanted_)
        return;
    wanted_ = wanted;
    ++generation_;
    Release();
    if (wanted == Hold::Display)
        InhibitScreenSaver();
    else if (wanted == Hold::Sleep)
        InhibitThroughPortal();
}

void KeepAwakeInhibitor::Release()
{
    if (cookie_ != 0)
        UnInhibitScreenSaver(cookie_);
    if (!portalRequest_.isEmpty())
        ClosePortalRequest(portalRequest_);
    cookie_ = 0;
    portalRequest_.clear();
    if (sleepLock_ >= 0)
        close(sleepLock_);
    sleepLock_ = -1;
    held_ = Hold::None;
}

template <typename OnReply>
void KeepAwakeInhibitor::CallAsync(const QDBusConnection& bus, const QDBusMessage& call, OnReply onReply)
{
    // Owned by this object: its answer is dropped when the inhibitor goes first.
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, kCallTimeoutMs), this);
    ++pendingCalls_;
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, watcher, onReply, generation = generation_] {
                --pendingCalls_;
                onReply(watcher->reply(), generation == generation_);
                watcher->deleteLater();
            });
}

void KeepAwakeInhibitor::InhibitScreenSaver()
{
    QDBusMessage call = MethodCall(kScreenSaverService, kScreenSaverPath, kScreenSaverService, "Inhibit");
    call << QString::fromLatin1(kApplication) << QString::fromLatin1(kVideoReason);
    // An answer after the timeout never reaches us, and its cookie with it: that
    // inhibition lasts until the program leaves the bus, where the screen saver drops it.
    CallAsync(QDBusConnection::sessionBus(), call, [this](const QDBusMessage& reply, bool current) {
        if (reply.type() != QDBusMessage::ReplyMessage)
            return;
        const uint cookie = reply.arguments().value(0).toUInt();
        if (!current) {
            UnInhibitScreenSaver(cookie);
            return;
        }
        cookie_ = cookie;
        held_ = Hold::Display;
    });
}

void KeepAwakeInhibitor::InhibitThroughPortal()
{
    const QDBusConnection bus = QDBusConnection::sessionBus();
    const QString token = QStringLiteral("vistrel%1").arg(++portalRequests_);
    const QString predicted = PortalRequestPath(bus, token);
    QDBusMessage call = MethodCall(kPortalService, kPortalPath, "org.freedesktop.portal.Inhibit", "Inhibit");
    const QVariantMap options{{QStringLiteral("handle_token"), token},
                              {QStringLiteral("reason"), QString::fromLatin1(kAudioReason)}};
    call << QString() << kPortalInhibitSuspend << options;
    CallAsync(bus, call, [this, predicted](const QDBusMessage& reply, bool current) {
        if (reply.type() != QDBusMessage::ReplyMessage) {
            // A portal that answers too late would otherwise keep the system up for good.
            if (reply.errorName() == QDBusError::errorString(QDBusError::NoReply))
                ClosePortalRequest(predicted);
            if (current)
                InhibitThroughLogind();
            return;
        }
        const QString handle = reply.arguments().value(0).value<QDBusObjectPath>().path();
        if (!current) {
            ClosePortalRequest(handle);
            return;
        }
        portalRequest_ = handle;
        held_ = Hold::Sleep;
    });
}

void KeepAwakeInhibitor::InhibitThroughLogind()
{
    QDBusMessage call = MethodCall(kLogindService, kLogindPath, "org.freedesktop.login1.Manager", "Inhibit");
    call << QStringLiteral("sleep") << QString::fromLatin1(kApplication) << QString::fromLatin1(kAudioReason)
         << QStringLiteral("block");
    // A late answer's descriptor closes with the message, which ends that inhibitor.
    CallAsync(QDBusConnection::systemBus(), call, [this](const QDBusMessage& reply, bool current) {
        if (reply.type() != QDBusMessage::ReplyMessage || !current)
            return;
        const auto lock = reply.arguments().value(0).value<QDBusUnixFileDescriptor>();
        if (!lock.isValid())
            return;
        sleepLock_ = fcntl(lock.fileDescriptor(), F_DUPFD_CLOEXEC, 0);
        if (sleepLock_ >= 0)
            held_ = Hold::Sleep;
    });
}

void KeepAwakeInhibitor::UnInhibitScreenSaver(uint cookie)
{
    QDBusMessage call = MethodCall(kScreenSaverService, kScreenSaverPath, kScreenSaverService, "UnInhibit");
    call << cookie;
    QDBusConnection::sessionBus().send(call);
}

void KeepAwakeInhibitor::ClosePortalRequest(const QString& handle)
{
    QDBusConnection::sessionBus().send(MethodCall(kPortalService, handle, "org.freedesktop.portal.Request", "Close"));
}

}  // namespace vistrel
