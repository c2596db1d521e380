// A second start of the run command while the first window is open: each run has its own
// settings file, made by scripts/run-config.sh as scripts/run.sh makes it, so the second run's
// service never reaches the first window.
#include "JourneySupport.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QSettings>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

using namespace journey;

namespace {

using SecondRunJourney = Journey;

// A settings file of one run as the run command writes it for a service (base address in Base64
// and the file of its signing CA).
QString runConfig(const QString& output, const QByteArray& configI, const QString& caFile)
{
    QDir().mkpath(QFileInfo(output).absolutePath());
    QProcess script;
    script.start("bash", {QStringLiteral(ORV_SOURCE_DIR "/scripts/run-config.sh"),
                          QStringLiteral(ORV_APP_DIR "/config.ini"), QString::fromLatin1(configI), caFile, output});
    if (!script.waitForFinished(20000) || script.exitCode() != 0)
        return QString();
    return output;
}

// True when a viewable top-level window of the X server belongs to process pid (by the
// _NET_WM_PID the toolkit sets on its windows).
bool hasViewableWindowOf(qint64 pid)
{
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return false;
    const Atom pidAtom = XInternAtom(display, "_NET_WM_PID", True);
    bool found = false;
    Window root = DefaultRootWindow(display), parent = 0, *children = nullptr;
    unsigned int n = 0;
    if (pidAtom != None && XQueryTree(display, root, &root, &parent, &children, &n))
    {
        for (unsigned int i = 0; i < n && !found; i++)
        {
            XWindowAttributes attributes;
            if (!XGetWindowAttributes(display, children[i], &attributes) || attributes.map_state != IsViewable)
                continue;
            Atom type = None;
            int format = 0;
            unsigned long items = 0, after = 0;
            unsigned char* value = nullptr;
            if (XGetWindowProperty(display, children[i], pidAtom, 0, 1, False, XA_CARDINAL, &type, &format, &items,
                                   &after, &value) == Success && value)
            {
                found = items == 1 && format == 32 && qint64(*reinterpret_cast<unsigned long*>(value)) == pid;
                XFree(value);
            }
        }
        if (children)
            XFree(children);
    }
    XCloseDisplay(display);
    return found;
}

} // namespace

// The first window runs in this process with its run's settings for stand-in A; a second run's
// settings are made for stand-in B, and the real Orvessa program starts with them as a second
// process on the same X server. The first run's file is not touched, and the first window's
// next login (the login, then the certificate requests that read the settings file) reaches A
// only; B hears nothing of it.
TEST_F(SecondRunJourney, SecondRunLeavesTheFirstWindowOnItsService)
{
    // Run 1: its settings as the run command writes them, read by this process's window as the
    // program reads the file ORVESSA_CONFIG names.
    const QString caA = dir.filePath("a-signing-ca.pem");
    write("a-signing-ca.pem", standin.signingCaCertificatePem().toStdString());
    const QString run1 = runConfig(dir.filePath("run1/config.ini"), standin.configValue(), caA);
    ASSERT_FALSE(run1.isEmpty());
    client->m_exePath = run1;
    client->setServiceAddress(NetWorkBusiness::readServiceAddress(run1));
    ASSERT_EQ(standin.baseAddress(), NetWorkBusiness::readServiceAddress(run1));
    start();
    configPath = run1;
    const std::string run1Text = fixture::readFile(run1.toStdString());

    // Run 2: its own stand-in and settings, and the program started as a second process. The
    // settings beside the executable, which both runs copy, are left as they are.
    const QString shared = QStringLiteral(ORV_APP_DIR "/config.ini");
    const bool sharedExisted = QFileInfo::exists(shared);
    const std::string sharedText = sharedExisted ? fixture::readFile(shared.toStdString()) : std::string();
    StandinService other;
    QString error;
    ASSERT_TRUE(other.start(0, QByteArray(), QString(), &error)) << error.toStdString();
    // Were the first window sent to B, B would answer it and this test would see the request.
    trustInProcess(other.caCertificate());
    const QString caB = dir.filePath("b-signing-ca.pem");
    write("b-signing-ca.pem", other.signingCaCertificatePem().toStdString());
    const QString run2 = runConfig(dir.filePath("run2/config.ini"), other.configValue(), caB);
    ASSERT_FALSE(run2.isEmpty());
    ASSERT_NE(run1, run2);
    EXPECT_EQ(other.baseAddress(), NetWorkBusiness::readServiceAddress(run2));
    EXPECT_EQ(caB, QSettings(run2, QSettings::IniFormat).value("Config/ca").toString());
    EXPECT_EQ(sharedExisted, QFileInfo::exists(shared));
    if (sharedExisted)
    {
        EXPECT_EQ(sharedText, fixture::readFile(shared.toStdString()));
    }

    QProcess second;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("ORVESSA_CONFIG", run2);
    env.insert("HOME", dir.filePath("home2"));
    env.insert("XDG_CONFIG_HOME", dir.filePath("home2/.config"));
    env.insert("ASAN_OPTIONS", "detect_leaks=0");
    env.remove("QT_QPA_PLATFORM");
    QDir().mkpath(dir.filePath("home2/.config"));
    second.setProcessEnvironment(env);
    second.setProcessChannelMode(QProcess::ForwardedChannels);
    second.start(QStringLiteral(ORV_APP_DIR "/Orvessa"), QStringList());
    ASSERT_TRUE(second.waitForStarted(20000));
    const bool shown = waitUntil([&] { return hasViewableWindowOf(second.processId()); }, 30000);
    EXPECT_TRUE(shown);
    EXPECT_EQ(QProcess::Running, second.state());
    shoot("25_second_run_window.png");

    // The first run's file is as it was; the first window's next login goes to A alone.
    EXPECT_EQ(run1Text, fixture::readFile(run1.toStdString()));
    standin.clearRequests();
    other.clearRequests();
    window->raise();
    logIn(kPerson);
    shoot("26_first_window_logged_in.png");
    QStringList paths;
    for (const StandinRequest& r : standin.requests())
        paths << r.path;
    EXPECT_TRUE(paths.contains("/eseal-usermanage/login")) << paths.join("\n").toStdString();
    EXPECT_TRUE(paths.contains("/eseal-signature/certInfo/getCertCurrentUser")) << paths.join("\n").toStdString();
    EXPECT_TRUE(other.requests().isEmpty()) << other.requests().size();
    EXPECT_TRUE(boxes.isEmpty()) << boxes.join("\n").toStdString();
    EXPECT_FALSE(g_cerData.isEmpty());

    second.terminate();
    if (!second.waitForFinished(10000))
    {
        second.kill();
        second.waitForFinished(5000);
    }
    other.stop();
}
