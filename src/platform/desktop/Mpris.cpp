#include "platform/desktop/Mpris.h"

#include "platform/desktop/MprisAdaptors.h"
#include "support/Hooks.h"

#include <QAbstractEventDispatcher>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QFileInfo>
#include <QUrl>

#include <algorithm>

#include <unistd.h>

namespace vistrel {

namespace {

constexpr const char* kPlayerInterface = "org.mpris.MediaPlayer2.Player";
constexpr int kBusCallTimeoutMs = 500;
constexpr uint kDoNotQueue = 4;         // RequestName flag
constexpr uint kPrimaryOwner = 1;       // RequestName reply
constexpr uint kAlreadyOwner = 4;

}  // namespace

MprisService::MprisService(MprisHooks hooks, QObject* parent)
    : QObject(parent), hooks_(std::move(hooks)), bus_(QString())
{
    new MprisRootAdaptor(this, *this);
    new MprisPlayerAdaptor(this, *this);
}

MprisService::~MprisService()
{
    if (!bus_.isConnected())
        return;
    bus_.unregisterObject(kMprisObjectPath);
    if (!busName_.isEmpty())
        bus_.unregisterService(busName_);
}

void MprisService::Start(const QDBusConnection& bus)
{
    bus_ = bus;
    if (!bus_.isConnected() || !bus_.registerObject(kMprisObjectPath, this))
        return;
    if (hooks_.State)
        state_ = hooks_.State();
    connect(QAbstractEventDispatcher::instance(thread()), &QAbstractEventDispatcher::aboutToBlock, this,
            &MprisService::Refresh);
    RequestName(kMprisBusName, true);
}

// Asked without waiting, so a slow bus never holds up the window.
void MprisService::RequestName(const QString& name, bool fallBackToInstance)
{
    QDBusMessage call = QDBusMessage::createMethodCall("org.freedesktop.DBus", "/org/freedesktop/DBus",
                                                       "org.freedesktop.DBus", "RequestName");
    call << name << kDoNotQueue;
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call, kBusCallTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, name, fallBackToInstance](QDBusPendingCallWatcher* w) {
        const QDBusPendingReply<uint> reply = *w;
        w->deleteLater();
        if (reply.isValid() && (reply.value() == kPrimaryOwner || reply.value() == kAlreadyOwner))
            busName_ = name;
        else if (fallBackToInstance)
            RequestName(QString("%1.instance%2").arg(kMprisBusName).arg(::getpid()), false);
    });
}

const MprisState& MprisService::Current()
{
    Refresh();
    return state_;
}

void MprisService::Refresh()
{
    if (!hooks_.State)
        return;
    const MprisState now = hooks_.State();
    if (now == state_)
        return;
    const MprisState was = state_;
    state_ = now;
    if (now.fileName != was.fileName)
        ++trackSerial_;
    QVariantMap changed;
    if (now.playbackStatus != was.playbackStatus)
        changed["PlaybackStatus"] = now.playbackStatus;
    if (now.fileName != was.fileName || now.lengthUs != was.lengthUs)
        changed["Metadata"] = Metadata();
    if (now.volume != was.volume)
        changed["Volume"] = now.volume;
    if (now.rate != was.rate)
        changed["Rate"] = now.rate;
    const std::pair<const char*, bool MprisState::*> flags[] = {
        {"CanGoNext", &MprisState::canGoNext}, {"CanGoPrevious", &MprisState::canGoPrevious},
        {"CanPlay", &MprisState::canPlay},     {"CanPause", &MprisState::canPause},
        {"CanSeek", &MprisState::canSeek}};
    for (const auto& [property, flag] : flags)
        if (now.*flag != was.*flag)
            changed[property] = now.*flag;
    EmitChanged(kPlayerInterface, changed);
}

void MprisService::EmitChanged(const QString& interfaceName, const QVariantMap& changed)
{
    if (changed.isEmpty() || !bus_.isConnected())
        return;
    QDBusMessage signal = QDBusMessage::createSignal(kMprisObjectPath, "org.freedesktop.DBus.Properties",
                                                     "PropertiesChanged");
    signal << interfaceName << changed << QStringList();
    bus_.send(signal);
}

void MprisService::Seeked(qint64 positionUs)
{
    if (auto* player = findChild<MprisPlayerAdaptor*>())
        emit player->Seeked(positionUs);
}

QString MprisService::TrackId() const
{
    if (state_.fileName.isEmpty())
        return "/org/mpris/MediaPlayer2/TrackList/NoTrack";
    return QString("/org/vistrel/track/%1").arg(trackSerial_);
}

QVariantMap MprisService::Metadata()
{
    QVariantMap metadata{{"mpris:trackid", QVariant::fromValue(QDBusObjectPath(TrackId()))}};
    if (state_.fileName.isEmpty())
        return metadata;
    metadata["xesam:title"] = QFileInfo(state_.fileName).completeBaseName();
    metadata["xesam:url"] = QUrl::fromLocalFile(state_.fileName).toString(QUrl::FullyEncoded);
    if (state_.lengthUs > 0)
        metadata["mpris:length"] = state_.lengthUs;
    return metadata;
}

// ---- The adaptors -----------------------------------------------------------------------

MprisRootAdaptor::MprisRootAdaptor(QObject* object, MprisService& service)
    : QDBusAbstractAdaptor(object), service_(service)
{
}

void MprisRootAdaptor::Raise() { CallIfSet(service_.Hooks().Raise); }
void MprisRootAdaptor::Quit() { CallIfSet(service_.Hooks().Quit); }

MprisPlayerAdaptor::MprisPlayerAdaptor(QObject* object, MprisService& service)
    : QDBusAbstractAdaptor(object), service_(service)
{
}

void MprisPlayerAdaptor::SetRate(double rate)
{
    // A rate of 0 means pause; rates outside the range are refused, as clients expect.
    if (rate == 0)
        Pause();
    else if (rate >= kMprisMinimumRate && rate <= kMprisMaximumRate)
        CallIfSet(service_.Hooks().SetRate, rate);
}

void MprisPlayerAdaptor::SetVolume(double volume)
{
    CallIfSet(service_.Hooks().SetVolume, std::clamp(volume, 0.0, 1.0));
}

qlonglong MprisPlayerAdaptor::Position() const
{
    return service_.Hooks().PositionUs ? service_.Hooks().PositionUs() : 0;
}

void MprisPlayerAdaptor::Next() { CallIfSet(service_.Hooks().Next); }
void MprisPlayerAdaptor::Previous() { CallIfSet(service_.Hooks().Previous); }
void MprisPlayerAdaptor::Pause() { CallIfSet(service_.Hooks().Pause); }
void MprisPlayerAdaptor::PlayPause() { CallIfSet(service_.Hooks().PlayPause); }
void MprisPlayerAdaptor::Stop() { CallIfSet(service_.Hooks().Stop); }
void MprisPlayerAdaptor::Play() { CallIfSet(service_.Hooks().Play); }

void MprisPlayerAdaptor::Seek(qlonglong Offset)
{
    if (service_.Current().canSeek)
        CallIfSet(service_.Hooks().Seek, Offset);
}

// Only for the title playing now, and within it.
void MprisPlayerAdaptor::SetPosition(const QDBusObjectPath& TrackId, qlonglong Position)
{
    const MprisState& state = service_.Current();
    if (!state.canSeek || TrackId.path() != service_.TrackId() || Position < 0 || Position > state.lengthUs)
        return;
    CallIfSet(service_.Hooks().SetPosition, Position);
}

}  // namespace vistrel
