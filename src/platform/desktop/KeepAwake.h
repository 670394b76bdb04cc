#pragma once
// Keeps the machine awake while a title plays. A video keeps the display on
// (org.freedesktop.ScreenSaver Inhibit on the session bus); audio only keeps the system
// from sleeping, so the screen still blanks and locks: the desktop portal's Inhibit with
// the suspend flag where a portal runs, else logind's "sleep" inhibitor on the system bus.
// Without any of them nothing happens.
//
// Every call is asynchronous with a 500 ms timeout: a service that hangs never stalls
// the player. An answer that comes after the state changed again is released at once.
#include <QObject>
#include <QString>

class QDBusConnection;
class QDBusMessage;

namespace vistrel {

class KeepAwakeInhibitor : public QObject {
    Q_OBJECT

public:
    enum class Hold { None, Display, Sleep };

    KeepAwakeInhibitor() = default;
    ~KeepAwakeInhibitor() override;

    // Title play calls this on every change of its play state: playing takes the
    // inhibition the title's kind needs (switching it when the kind changed); not playing
    // releases it. Repeated calls with the same state and kind change nothing.
    void KeepAwake(bool playing, bool video);
    // The inhibition a service granted; None while a request is under way or refused.
    Hold Held() const { return held_; }
    bool RequestPending() const { return pendingCalls_ > 0; }

private:
    void Release();
    void InhibitScreenSaver();
    void InhibitThroughPortal();
    void InhibitThroughLogind();
    void UnInhibitScreenSaver(uint cookie);
    void ClosePortalRequest(const QString& handle);
    template <typename OnReply>
    void CallAsync(const QDBusConnection& bus, const QDBusMessage& call, OnReply onReply);

    Hold wanted_ = Hold::None;
    Hold held_ = Hold::None;
    // Tells an answer to the current request from one to a request already given up.
    int generation_ = 0;
    int pendingCalls_ = 0;
    int portalRequests_ = 0;
    uint cookie_ = 0;
    QString portalRequest_;
    // logind keeps its inhibitor while this descriptor stays open.
    int sleepLock_ = -1;
};

}  // namespace vistrel
