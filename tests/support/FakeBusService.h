#pragma once
// Fakes of the desktop services that keep the machine awake and of the file manager, each
// served from its own thread and bus connection, so that the program's calls really pass
// through the bus daemons scripts/services.sh starts (a session bus, and a second bus
// standing in for the system bus). Registered while the object lives.
#include <QDBusVirtualObject>
#include <QMutex>
#include <QStringList>
#include <QThread>

#include <vector>

namespace vistrel::test {

enum class BusService { ScreenSaver, Portal, Logind, FileManager };

class FakeBusService : public QDBusVirtualObject {
public:
    // A service that does not answer takes every call and never replies.
    explicit FakeBusService(BusService service, bool answers = true);
    ~FakeBusService() override;

    bool Registered() const { return registered_; }
    // In the order they came: "Inhibit Vistrel Playing video", "UnInhibit 7" (screen
    // saver); "Inhibit 4 Playing audio", "Close" (portal); "Inhibit sleep Vistrel Playing
    // audio block", "Released" when the caller closed the lock (logind); "ShowFolders
    // file:///a%20b " (file manager: the URIs, then the startup id).
    QStringList Calls();

    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override;

private:
    QVariant Grant();
    void NoteReleasedLocks();

    const BusService service_;
    const bool answers_;
    bool registered_ = false;
    QThread thread_;
    QMutex mutex_;
    QStringList calls_, portalRequests_;
    std::vector<int> lockEnds_;  // ours of the sleep locks handed out; the caller closing its end releases one
};

}  // namespace vistrel::test
