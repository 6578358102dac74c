// The MPRIS 2 service over Qt's D-Bus module. One object, /org/mpris/MediaPlayer2,
// answers the root and player interfaces and the standard property and
// introspection calls by hand (a virtual object), so no generated adaptor
// code is needed.
#include "gui/windows/MediaPlayer.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QStringList>
#include <QUrl>
#include <QVariantMap>

#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

#include "gui/windows/detail/win_Internal.h"

namespace gui {

namespace {

const QString kPath = QStringLiteral("/org/mpris/MediaPlayer2");
const QString kRoot = QStringLiteral("org.mpris.MediaPlayer2");
const QString kPlayer = QStringLiteral("org.mpris.MediaPlayer2.Player");
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");
const QString kIntrospectable = QStringLiteral("org.freedesktop.DBus.Introspectable");
const QString kPeer = QStringLiteral("org.freedesktop.DBus.Peer");
const QString kNoTrack = QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack");

const char* const kIntrospection = R"(<!DOCTYPE node PUBLIC "-//freedesktop//DTD D-BUS Object Introspection 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/introspect.dtd">
<node>
  <interface name="org.freedesktop.DBus.Introspectable">
    <method name="Introspect"><arg name="xml" type="s" direction="out"/></method>
  </interface>
  <interface name="org.freedesktop.DBus.Properties">
    <method name="Get"><arg name="interface" type="s" direction="in"/><arg name="name" type="s" direction="in"/><arg name="value" type="v" direction="out"/></method>
    <method name="GetAll"><arg name="interface" type="s" direction="in"/><arg name="properties" type="a{sv}" direction="out"/></method>
    <method name="Set"><arg name="interface" type="s" direction="in"/><arg name="name" type="s" direction="in"/><arg name="value" type="v" direction="in"/></method>
    <signal name="PropertiesChanged"><arg name="interface" type="s"/><arg name="changed" type="a{sv}"/><arg name="invalidated" type="as"/></signal>
  </interface>
  <interface name="org.mpris.MediaPlayer2">
    <method name="Raise"/>
    <method name="Quit"/>
    <property name="CanQuit" type="b" access="read"/>
    <property name="CanRaise" type="b" access="read"/>
    <property name="HasTrackList" type="b" access="read"/>
    <property name="Identity" type="s" access="read"/>
    <property name="DesktopEntry" type="s" access="read"/>
    <property name="SupportedUriSchemes" type="as" access="read"/>
    <property name="SupportedMimeTypes" type="as" access="read"/>
  </interface>
  <interface name="org.mpris.MediaPlayer2.Player">
    <method name="Next"/>
    <method name="Previous"/>
    <method name="Pause"/>
    <method name="PlayPause"/>
    <method name="Stop"/>
    <method name="Play"/>
    <method name="Seek"><arg name="Offset" type="x" direction="in"/></method>
    <method name="SetPosition"><arg name="TrackId" type="o" direction="in"/><arg name="Position" type="x" direction="in"/></method>
    <method name="OpenUri"><arg name="Uri" type="s" direction="in"/></method>
    <signal name="Seeked"><arg name="Position" type="x"/></signal>
    <property name="PlaybackStatus" type="s" access="read"/>
    <property name="Rate" type="d" access="read"/>
    <property name="Metadata" type="a{sv}" access="read"/>
    <property name="Volume" type="d" access="read"/>
    <property name="Position" type="x" access="read"/>
    <property name="MinimumRate" type="d" access="read"/>
    <property name="MaximumRate" type="d" access="read"/>
    <property name="CanGoNext" type="b" access="read"/>
    <property name="CanGoPrevious" type="b" access="read"/>
    <property name="CanPlay" type="b" access="read"/>
    <property name="CanPause" type="b" access="read"/>
    <property name="CanSeek" type="b" access="read"/>
    <property name="CanControl" type="b" access="read"/>
  </interface>
</node>
)";

QString Q(const std::string& s) { return QString::fromStdString(s); }

// Without an address and without the per-user bus socket, asking for the
// session bus would start one through X11 autolaunch; the program then
// simply has no media controls.
bool SessionBusExpected() {
    const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    if (address && *address) return true;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (!runtime || !*runtime) return false;
    struct stat st {};
    const std::string socket = std::string(runtime) + "/bus";
    return ::stat(socket.c_str(), &st) == 0 && S_ISSOCK(st.st_mode);
}

const char* StatusName(TPlaybackStatus s) {
    switch (s) {
        case TPlaybackStatus::Playing: return "Playing";
        case TPlaybackStatus::Paused: return "Paused";
        case TPlaybackStatus::Stopped: break;
    }
    return "Stopped";
}

// What the player showed the bus last, to publish only what changed.
struct Published {
    TPlaybackStatus status = TPlaybackStatus::Stopped;
    bool hasTrack = false;
    TTrackInfo track;
    bool canPlay = false, canPause = false, canSeek = false, canGoNext = false, canGoPrevious = false;
};

bool SameTrack(const Published& a, const Published& b) {
    if (a.hasTrack != b.hasTrack) return false;
    if (!a.hasTrack) return true;
    const TTrackInfo &x = a.track, &y = b.track;
    return x.Id == y.Id && x.Title == y.Title && x.Artist == y.Artist && x.Album == y.Album &&
           x.LengthUs == y.LengthUs && x.ArtFile == y.ArtFile;
}

}  // namespace

struct TMediaPlayerService::Impl : public QDBusVirtualObject {
    TMediaPlayer& player;
    TMediaPlayerIdentity identity;
    QDBusConnection connection;
    std::string busName;
    Published last;

    Impl(TMediaPlayer& p, const TMediaPlayerIdentity& id, const QDBusConnection& c)
        : player(p), identity(id), connection(c) {}

    Published Read() const {
        Published p;
        p.status = player.Status();
        p.hasTrack = player.Track(p.track);
        p.canPlay = player.CanPlay();
        p.canPause = player.CanPause();
        p.canSeek = player.CanSeek();
        p.canGoNext = player.CanGoNext();
        p.canGoPrevious = player.CanGoPrevious();
        return p;
    }

    static QVariantMap Metadata(const Published& p) {
        QVariantMap m;
        if (!p.hasTrack) {
            m.insert(QStringLiteral("mpris:trackid"), QVariant::fromValue(QDBusObjectPath(kNoTrack)));
            return m;
        }
        const TTrackInfo& t = p.track;
        m.insert(QStringLiteral("mpris:trackid"), QVariant::fromValue(QDBusObjectPath(Q(t.Id))));
        m.insert(QStringLiteral("mpris:length"), QVariant::fromValue(static_cast<qlonglong>(t.LengthUs)));
        m.insert(QStringLiteral("xesam:title"), Q(t.Title));
        m.insert(QStringLiteral("xesam:artist"), QStringList{Q(t.Artist)});
        m.insert(QStringLiteral("xesam:album"), Q(t.Album));
        if (!t.ArtFile.empty())
            m.insert(QStringLiteral("mpris:artUrl"), QUrl::fromLocalFile(Q(t.ArtFile)).toString(QUrl::FullyEncoded));
        return m;
    }

    QVariantMap RootProperties() const {
        QVariantMap m;
        m.insert(QStringLiteral("CanQuit"), true);
        m.insert(QStringLiteral("CanRaise"), true);
        m.insert(QStringLiteral("HasTrackList"), false);
        m.insert(QStringLiteral("Identity"), Q(identity.Identity));
        m.insert(QStringLiteral("DesktopEntry"), Q(identity.DesktopEntry));
        m.insert(QStringLiteral("SupportedUriSchemes"), QStringList{});
        m.insert(QStringLiteral("SupportedMimeTypes"), QStringList{});
        return m;
    }

    static QVariantMap PlayerProperties(const Published& p) {
        QVariantMap m;
        m.insert(QStringLiteral("PlaybackStatus"), QString::fromLatin1(StatusName(p.status)));
        m.insert(QStringLiteral("Metadata"), Metadata(p));
        m.insert(QStringLiteral("CanPlay"), p.canPlay);
        m.insert(QStringLiteral("CanPause"), p.canPause);
        m.insert(QStringLiteral("CanSeek"), p.canSeek);
        m.insert(QStringLiteral("CanGoNext"), p.canGoNext);
        m.insert(QStringLiteral("CanGoPrevious"), p.canGoPrevious);
        m.insert(QStringLiteral("CanControl"), true);
        // Playback runs at its one speed and volume.
        m.insert(QStringLiteral("Rate"), 1.0);
        m.insert(QStringLiteral("MinimumRate"), 1.0);
        m.insert(QStringLiteral("MaximumRate"), 1.0);
        m.insert(QStringLiteral("Volume"), 1.0);
        return m;
    }

    QVariantMap AllOf(const QString& iface) const {
        if (iface == kRoot) return RootProperties();
        if (iface == kPlayer) {
            QVariantMap m = PlayerProperties(Read());
            m.insert(QStringLiteral("Position"), QVariant::fromValue(static_cast<qlonglong>(player.PositionUs())));
            return m;
        }
        return {};
    }

    void PublishChanges() {
        const Published now = Read();
        QVariantMap changed;
        const QVariantMap all = PlayerProperties(now);
        auto note = [&](bool differs, const char* name) {
            if (differs) changed.insert(QLatin1String(name), all.value(QLatin1String(name)));
        };
        note(now.status != last.status, "PlaybackStatus");
        note(!SameTrack(now, last), "Metadata");
        note(now.canPlay != last.canPlay, "CanPlay");
        note(now.canPause != last.canPause, "CanPause");
        note(now.canSeek != last.canSeek, "CanSeek");
        note(now.canGoNext != last.canGoNext, "CanGoNext");
        note(now.canGoPrevious != last.canGoPrevious, "CanGoPrevious");
        last = now;
        if (changed.isEmpty()) return;
        QDBusMessage signal = QDBusMessage::createSignal(kPath, kProperties, QStringLiteral("PropertiesChanged"));
        signal << kPlayer << changed << QStringList{};
        connection.send(signal);
    }

    void PublishSeek(std::int64_t positionUs) {
        QDBusMessage signal = QDBusMessage::createSignal(kPath, kPlayer, QStringLiteral("Seeked"));
        signal << static_cast<qlonglong>(positionUs);
        connection.send(signal);
    }

    QString introspect(const QString&) const override { return {}; }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& conn) override {
        if (message.type() != QDBusMessage::MethodCallMessage) return false;
        const QString iface = message.interface();
        const QString member = message.member();
        const QList<QVariant> args = message.arguments();
        auto reply = [&](const QList<QVariant>& out = {}) { conn.send(message.createReply(out)); };
        auto error = [&](const QString& name, const QString& text) {
            conn.send(message.createErrorReply(name, text));
        };

        if ((iface.isEmpty() || iface == kIntrospectable) && member == QLatin1String("Introspect")) {
            reply({QString::fromLatin1(kIntrospection)});
            return true;
        }
        if (iface == kPeer) return false;  // answered by the bus library
        if (iface == kProperties) {
            const QString target = args.value(0).toString();
            if (target != kRoot && target != kPlayer) {
                error(QStringLiteral("org.freedesktop.DBus.Error.UnknownInterface"), QStringLiteral("No such interface"));
                return true;
            }
            if (member == QLatin1String("GetAll")) {
                reply({AllOf(target)});
            } else if (member == QLatin1String("Get")) {
                const QVariantMap all = AllOf(target);
                const QString name = args.value(1).toString();
                if (!all.contains(name)) {
                    error(QStringLiteral("org.freedesktop.DBus.Error.UnknownProperty"), QStringLiteral("No such property"));
                } else {
                    reply({QVariant::fromValue(QDBusVariant(all.value(name)))});
                }
            } else if (member == QLatin1String("Set")) {
                error(QStringLiteral("org.freedesktop.DBus.Error.PropertyReadOnly"), QStringLiteral("Read-only property"));
            } else {
                return false;
            }
            return true;
        }

        // Methods: the reply goes out first, so that a caller is answered
        // even when the call ends the program or opens a window.
        std::function<void()> action;
        if (iface == kRoot || iface.isEmpty()) {
            if (member == QLatin1String("Raise")) action = [this] { player.Raise(); };
            if (member == QLatin1String("Quit")) action = [this] { player.Quit(); };
        }
        if (!action && (iface == kPlayer || iface.isEmpty())) {
            if (member == QLatin1String("Play")) action = [this] { player.Play(); };
            if (member == QLatin1String("Pause")) action = [this] { player.Pause(); };
            if (member == QLatin1String("PlayPause")) action = [this] { player.PlayPause(); };
            if (member == QLatin1String("Stop")) action = [this] { player.Stop(); };
            if (member == QLatin1String("Next")) action = [this] { player.Next(); };
            if (member == QLatin1String("Previous")) action = [this] { player.Previous(); };
            if (member == QLatin1String("Seek") && message.signature() == QLatin1String("x")) {
                const std::int64_t offset = args.value(0).toLongLong();
                action = [this, offset] { player.Seek(offset); };
            }
            if (member == QLatin1String("SetPosition") && message.signature() == QLatin1String("ox")) {
                const std::string track = args.value(0).value<QDBusObjectPath>().path().toStdString();
                const std::int64_t position = args.value(1).toLongLong();
                action = [this, track, position] { player.SetPosition(track, position); };
            }
            if (member == QLatin1String("OpenUri")) {
                error(QStringLiteral("org.freedesktop.DBus.Error.NotSupported"), QStringLiteral("Opens no URIs"));
                return true;
            }
        }
        if (!action) {
            error(QStringLiteral("org.freedesktop.DBus.Error.UnknownMethod"), QStringLiteral("No such method"));
            return true;
        }
        reply();
        detail::Guard(action);
        return true;
    }
};

std::unique_ptr<TMediaPlayerService> TMediaPlayerService::Start(TMediaPlayer& Player,
                                                                const TMediaPlayerIdentity& Identity) {
    if (!SessionBusExpected()) return nullptr;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return nullptr;
    auto impl = std::make_unique<Impl>(Player, Identity, bus);
    if (!bus.registerVirtualObject(kPath, impl.get(), QDBusConnection::SingleNode)) return nullptr;
    const QString base = QStringLiteral("org.mpris.MediaPlayer2.") + Q(Identity.Name);
    QString name = base;
    if (!bus.registerService(name)) {
        name = base + QStringLiteral(".instance") + QString::number(::getpid());
        if (!bus.registerService(name)) {
            bus.unregisterObject(kPath);
            return nullptr;
        }
    }
    impl->busName = name.toStdString();
    impl->last = impl->Read();
    Impl* raw = impl.get();
    Player.OnChanged = [raw] { raw->PublishChanges(); };
    Player.OnSeeked = [raw](std::int64_t us) { raw->PublishSeek(us); };
    return std::unique_ptr<TMediaPlayerService>(new TMediaPlayerService(std::move(impl)));
}

TMediaPlayerService::TMediaPlayerService(std::unique_ptr<Impl> impl) : FImpl(std::move(impl)) {}

TMediaPlayerService::~TMediaPlayerService() {
    FImpl->player.OnChanged = nullptr;
    FImpl->player.OnSeeked = nullptr;
    FImpl->connection.unregisterService(QString::fromStdString(FImpl->busName));
    FImpl->connection.unregisterObject(kPath);
}

const std::string& TMediaPlayerService::BusName() const { return FImpl->busName; }

}  // namespace gui
