// tessel-sim: a simulated video processor for trying the program without
// hardware and for tests that run it as a separate process.

#include "sim_server.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QHostAddress>
#include <QSocketNotifier>
#include <cstdio>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace {

#ifdef Q_OS_UNIX
int signal_pipe[2] = {-1, -1};

void on_signal(int)
{
    const char byte = 1;
    // Only async-signal-safe work here; the event loop does the quitting.
    [[maybe_unused]] const ssize_t n = ::write(signal_pipe[1], &byte, 1);
}

// SIGINT and SIGTERM end the event loop, so the destructors remove the
// pseudo-terminal's link and close the log.
void quit_on_signals(QCoreApplication &app)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signal_pipe) != 0)
        return;
    auto *notifier = new QSocketNotifier(signal_pipe[0], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, [&app] {
        char byte;
        [[maybe_unused]] const ssize_t n = ::read(signal_pipe[0], &byte, 1);
        app.quit();
    });
    struct sigaction action = {};
    action.sa_handler = on_signal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
}
#else
void quit_on_signals(QCoreApplication &) {}
#endif

void say(const QString &line)
{
    std::fputs(qPrintable(line + QLatin1Char('\n')), stdout);
    std::fflush(stdout);
}

int fail(const QString &why)
{
    std::fputs(qPrintable(QStringLiteral("tessel-sim: ") + why + QLatin1Char('\n')), stderr);
    return 2;
}

bool parse_int(const QString &text, int lo, int hi, int &out)
{
    bool ok = false;
    const int v = text.toInt(&ok);
    if (!ok || v < lo || v > hi)
        return false;
    out = v;
    return true;
}

bool parse_codes(const QString &text, QSet<int> &out, int max = 255)
{
    for (const QString &part : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        int code = 0;
        if (!parse_int(part.trimmed(), 0, max, code))
            return false;
        out.insert(code);
    }
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tessel-sim"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Simulated multi-window video processor for the Tessel program."));
    parser.addHelpOption();
    const QCommandLineOption tcp_port(QStringLiteral("tcp-port"), "TCP port (0: any free port).",
                                      "N", "7007");
    const QCommandLineOption listen_any(QStringLiteral("listen-any"),
                                        "Listen on every address, not loopback.");
    const QCommandLineOption listen_address(
        QStringLiteral("listen"), "Listen on this address only (e.g. 127.0.0.2).", "ADDR");
    const QCommandLineOption serial(QStringLiteral("serial"),
                                    "Create a pseudo-terminal and print its path.");
    const QCommandLineOption serial_link(QStringLiteral("serial-link"),
                                         "Symbolic link to the pseudo-terminal (implies --serial).",
                                         "PATH");
    const QCommandLineOption device_id(QStringLiteral("device-id"),
                                       "Device number answered to (0..255).", "N", "1");
    const QCommandLineOption image_file(QStringLiteral("image"), "Start from a saved device image.",
                                        "FILE");
    const QCommandLineOption save_image(QStringLiteral("save-image"),
                                        "Write the start image and exit.", "FILE");
    const QCommandLineOption factory(QStringLiteral("factory"),
                                     "Start from factory settings, not the demo.");
    const QCommandLineOption log_file(QStringLiteral("log"),
                                      "Append every received frame (hex) to FILE.", "FILE");
    const QCommandLineOption mute(QStringList{"mute", "no-reply"}, "Never reply.");
    const QCommandLineOption mute_commands(QStringLiteral("mute-commands"),
                                           "No reply to these command codes.", "LIST");
    const QCommandLineOption mute_reads(QStringLiteral("mute-reads"),
                                        "No reply to these read selectors.", "LIST");
    const QCommandLineOption bad_ack(QStringLiteral("bad-ack"),
                                     "Acknowledge with byte 2 other than 4.");
    const QCommandLineOption bad_command(QStringLiteral("bad-command-byte"),
                                         "Reply with a wrong byte 5.");
    const QCommandLineOption split_ms(QStringLiteral("split-ms"),
                                      "Send each reply in two pieces N ms apart.", "N");
    const QCommandLineOption delay_ms(QStringLiteral("delay-ms"), "Wait N ms before each reply.",
                                      "N");
    const QCommandLineOption junk(QStringLiteral("junk"), "Send these bytes before each reply.",
                                  "HEX");
    const QCommandLineOption truncate(QStringLiteral("truncate"),
                                      "Cut every reply to N bytes (a wrong length).", "N");
    const QCommandLineOption scope(
        QStringLiteral("fault-scope"),
        "Damage only replies to these command codes (reads: 1000 + selector).", "LIST");
    const QCommandLineOption drop_after(QStringLiteral("drop-after"),
                                        "Hang up a link after it received N frames.", "N");
    parser.addOptions({tcp_port,   listen_any, listen_address, serial,   serial_link, device_id,
                       image_file, save_image, factory,        log_file, mute,        mute_commands,
                       mute_reads, bad_ack,    bad_command,    split_ms, delay_ms,    junk,
                       truncate,   scope,      drop_after});
    parser.process(app);

    sim::SimImage image = parser.isSet(factory) ? sim::SimImage::factory() : sim::SimImage::demo();
    if (parser.isSet(image_file)) {
        QString error;
        if (!image.load(parser.value(image_file), &error))
            return fail(QStringLiteral("cannot load %1: %2").arg(parser.value(image_file), error));
    }
    if (parser.isSet(save_image)) {
        QString error;
        if (!image.save(parser.value(save_image), &error))
            return fail(QStringLiteral("cannot save %1: %2").arg(parser.value(save_image), error));
        return 0;
    }

    sim::SimServer server(image);
    int number = 0;
    if (!parse_int(parser.value(device_id), 0, 255, number))
        return fail(QStringLiteral("bad --device-id"));
    server.device().set_device_id(number);

    sim::SimFaults &faults = server.faults();
    faults.mute_all = parser.isSet(mute);
    faults.bad_ack = parser.isSet(bad_ack);
    faults.bad_command_byte = parser.isSet(bad_command);
    if (parser.isSet(mute_commands) &&
        !parse_codes(parser.value(mute_commands), faults.mute_commands))
        return fail(QStringLiteral("bad --mute-commands"));
    if (parser.isSet(mute_reads) && !parse_codes(parser.value(mute_reads), faults.mute_reads))
        return fail(QStringLiteral("bad --mute-reads"));
    if (parser.isSet(split_ms) && !parse_int(parser.value(split_ms), 0, 60000, faults.split_ms))
        return fail(QStringLiteral("bad --split-ms"));
    if (parser.isSet(delay_ms) && !parse_int(parser.value(delay_ms), 0, 600000, faults.delay_ms))
        return fail(QStringLiteral("bad --delay-ms"));
    if (parser.isSet(junk)) {
        const QByteArray hex = parser.value(junk).toLatin1();
        faults.junk = QByteArray::fromHex(hex);
        if (hex.size() % 2 != 0 || faults.junk.toHex() != hex.toLower())
            return fail(QStringLiteral("bad --junk"));
    }
    if (parser.isSet(truncate) && !parse_int(parser.value(truncate), 0, 300, faults.truncate_to))
        return fail(QStringLiteral("bad --truncate"));
    if (parser.isSet(scope) &&
        !parse_codes(parser.value(scope), faults.scope, sim::kReadScope + 255))
        return fail(QStringLiteral("bad --fault-scope"));
    if (parser.isSet(drop_after) &&
        !parse_int(parser.value(drop_after), 0, 1000000, faults.drop_after_frames))
        return fail(QStringLiteral("bad --drop-after"));
    if (parser.isSet(log_file) && !server.set_log_file(parser.value(log_file)))
        return fail(QStringLiteral("cannot open log %1").arg(parser.value(log_file)));

    int port = 0;
    if (!parse_int(parser.value(tcp_port), 0, 65535, port))
        return fail(QStringLiteral("bad --tcp-port"));
    QHostAddress address(parser.isSet(listen_any) ? QHostAddress::Any : QHostAddress::LocalHost);
    if (parser.isSet(listen_address) && !address.setAddress(parser.value(listen_address)))
        return fail(QStringLiteral("bad --listen"));
    if (!server.listen_tcp(quint16(port), address))
        return fail(QStringLiteral("cannot listen on TCP port %1").arg(port));
    const QString shown = parser.isSet(listen_any) && !parser.isSet(listen_address)
                              ? QStringLiteral("0.0.0.0")
                              : address.toString();
    say(QStringLiteral("tcp %1:%2").arg(shown).arg(server.tcp_port()));

    if (parser.isSet(serial) || parser.isSet(serial_link)) {
        const QString link = parser.value(serial_link);
        const QString path = server.open_pty(link);
        if (path.isEmpty())
            return fail(QStringLiteral("cannot create the pseudo-terminal"));
        say(link.isEmpty() ? QStringLiteral("serial %1").arg(path)
                           : QStringLiteral("serial %1 link %2").arg(path, link));
    }

    quit_on_signals(app);
    return app.exec();
}
