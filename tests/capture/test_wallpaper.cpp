// Setting the wallpaper: the argument lists each desktop gets, run through recording
// programs on PATH in place of gsettings and xfconf-query, and the portal and the Plasma shell
// answered by stand-ins on a message bus of the test's own.

#include "platform/shell/linux_wallpaper.h"
#include "platform/shell/wallpaper.h"
#include "platform/shell/wallpaper_commands.h"

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusUnixFileDescriptor>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <unistd.h>

using WallpaperCommands::Desktop;
using WallpaperCommands::ProgramRun;
Q_DECLARE_METATYPE(WallpaperCommands::Desktop)

namespace {

const QString Picture = QStringLiteral("/pics/My Pictures/it's.bmp");

// Each recorder writes its name and arguments, tab-separated, as one line of $RECORD_FILE,
// fails when one argument equals $RECORD_FAIL, and xfconf-query lists $XFCE_LISTING.
const char* Recorder = R"sh(#!/bin/sh
{ printf '%s' "$(basename "$0")"; for a in "$@"; do printf '\t%s' "$a"; done; echo; } >> "$RECORD_FILE"
for a in "$@"; do [ -n "$RECORD_FAIL" ] && [ "$a" = "$RECORD_FAIL" ] && exit 1; done
for a in "$@"; do [ "$a" = "-l" ] && printf '%s' "$XFCE_LISTING"; done
exit 0
)sh";

QString describe(const QList<ProgramRun>& runs)
{
    QStringList lines;
    for (const ProgramRun& r : runs)
        lines << (QStringList{r.program} + r.arguments).join(" | ");
    return lines.join('\n');
}

// Recording programs in a folder put first on PATH, and the bus the stand-ins answer on.
struct WallpaperRig {
    WallpaperRig()
    {
        for (const char* name : {"gsettings", "xfconf-query"}) {
            QFile script(bin.filePath(name));
            script.open(QIODevice::WriteOnly);
            script.write(Recorder);
            script.close();
            script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
        qputenv("RECORD_FILE", QFile::encodeName(bin.filePath("record.txt")));
        qputenv("PATH", QFile::encodeName(bin.path()) + ':' + pathBefore);
    }
    ~WallpaperRig()
    {
        qputenv("PATH", pathBefore);
        qunsetenv("RECORD_FAIL");
        qunsetenv("XFCE_LISTING");
    }

    // Sets the wallpaper and waits for the answer; the runs it made, in order.
    QList<ProgramRun> set(const QString& desktop, const QString& path,
                          std::optional<QDBusConnection> bus = std::nullopt)
    {
        LinuxWallpaper::Options options;
        options.currentDesktop = desktop;
        options.bus = bus ? *bus : QDBusConnection(QStringLiteral("no bus"));
        options.timeoutMs = 5000;
        LinuxWallpaper wallpaper(options);
        answers = 0;
        bool inside = true;
        answeredInside = false;
        wallpaper.SetWallpaper(path, [this, &inside](bool ok) {
            ++answers;
            answeredInside = inside;
            result = ok;
        });
        inside = false;
        if (QTest::qWaitFor([this] { return answers > 0; }, 10000))
            QTest::qWait(20); // a span in which no second answer may come
        return recorded();
    }

    QList<ProgramRun> recorded() const
    {
        QList<ProgramRun> runs;
        QFile file(bin.filePath("record.txt"));
        if (!file.open(QIODevice::ReadOnly))
            return runs;
        for (const QString& line :
             QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts)) {
            QStringList fields = line.split('\t');
            const QString program = fields.takeFirst();
            runs.append({program, fields});
        }
        return runs;
    }

    QTemporaryDir bin;
    const QByteArray pathBefore = qgetenv("PATH");
    int answers = 0;
    bool answeredInside = false;
    bool result = false;
};

// A message bus of the test's own, with no services to start on demand.
struct PrivateBus {
    PrivateBus()
    {
        QFile config(dir.filePath("bus.conf"));
        config.open(QIODevice::WriteOnly);
        config.write(QStringLiteral("<busconfig><type>session</type>"
                                    "<listen>unix:dir=%1</listen><auth>EXTERNAL</auth>"
                                    "<policy context=\"default\"><allow send_destination=\"*\"/>"
                                    "<allow receive_sender=\"*\"/><allow own=\"*\"/></policy>"
                                    "</busconfig>")
                         .arg(dir.path())
                         .toUtf8());
        config.close();
        daemon.start("dbus-daemon",
                     {"--config-file=" + config.fileName(), "--nofork", "--print-address"});
        if (daemon.waitForStarted(5000) && daemon.waitForReadyRead(5000))
            address = QString::fromUtf8(daemon.readLine()).trimmed();
    }
    ~PrivateBus()
    {
        for (const QString& name : names)
            QDBusConnection::disconnectFromBus(name);
        daemon.kill();
        daemon.waitForFinished(3000);
    }
    QDBusConnection connect(const QString& name)
    {
        names << name;
        return QDBusConnection::connectToBus(address, name);
    }

    QTemporaryDir dir;
    QProcess daemon;
    QString address;
    QStringList names;
};

} // namespace

// The desktop portal's wallpaper request, answered as the portal answers: a request object,
// then its Response signal.
class FakePortal : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Wallpaper")
public:
    explicit FakePortal(QDBusConnection bus) : m_bus(bus) {}
    uint response = 0;
    bool refuse = false; // answers with an error, as a portal without a wallpaper backend does
    QByteArray picture;
    QVariantMap options;

public slots:
    QDBusObjectPath SetWallpaperFile(const QString&, const QDBusUnixFileDescriptor& file,
                                     const QVariantMap& requestOptions)
    {
        options = requestOptions;
        QFile received;
        if (received.open(::dup(file.fileDescriptor()), QIODevice::ReadOnly,
                          QFileDevice::AutoCloseHandle))
            picture = received.readAll();
        if (refuse) {
            sendErrorReply(QDBusError::UnknownMethod, "no wallpaper here");
            return {};
        }
        QString sender = message().service().mid(1);
        sender.replace('.', '_');
        const QString path = "/org/freedesktop/portal/desktop/request/" + sender + '/' +
                             requestOptions.value("handle_token").toString();
        QTimer::singleShot(20, this, [this, path] {
            QDBusMessage signal =
                QDBusMessage::createSignal(path, "org.freedesktop.portal.Request", "Response");
            signal << response << QVariantMap();
            m_bus.send(signal);
        });
        return QDBusObjectPath(path);
    }

private:
    QDBusConnection m_bus;
};

class FakePlasmaShell : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.PlasmaShell")
public:
    QStringList scripts;
public slots:
    void evaluateScript(const QString& script) { scripts << script; }
};

class TestWallpaper : public QObject {
    Q_OBJECT
private slots:
    void desktopOf_data();
    void desktopOf();
    void settingsRuns_data();
    void settingsRuns();
    void xfceSetRuns_data();
    void xfceSetRuns();
    void plasmaScriptQuotesThePath();
    void desktopsThroughRecordingPrograms_data();
    void desktopsThroughRecordingPrograms();
    void portalAndPlasmaOnABus_data();
    void portalAndPlasmaOnABus();
};

void TestWallpaper::desktopOf_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<Desktop>("desktop");
    QTest::newRow("GNOME") << "GNOME" << Desktop::Gnome;
    QTest::newRow("Ubuntu's GNOME") << "ubuntu:GNOME" << Desktop::Gnome;
    QTest::newRow("GNOME Classic") << "GNOME-Classic:GNOME" << Desktop::Gnome;
    QTest::newRow("Unity") << "Unity" << Desktop::Gnome;
    QTest::newRow("Cinnamon") << "X-Cinnamon" << Desktop::Cinnamon;
    QTest::newRow("MATE") << "MATE" << Desktop::Mate;
    QTest::newRow("XFCE") << "XFCE" << Desktop::Xfce;
    QTest::newRow("Plasma") << "KDE" << Desktop::Plasma;
    QTest::newRow("first known name wins") << "Budgie:GNOME" << Desktop::Gnome;
    QTest::newRow("case ignored") << "xfce" << Desktop::Xfce;
    QTest::newRow("empty") << "" << Desktop::Unknown;
    QTest::newRow("unknown") << "sway" << Desktop::Unknown;
}

void TestWallpaper::desktopOf()
{
    QFETCH(QString, value);
    QFETCH(Desktop, desktop);
    QCOMPARE(WallpaperCommands::desktopOf(value), desktop);
}

void TestWallpaper::settingsRuns_data()
{
    QTest::addColumn<Desktop>("desktop");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("runs");
    // The URI keeps its quote, which the GVariant literal escapes.
    const QString quotedUri = "'file:///pics/My%20Pictures/it\\'s.bmp'";
    QTest::newRow("GNOME, light and dark")
        << Desktop::Gnome << Picture
        << "gsettings | set | org.gnome.desktop.background | picture-uri | " + quotedUri +
               "\ngsettings | set | org.gnome.desktop.background | picture-uri-dark | " + quotedUri;
    QTest::newRow("Cinnamon") << Desktop::Cinnamon << "/a/b.bmp"
                              << "gsettings | set | org.cinnamon.desktop.background | "
                                 "picture-uri | 'file:///a/b.bmp'";
    QTest::newRow("MATE takes the file name, quoted for gsettings")
        << Desktop::Mate << "/a/it's \\ x.bmp"
        << "gsettings | set | org.mate.background | picture-filename | '/a/it\\'s \\\\ x.bmp'";
    QTest::newRow("XFCE lists first") << Desktop::Xfce << "/a/b.bmp"
                                      << "";
    QTest::newRow("Plasma scripts") << Desktop::Plasma << "/a/b.bmp"
                                    << "";
    QTest::newRow("unknown") << Desktop::Unknown << "/a/b.bmp"
                             << "";
}

void TestWallpaper::settingsRuns()
{
    QFETCH(Desktop, desktop);
    QFETCH(QString, path);
    QFETCH(QString, runs);
    QCOMPARE(describe(WallpaperCommands::settingsRuns(desktop, path)), runs);
}

void TestWallpaper::xfceSetRuns_data()
{
    QTest::addColumn<QString>("listing");
    QTest::addColumn<QString>("runs");
    QTest::newRow("every last-image of every monitor")
        << "/backdrop/screen0/monitorVGA-1/workspace0/last-image\n"
           "/backdrop/screen0/monitorVGA-1/workspace0/image-style\n"
           "/backdrop/screen0/monitor0/workspace1/last-image\n"
           "/desktop-icons/style\n"
        << "xfconf-query | -c | xfce4-desktop | -p | "
           "/backdrop/screen0/monitorVGA-1/workspace0/last-image | -s | /a b.bmp\n"
           "xfconf-query | -c | xfce4-desktop | -p | "
           "/backdrop/screen0/monitor0/workspace1/last-image | -s | /a b.bmp";
    QTest::newRow("none yet: the first monitor's is made")
        << "/desktop-icons/style\n"
        << "xfconf-query | -c | xfce4-desktop | -p | "
           "/backdrop/screen0/monitor0/workspace0/last-image | -n | -t | string | -s | /a b.bmp";
    QTest::newRow("a name that only ends like one is not a property")
        << "not/a/last-image\n"
        << "xfconf-query | -c | xfce4-desktop | -p | "
           "/backdrop/screen0/monitor0/workspace0/last-image | -n | -t | string | -s | /a b.bmp";
}

void TestWallpaper::xfceSetRuns()
{
    QFETCH(QString, listing);
    QFETCH(QString, runs);
    QCOMPARE(describe(WallpaperCommands::xfceSetRuns(listing, "/a b.bmp")), runs);
    QCOMPARE(describe({WallpaperCommands::xfceListRun()}),
             QString("xfconf-query | -c | xfce4-desktop | -l"));
}

void TestWallpaper::plasmaScriptQuotesThePath()
{
    const QString script = WallpaperCommands::plasmaScript("/a/\"x\"\\y.bmp");
    QVERIFY(script.contains("d.writeConfig(\"Image\", \"file:///a/%22x%22%5Cy.bmp\");"));
    QVERIFY(script.contains("d.wallpaperPlugin = \"org.kde.image\";"));
    QVERIFY(script.contains("desktops()"));
}

void TestWallpaper::desktopsThroughRecordingPrograms_data()
{
    QTest::addColumn<QString>("desktop");
    QTest::addColumn<QString>("listing");
    QTest::addColumn<QString>("failing");
    QTest::addColumn<bool>("programsThere");
    QTest::addColumn<QString>("runs");
    QTest::addColumn<bool>("set");
    const QString gnome = describe(WallpaperCommands::settingsRuns(Desktop::Gnome, Picture));
    QTest::newRow("GNOME") << "ubuntu:GNOME"
                           << ""
                           << "" << true << gnome << true;
    QTest::newRow("GNOME without a dark-style picture")
        << "GNOME"
        << ""
        << "picture-uri-dark" << true << gnome << true;
    QTest::newRow("GNOME refusing the picture")
        << "GNOME"
        << ""
        << "picture-uri" << true << gnome.section('\n', 0, 0) << false;
    QTest::newRow("gsettings missing") << "GNOME"
                                       << ""
                                       << "" << false << "" << false;
    QTest::newRow("Cinnamon") << "X-Cinnamon"
                              << ""
                              << "" << true
                              << describe(
                                     WallpaperCommands::settingsRuns(Desktop::Cinnamon, Picture))
                              << true;
    QTest::newRow("MATE") << "MATE"
                          << ""
                          << "" << true
                          << describe(WallpaperCommands::settingsRuns(Desktop::Mate, Picture))
                          << true;
    const QString listing = "/backdrop/screen0/monitor0/workspace0/last-image\n"
                            "/backdrop/screen0/monitor1/workspace0/last-image\n";
    QTest::newRow("XFCE, two monitors")
        << "XFCE" << listing << "" << true
        << "xfconf-query | -c | xfce4-desktop | -l\n" +
               describe(WallpaperCommands::xfceSetRuns(listing, Picture))
        << true;
    QTest::newRow("XFCE without its settings daemon")
        << "XFCE" << listing << "-l" << true << "xfconf-query | -c | xfce4-desktop | -l" << false;
    QTest::newRow("a desktop of unknown ways") << "sway"
                                               << ""
                                               << "" << true << "" << false;
    QTest::newRow("Plasma without a bus") << "KDE"
                                          << ""
                                          << "" << true << "" << false;
}

void TestWallpaper::desktopsThroughRecordingPrograms()
{
    QFETCH(QString, desktop);
    QFETCH(QString, listing);
    QFETCH(QString, failing);
    QFETCH(bool, programsThere);
    QFETCH(QString, runs);
    QFETCH(bool, set);
    WallpaperRig rig;
    qputenv("XFCE_LISTING", listing.toUtf8());
    qputenv("RECORD_FAIL", failing.toUtf8());
    if (!programsThere)
        qputenv("PATH", QFile::encodeName(rig.bin.filePath("nothing here")));
    QCOMPARE(describe(rig.set(desktop, Picture)), runs);
    QCOMPARE(rig.result, set);
    QCOMPARE(rig.answers, 1);
    QVERIFY(!rig.answeredInside); // always later, from the event loop
}

void TestWallpaper::portalAndPlasmaOnABus_data()
{
    QTest::addColumn<QString>("services");
    QTest::addColumn<QString>("desktop");
    QTest::addColumn<uint>("response");
    QTest::addColumn<bool>("viaPortal");
    QTest::addColumn<bool>("viaSettings");
    QTest::addColumn<bool>("viaPlasma");
    QTest::addColumn<bool>("set");
    QTest::newRow("the portal sets it") << "portal"
                                        << "GNOME" << 0u << true << false << false << true;
    QTest::newRow("the portal fails: the desktop's settings")
        << "portal"
        << "GNOME" << 2u << true << true << false << true;
    QTest::newRow("the user declines: nothing else tried")
        << "portal"
        << "GNOME" << 1u << true << false << false << false;
    QTest::newRow("a portal without wallpapers: the desktop's settings")
        << "refusing portal"
        << "GNOME" << 0u << true << true << false << true;
    QTest::newRow("no portal: the desktop's settings")
        << ""
        << "MATE" << 0u << false << true << false << true;
    QTest::newRow("no portal: the Plasma shell") << "plasma"
                                                 << "KDE" << 0u << false << false << true << true;
    QTest::newRow("no portal, no Plasma shell") << ""
                                                << "KDE" << 0u << false << false << false << false;
}

void TestWallpaper::portalAndPlasmaOnABus()
{
    QFETCH(QString, services);
    QFETCH(QString, desktop);
    QFETCH(uint, response);
    QFETCH(bool, viaPortal);
    QFETCH(bool, viaSettings);
    QFETCH(bool, viaPlasma);
    QFETCH(bool, set);
    PrivateBus bus;
    if (bus.address.isEmpty())
        QSKIP("dbus-daemon could not be started");
    QDBusConnection serviceSide = bus.connect("services");
    QDBusConnection programSide = bus.connect("program");
    QVERIFY(serviceSide.isConnected() && programSide.isConnected());

    FakePortal portal(serviceSide);
    portal.response = response;
    portal.refuse = services == "refusing portal";
    if (services.contains("portal")) {
        QVERIFY(serviceSide.registerObject("/org/freedesktop/portal/desktop", &portal,
                                           QDBusConnection::ExportAllSlots));
        QVERIFY(serviceSide.registerService("org.freedesktop.portal.Desktop"));
    }
    FakePlasmaShell plasma;
    if (services == "plasma") {
        QVERIFY(
            serviceSide.registerObject("/PlasmaShell", &plasma, QDBusConnection::ExportAllSlots));
        QVERIFY(serviceSide.registerService("org.kde.plasmashell"));
    }

    QTemporaryDir pictures;
    const QString picture = pictures.filePath("ScreenShot.bmp");
    QFile file(picture);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write("BM a picture") > 0);
    file.close();

    WallpaperRig rig;
    const QList<ProgramRun> runs = rig.set(desktop, picture, programSide);
    QCOMPARE(rig.result, set);
    QCOMPARE(rig.answers, 1);
    QCOMPARE(!portal.picture.isEmpty(), viaPortal);
    if (viaPortal) {
        QCOMPARE(portal.picture, QByteArray("BM a picture")); // the file itself was handed over
        QCOMPARE(portal.options.value("show-preview").toBool(), false);
        QCOMPARE(portal.options.value("set-on").toString(), QString("both"));
    }
    QCOMPARE(!runs.isEmpty(), viaSettings);
    QCOMPARE(plasma.scripts,
             viaPlasma ? QStringList{WallpaperCommands::plasmaScript(picture)} : QStringList());
}

QTEST_GUILESS_MAIN(TestWallpaper)
#include "test_wallpaper.moc"
