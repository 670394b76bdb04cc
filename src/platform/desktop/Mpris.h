#pragma once
// The player on the session bus as desktops expect it (MPRIS 2): media keys, the panel's
// player applet and command-line remotes reach the same handlers as the buttons and keys.
// The service asks its hooks for the player's state four times a second and announces
// every change with PropertiesChanged; the position is answered on request only.
#include <QDBusConnection>
#include <QObject>
#include <QString>

#include <functional>

namespace vistrel {

inline constexpr const char* kMprisObjectPath = "/org/mpris/MediaPlayer2";
inline constexpr const char* kMprisBusName = "org.mpris.MediaPlayer2.vistrel";
inline constexpr double kMprisMinimumRate = 0.1;
inline constexpr double kMprisMaximumRate = 4.0;

// What the player does now, in the terms of the bus.
struct MprisState {
    QString playbackStatus = "Stopped";  // "Playing", "Paused" or "Stopped"
    QString fileName;                    // the open title's full name, "" for none
    qint64 lengthUs = 0;
    double volume = 1.0;  // the title's own volume, 0..1
    double rate = 1.0;
    bool canGoNext = false;
    bool canGoPrevious = false;
    bool canPlay = false;
    bool canPause = false;
    bool canSeek = false;
    bool operator==(const MprisState&) const = default;
};

// An unset hook makes its call do nothing (its property answers the state's value).
struct MprisHooks {
    std::function<MprisState()> State;
    std::function<qint64()> PositionUs;
    std::function<void()> Raise;
    std::function<void()> Quit;
    std::function<void()> Play;
    std::function<void()> Pause;
    std::function<void()> PlayPause;
    std::function<void()> Stop;
    std::function<void()> Next;
    std::function<void()> Previous;
    std::function<void(qint64 offsetUs)> Seek;
    std::function<void(qint64 positionUs)> SetPosition;
    std::function<void(double volume)> SetVolume;
    std::function<void(double rate)> SetRate;
};

class MprisService : public QObject {
    Q_OBJECT

public:
    MprisService(MprisHooks hooks, QObject* parent = nullptr);
    ~MprisService() override;

    // Puts the player's objects on `bus` and asks for the well-known name, or for
    // ".instance<pid>" below it when another player holds it. The name request is
    // asynchronous; BusName() is empty until the bus granted one.
    void Start(const QDBusConnection& bus);
    QString BusName() const { return busName_; }

    // Emits PropertiesChanged for what changed since the last look. Called whenever the GUI
    // thread's event loop has done its work and is about to wait, so every change is told
    // right after whatever made it, and an idle program is never woken to look.
    void Refresh();
    // Tells the bus that the position jumped (a seek), in microseconds.
    void Seeked(qint64 positionUs);

    const MprisHooks& Hooks() const { return hooks_; }
    // The state as of now (a refresh first, so a reader never sees a stale answer).
    const MprisState& Current();
    // The current title's object path; a new one for every title.
    QString TrackId() const;
    QVariantMap Metadata();

private:
    void RequestName(const QString& name, bool fallBackToInstance);
    void EmitChanged(const QString& interfaceName, const QVariantMap& changed);

    MprisHooks hooks_;
    MprisState state_;
    QDBusConnection bus_;
    QString busName_;
    int trackSerial_ = 0;
};

}  // namespace vistrel
