#pragma once
// A fake org.freedesktop.ScreenSaver on the session bus, served from its own thread and
// bus connection, so that the inhibitor's blocking calls really pass through the bus
// daemon (test.sh starts one). Registered while the object lives.
#include <QMutex>
#include <QObject>
#include <QStringList>
#include <QThread>

namespace vistrel::test {

class ScreenSaverService : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")

public:
    explicit ScreenSaverService(uint cookie) : cookie_(cookie) {}
    QStringList Calls() const;

public slots:
    uint Inhibit(const QString& application, const QString& reason);
    void UnInhibit(uint cookie);

private:
    void Record(const QString& call);

    const uint cookie_;
    mutable QMutex mutex_;
    QStringList calls_;
};

class FakeScreenSaver {
public:
    // Inhibit answers `cookie`. Registered() tells whether the name could be taken.
    explicit FakeScreenSaver(uint cookie);
    ~FakeScreenSaver();
    FakeScreenSaver(const FakeScreenSaver&) = delete;
    FakeScreenSaver& operator=(const FakeScreenSaver&) = delete;

    bool Registered() const { return registered_; }
    // "Inhibit APP REASON" and "UnInhibit COOKIE", in the order they came.
    QStringList Calls() const { return service_.Calls(); }

private:
    QThread thread_;
    ScreenSaverService service_;
    bool registered_ = false;
};

}  // namespace vistrel::test
