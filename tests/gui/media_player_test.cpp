// The media player service on a bus of the test's own: what a desktop client
// reads and calls, and the signals it gets when the player changes.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QDBusVariant>
#include <QElapsedTimer>
#include <QObject>
#include <QStringList>
#include <QVariantMap>

#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

#include "gui/windows/Forms.h"
#include "gui/windows/MediaPlayer.h"

using namespace gui;

namespace {

const QString kPath = QStringLiteral("/org/mpris/MediaPlayer2");
const QString kPlayerIface = QStringLiteral("org.mpris.MediaPlayer2.Player");
const QString kProps = QStringLiteral("org.freedesktop.DBus.Properties");

class FakePlayer : public TMediaPlayer {
public:
    TPlaybackStatus status = TPlaybackStatus::Stopped;
    bool hasTrack = false;
    TTrackInfo track;
    std::vector<std::string> calls;

    TPlaybackStatus Status() const override { return status; }
    bool Track(TTrackInfo& Info) const override {
        if (hasTrack) Info = track;
        return hasTrack;
    }
    std::int64_t PositionUs() const override { return 1'500'000; }
    bool CanPlay() const override { return true; }
    bool CanPause() const override { return hasTrack; }
    bool CanSeek() const override { return hasTrack; }
    bool CanGoNext() const override { return true; }
    bool CanGoPrevious() const override { return hasTrack; }
    void Play() override { calls.push_back("Play"); }
    void Pause() override { calls.push_back("Pause"); }
    void PlayPause() override { calls.push_back("PlayPause"); }
    void Stop() override { calls.push_back("Stop"); }
    void Next() override { calls.push_back("Next"); }
    void Previous() override { calls.push_back("Previous"); }
    void Seek(std::int64_t OffsetUs) override { calls.push_back("Seek " + std::to_string(OffsetUs)); }
    void SetPosition(const std::string& Id, std::int64_t Us) override {
        calls.push_back("SetPosition " + Id + " " + std::to_string(Us));
    }
    void Raise() override { calls.push_back("Raise"); }
    void Quit() override { calls.push_back("Quit"); }
    // What the program does when its state changes.
    void Tell() { Changed(); }
    void TellSeek(std::int64_t us) { Seeked(us); }
};

}  // namespace

// Records the player's signals as a desktop client sees them.
class SignalLog : public QObject {
    Q_OBJECT
public:
    std::vector<QDBusMessage> messages;
public slots:
    void Received(const QDBusMessage& m) { messages.push_back(m); }
};

namespace {

class MediaPlayerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { InitApplication(); }

    void SetUp() override {
        service = TMediaPlayerService::Start(player, {"korvane_test", "Hollowmere", "korvane"});
        ASSERT_NE(service, nullptr);
        client.connect(QString(), kPath, kProps, QStringLiteral("PropertiesChanged"), &log,
                       SLOT(Received(QDBusMessage)));
        client.connect(QString(), kPath, kPlayerIface, QStringLiteral("Seeked"), &log, SLOT(Received(QDBusMessage)));
    }
    void TearDown() override {
        client.disconnect(QString(), kPath, kProps, QStringLiteral("PropertiesChanged"), &log,
                          SLOT(Received(QDBusMessage)));
        client.disconnect(QString(), kPath, kPlayerIface, QStringLiteral("Seeked"), &log,
                          SLOT(Received(QDBusMessage)));
        service.reset();
    }

    // A call from the client, answered while the event loop turns.
    QDBusMessage Call(const QString& iface, const QString& method, const QList<QVariant>& args = {}) {
        QDBusMessage m = QDBusMessage::createMethodCall(QString::fromStdString(service->BusName()), kPath, iface, method);
        m.setArguments(args);
        QDBusPendingCall pending = client.asyncCall(m, 5000);
        QElapsedTimer t;
        t.start();
        while (!pending.isFinished() && t.elapsed() < 5000) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        return pending.reply();
    }
    QVariantMap GetAll(const QString& iface) {
        const QDBusMessage r = Call(kProps, QStringLiteral("GetAll"), {iface});
        return qdbus_cast<QVariantMap>(r.arguments().value(0));
    }
    // Lets signals in flight arrive.
    void Settle() {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 300) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }

    FakePlayer player;
    std::unique_ptr<TMediaPlayerService> service;
    QDBusConnection client = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("client"));
    SignalLog log;
};

TEST_F(MediaPlayerTest, TheRootNamesTheProgram) {
    EXPECT_EQ(service->BusName(), "org.mpris.MediaPlayer2.korvane_test");
    const QVariantMap root = GetAll(QStringLiteral("org.mpris.MediaPlayer2"));
    EXPECT_EQ(root.value("Identity").toString(), "Hollowmere");
    EXPECT_EQ(root.value("DesktopEntry").toString(), "korvane");
    EXPECT_TRUE(root.value("CanRaise").toBool());
    EXPECT_TRUE(root.value("CanQuit").toBool());
    EXPECT_FALSE(root.value("HasTrackList").toBool());
}

TEST(MediaPlayerName, ATakenNameGetsTheInstanceSuffix) {
    InitApplication();
    // Another program (here: another connection) holds the name already.
    QDBusConnection other = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("other"));
    ASSERT_TRUE(other.registerService(QStringLiteral("org.mpris.MediaPlayer2.korvane_taken")));
    FakePlayer player;
    auto service = TMediaPlayerService::Start(player, {"korvane_taken", "Hollowmere", "korvane"});
    ASSERT_NE(service, nullptr);
    EXPECT_EQ(service->BusName(), "org.mpris.MediaPlayer2.korvane_taken.instance" + std::to_string(::getpid()));
    other.unregisterService(QStringLiteral("org.mpris.MediaPlayer2.korvane_taken"));
}

TEST_F(MediaPlayerTest, PropertiesCarryTheSongWithTheirTypes) {
    QVariantMap p = GetAll(kPlayerIface);
    EXPECT_EQ(p.value("PlaybackStatus").toString(), "Stopped");
    EXPECT_EQ(qdbus_cast<QVariantMap>(p.value("Metadata")).value("mpris:trackid").value<QDBusObjectPath>().path(),
              "/org/mpris/MediaPlayer2/TrackList/NoTrack");
    EXPECT_FALSE(p.value("CanPause").toBool());

    player.hasTrack = true;
    player.status = TPlaybackStatus::Paused;
    player.track = {"/org/korvane/song/2_old", "Iron Vow", "Lund Sarrow", "Hollowmere", 183'000'000,
                    "/tmp/a folder/_korvane_cover.jpg"};
    p = GetAll(kPlayerIface);
    EXPECT_EQ(p.value("PlaybackStatus").toString(), "Paused");
    EXPECT_EQ(p.value("Position").toLongLong(), 1'500'000);
    EXPECT_TRUE(p.value("CanControl").toBool());
    const QVariantMap meta = qdbus_cast<QVariantMap>(p.value("Metadata"));
    EXPECT_EQ(meta.value("mpris:trackid").value<QDBusObjectPath>().path(), "/org/korvane/song/2_old");
    EXPECT_EQ(meta.value("mpris:length").toLongLong(), 183'000'000);
    EXPECT_EQ(meta.value("xesam:title").toString(), "Iron Vow");
    EXPECT_EQ(qdbus_cast<QStringList>(meta.value("xesam:artist")), QStringList{"Lund Sarrow"});
    EXPECT_EQ(meta.value("xesam:album").toString(), "Hollowmere");
    EXPECT_EQ(meta.value("mpris:artUrl").toString(), "file:///tmp/a%20folder/_korvane_cover.jpg");

    const QDBusMessage one = Call(kProps, QStringLiteral("Get"), {kPlayerIface, QStringLiteral("PlaybackStatus")});
    EXPECT_EQ(one.arguments().value(0).value<QDBusVariant>().variant().toString(), "Paused");
    EXPECT_EQ(Call(kProps, QStringLiteral("Get"), {kPlayerIface, QStringLiteral("Nonsense")}).type(),
              QDBusMessage::ErrorMessage);
}

TEST_F(MediaPlayerTest, MethodsReachThePlayer) {
    for (const char* m : {"Play", "Pause", "PlayPause", "Stop", "Next", "Previous"})
        EXPECT_EQ(Call(kPlayerIface, QString::fromLatin1(m)).type(), QDBusMessage::ReplyMessage) << m;
    Call(kPlayerIface, QStringLiteral("Seek"), {QVariant::fromValue(qlonglong(-5'000'000))});
    Call(kPlayerIface, QStringLiteral("SetPosition"),
         {QVariant::fromValue(QDBusObjectPath(QStringLiteral("/org/korvane/song/1_old"))),
          QVariant::fromValue(qlonglong(30'000'000))});
    Call(QStringLiteral("org.mpris.MediaPlayer2"), QStringLiteral("Raise"));
    Call(QStringLiteral("org.mpris.MediaPlayer2"), QStringLiteral("Quit"));
    EXPECT_EQ(player.calls, (std::vector<std::string>{"Play", "Pause", "PlayPause", "Stop", "Next", "Previous",
                                                      "Seek -5000000", "SetPosition /org/korvane/song/1_old 30000000",
                                                      "Raise", "Quit"}));
    // A seek with the wrong argument type reaches nothing.
    EXPECT_EQ(Call(kPlayerIface, QStringLiteral("Seek"), {QStringLiteral("far")}).type(), QDBusMessage::ErrorMessage);
    EXPECT_EQ(player.calls.size(), 10u);
}

TEST_F(MediaPlayerTest, SignalsTellOnlyWhatChanged) {
    player.Tell();
    Settle();
    EXPECT_TRUE(log.messages.empty()) << "nothing changed, nothing sent";

    player.status = TPlaybackStatus::Playing;
    player.Tell();
    Settle();
    ASSERT_EQ(log.messages.size(), 1u);
    EXPECT_EQ(log.messages[0].arguments().value(0).toString(), kPlayerIface);
    QVariantMap changed = qdbus_cast<QVariantMap>(log.messages[0].arguments().value(1));
    EXPECT_EQ(changed.keys(), QStringList{"PlaybackStatus"});
    EXPECT_EQ(changed.value("PlaybackStatus").toString(), "Playing");

    player.hasTrack = true;
    player.track = {"/org/korvane/song/3_old", "Slow Pursuit", "Peltrin", "Hollowmere", 249'000'000, ""};
    player.Tell();
    Settle();
    ASSERT_EQ(log.messages.size(), 2u);
    changed = qdbus_cast<QVariantMap>(log.messages[1].arguments().value(1));
    EXPECT_TRUE(changed.contains("Metadata"));
    EXPECT_TRUE(changed.contains("CanPause"));
    EXPECT_FALSE(changed.contains("PlaybackStatus"));
    EXPECT_FALSE(qdbus_cast<QVariantMap>(changed.value("Metadata")).contains("mpris:artUrl")) << "no picture, no URL";

    player.TellSeek(42'000'000);
    Settle();
    ASSERT_EQ(log.messages.size(), 3u);
    EXPECT_EQ(log.messages[2].member(), "Seeked");
    EXPECT_EQ(log.messages[2].arguments().value(0).toLongLong(), 42'000'000);
}

TEST(MediaPlayerNoBus, WithoutASessionBusThereIsNoServiceAndNoComplaint) {
    const char* bus = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    const std::string address = bus ? bus : "";
    ::unsetenv("DBUS_SESSION_BUS_ADDRESS");
    ::setenv("XDG_RUNTIME_DIR", "/nonexistent", 1);
    FakePlayer player;
    EXPECT_EQ(TMediaPlayerService::Start(player, {"korvane_nobus", "Hollowmere", "korvane"}), nullptr);
    EXPECT_FALSE(player.OnChanged);
    ::setenv("DBUS_SESSION_BUS_ADDRESS", address.c_str(), 1);
}

}  // namespace

// The test runs on a bus of its own: it starts itself again under
// dbus-run-session, so it never publishes on a desktop's bus.
int main(int argc, char** argv) {
    if (!std::getenv("KORVANE_PRIVATE_BUS")) {
        ::setenv("KORVANE_PRIVATE_BUS", "1", 1);
        std::vector<char*> args{const_cast<char*>("dbus-run-session"), const_cast<char*>("--")};
        for (int i = 0; i < argc; ++i) args.push_back(argv[i]);
        args.push_back(nullptr);
        ::execvp("dbus-run-session", args.data());
        std::perror("dbus-run-session");
        return 1;
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

#include "media_player_test.moc"
