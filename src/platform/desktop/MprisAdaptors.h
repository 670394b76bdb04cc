#pragma once
// The two MPRIS interfaces on the player's object; each property and method goes to the
// service's state and hooks.
#include "platform/desktop/Mpris.h"

#include <QDBusAbstractAdaptor>
#include <QDBusObjectPath>
#include <QStringList>
#include <QVariantMap>

namespace vistrel {

class MprisRootAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2")
    Q_PROPERTY(bool CanQuit READ CanQuit)
    Q_PROPERTY(bool CanRaise READ CanRaise)
    Q_PROPERTY(bool HasTrackList READ HasTrackList)
    Q_PROPERTY(QString Identity READ Identity)
    Q_PROPERTY(QString DesktopEntry READ DesktopEntry)
    Q_PROPERTY(QStringList SupportedUriSchemes READ SupportedUriSchemes)
    Q_PROPERTY(QStringList SupportedMimeTypes READ SupportedMimeTypes)

public:
    MprisRootAdaptor(QObject* object, MprisService& service);

    bool CanQuit() const { return true; }
    bool CanRaise() const { return true; }
    bool HasTrackList() const { return false; }
    QString Identity() const { return "Vistrel"; }
    QString DesktopEntry() const { return "vistrel"; }
    QStringList SupportedUriSchemes() const { return {}; }
    QStringList SupportedMimeTypes() const { return {}; }

public slots:
    void Raise();
    void Quit();

private:
    MprisService& service_;
};

class MprisPlayerAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
    Q_PROPERTY(QString PlaybackStatus READ PlaybackStatus)
    Q_PROPERTY(double Rate READ Rate WRITE SetRate)
    Q_PROPERTY(QVariantMap Metadata READ Metadata)
    Q_PROPERTY(double Volume READ Volume WRITE SetVolume)
    Q_PROPERTY(qlonglong Position READ Position)
    Q_PROPERTY(double MinimumRate READ MinimumRate)
    Q_PROPERTY(double MaximumRate READ MaximumRate)
    Q_PROPERTY(bool CanGoNext READ CanGoNext)
    Q_PROPERTY(bool CanGoPrevious READ CanGoPrevious)
    Q_PROPERTY(bool CanPlay READ CanPlay)
    Q_PROPERTY(bool CanPause READ CanPause)
    Q_PROPERTY(bool CanSeek READ CanSeek)
    Q_PROPERTY(bool CanControl READ CanControl)

public:
    MprisPlayerAdaptor(QObject* object, MprisService& service);

    QString PlaybackStatus() const { return service_.Current().playbackStatus; }
    double Rate() const { return service_.Current().rate; }
    void SetRate(double rate);
    QVariantMap Metadata() const
    {
        service_.Current();
        return service_.Metadata();
    }
    double Volume() const { return service_.Current().volume; }
    void SetVolume(double volume);
    qlonglong Position() const;
    double MinimumRate() const { return kMprisMinimumRate; }
    double MaximumRate() const { return kMprisMaximumRate; }
    bool CanGoNext() const { return service_.Current().canGoNext; }
    bool CanGoPrevious() const { return service_.Current().canGoPrevious; }
    bool CanPlay() const { return service_.Current().canPlay; }
    bool CanPause() const { return service_.Current().canPause; }
    bool CanSeek() const { return service_.Current().canSeek; }
    bool CanControl() const { return true; }

signals:
    void Seeked(qlonglong Position);

public slots:
    void Next();
    void Previous();
    void Pause();
    void PlayPause();
    void Stop();
    void Play();
    void Seek(qlonglong Offset);
    void SetPosition(const QDBusObjectPath& TrackId, qlonglong Position);

private:
    MprisService& service_;
};

}  // namespace vistrel
