// orvessa-standin: runs the stand-in cloud service on loopback for the application's run command.
//   orvessa-standin --listen 127.0.0.1:0 [--seed state.json] [--ca-dir DIR] [--max-seconds N]
// Prints "port=<port>" and "config_i=<Base64 base address>" (the value of Config/i in
// config.ini) and, with --ca-dir, keeps its TLS CA in DIR/ca.crt and the SM2 CA that issues the
// users' signing certificates in DIR/signing-ca.crt, whose path it prints as "config_ca=<path>"
// (the value of Config/ca). Stops on end of standard input, SIGTERM or SIGINT, or after
// --max-seconds.

#include "StandinOpsAccount.h"
#include "StandinService.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSocketNotifier>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace {
int g_signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char c = 1;
    ssize_t ignored = ::write(g_signalPipe[1], &c, 1);
    (void)ignored;
}
} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription("Stand-in for the cloud e-seal service, on 127.0.0.1");
    parser.addHelpOption();
    QCommandLineOption listen("listen", "Address to listen on: 127.0.0.1:<port>, 0 for a free port.", "host:port",
                              "127.0.0.1:0");
    QCommandLineOption seed("seed", "JSON file with the initial state.", "file");
    QCommandLineOption caDir("ca-dir", "Folder that keeps the CA across starts.", "dir");
    QCommandLineOption maxSeconds("max-seconds", "Stop after this many seconds.", "n");
    parser.addOptions({listen, seed, caDir, maxSeconds});
    parser.process(app);

    const QString address = parser.value(listen);
    const QString host = address.section(':', 0, 0);
    bool portOk = false;
    const uint port = address.section(':', 1).toUInt(&portOk);
    if ((host != "127.0.0.1" && host != "localhost") || !portOk || port > 65535) {
        std::fprintf(stderr, "--listen takes 127.0.0.1:<port>\n");
        return 2;
    }
    QByteArray seedJson;
    if (parser.isSet(seed)) {
        QFile f(parser.value(seed));
        if (!f.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "cannot read %s\n", qPrintable(parser.value(seed)));
            return 2;
        }
        seedJson = f.readAll();
    }

    StandinService service;
    QString error;
    if (!service.start(quint16(port), seedJson, parser.value(caDir), &error)) {
        std::fprintf(stderr, "orvessa-standin: %s\n", qPrintable(error));
        return 1;
    }
    // The handlers are in place before the address is printed: whoever reads it may stop the
    // program at once.
    if (::pipe(g_signalPipe) == 0) {
        std::signal(SIGTERM, onSignal);
        std::signal(SIGINT, onSignal);
        auto* sig = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, &app);
        QObject::connect(sig, &QSocketNotifier::activated, &app, &QCoreApplication::quit);
    }
    std::printf("port=%u\nconfig_i=%s\n", unsigned(service.port()), service.configValue().constData());
    if (parser.isSet(caDir))
        std::printf("config_ca=%s\n",
                    qPrintable(QDir(parser.value(caDir)).absoluteFilePath(QString::fromLatin1(kStandinSigningCaFile))));
    std::fflush(stdout);
    auto* input = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, &app);
    QObject::connect(input, &QSocketNotifier::activated, &app, [input, &app] {
        char buf[256];
        const ssize_t n = ::read(STDIN_FILENO, buf, sizeof buf);
        if (n <= 0) {
            input->setEnabled(false);
            app.quit();
        }
    });
    if (parser.isSet(maxSeconds))
        QTimer::singleShot(int(parser.value(maxSeconds).toDouble() * 1000), &app, &QCoreApplication::quit);

    const int code = app.exec();
    service.stop();
    return code;
}
