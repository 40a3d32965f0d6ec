#include "cli/cli_options.h"

#include <QCommandLineParser>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTextStream>

#include "device/device_data.h"

namespace cli {

namespace {

// Never hold more than this of a file that is not a configuration at all.
constexpr qint64 kMaxConfigBytes = 64 << 20;

struct CommandInfo {
    Command command;
    const char *name;
    int arguments;
};

constexpr CommandInfo kCommands[] = {
    {Command::Status, "status", 0}, {Command::Read, "read", 0},
    {Command::Export, "export", 1}, {Command::Import, "import", 1},
    {Command::Mode, "mode", 1},     {Command::OutputMode, "output-mode", 1},
    {Command::Source, "source", 2}, {Command::Init, "init", 0},
};

const char kExamples[] = R"(
Commands:
  status            cards, signals, sources, display mode, output resolution
                      tessel-cli --host 192.168.1.100 status
  read              everything the device holds
                      tessel-cli --serial /dev/ttyUSB0 read --json
  export FILE|DIR/  the configuration file (2000 lines); DIR/ for one per device
                      tessel-cli --host 10.0.0.11,10.0.0.12 export backup/
  import FILE       write a configuration file into the device and read it back
                      tessel-cli --host 192.168.1.100 import show.txt --yes
  mode N            select display mode N (0..15, or M0..M15)
                      tessel-cli --host 192.168.1.100 mode 3
  output-mode N     select output mode N (0..15, or M0..M15)
                      tessel-cli --serial COM3 --device 2 output-mode 1
  source CARD CODE  select the connector of an input card: InA/InB 1 CVBS,
                    3 HDMI/VGA, 4 SDI; InC/InD 5 first HDMI, 6 second HDMI, 7 DP
                      tessel-cli --host 192.168.1.100 source InC 7
  init --yes        return the device to its initial settings
                      tessel-cli --host 192.168.1.100 init --yes

Several devices: repeat --host or --serial (hosts also as a,b,c); --device 1,2,3
for devices sharing one bus, asked one at a time (it applies to every link).
Hosts and serial ports are served side by side.

Exit status: 0 done; 1 a device did not answer, rejected a command or refused
an import; 2 usage; 3 a file could not be read or written.
)";

Parsed usage(const QString &message)
{
    Parsed p;
    p.exit = kExitUsage;
    p.message = message;
    return p;
}

bool parse_int(const QString &text, int lo, int hi, int &out)
{
    bool ok = false;
    const int v = text.trimmed().toInt(&ok, 10);
    if (!ok || v < lo || v > hi)
        return false;
    out = v;
    return true;
}

// "3" or "M3".
bool parse_mode(QString text, int &mode)
{
    if (text.startsWith(QLatin1Char('M'), Qt::CaseInsensitive))
        text.remove(0, 1);
    return parse_int(text, 0, kModeCount - 1, mode);
}

QStringList split_list(const QStringList &values)
{
    QStringList out;
    for (const QString &v : values)
        for (const QString &part : v.split(QLatin1Char(','), Qt::SkipEmptyParts))
            out.append(part.trimmed());
    return out;
}

// "host", "host:port", "[v6 address]:port"; false when the port is not 1..65535.
bool parse_host(const QString &text, Target &t)
{
    QString host = text;
    QString port;
    if (text.startsWith(QLatin1Char('['))) {
        const int close = text.indexOf(QLatin1Char(']'));
        if (close < 0)
            return false;
        host = text.mid(1, close - 1);
        const QString rest = text.mid(close + 1);
        if (!rest.isEmpty()) {
            if (!rest.startsWith(QLatin1Char(':')))
                return false;
            port = rest.mid(1);
        }
    } else if (text.count(QLatin1Char(':')) == 1) {
        host = text.section(QLatin1Char(':'), 0, 0);
        port = text.section(QLatin1Char(':'), 1);
    }
    int number = kDefaultPort;
    if (host.isEmpty() || (!port.isNull() && !parse_int(port, 1, 65535, number)))
        return false;
    t.address = host;
    t.port = static_cast<quint16>(number);
    return true;
}

} // namespace

QString Target::label() const
{
    QString where = address;
    if (!serial && port != kDefaultPort)
        where = address.contains(QLatin1Char(':'))
                    ? QStringLiteral("[%1]:%2").arg(address).arg(port)
                    : QStringLiteral("%1:%2").arg(address).arg(port);
    return QStringLiteral("%1 #%2").arg(where).arg(device);
}

QString Target::bus() const
{
    return serial ? QStringLiteral("serial ") + address
                  : QStringLiteral("network %1 %2").arg(address).arg(port);
}

QString Target::file_stem() const
{
    QString where = serial ? QFileInfo(address).fileName() : address;
    if (!serial && port != kDefaultPort)
        where += QStringLiteral("_%1").arg(port);
    // Characters some systems refuse in a file name.
    where.replace(QRegularExpression(QStringLiteral("[:\\\\/*?\"<>|]")), QStringLiteral("_"));
    return QStringLiteral("%1-%2").arg(where).arg(device);
}

int parse_card(const QString &text)
{
    QString t = text.trimmed().toUpper();
    if (t.startsWith(QStringLiteral("IN")))
        t.remove(0, 2);
    if (t.size() != 1)
        return -1;
    const QChar c = t.at(0);
    if (c >= QLatin1Char('A') && c <= QLatin1Char('D'))
        return c.unicode() - 'A';
    if (c >= QLatin1Char('0') && c <= QLatin1Char('3'))
        return c.unicode() - '0';
    return -1;
}

bool connector_fits(int card, int code)
{
    if (card == 0 || card == 1)
        return code == 1 || code == 3 || code == 4;
    if (card == 2 || card == 3)
        return code >= 5 && code <= 7;
    return false;
}

Parsed parse_arguments(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("The video processor from a shell: one device or many at once."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help."));
    const QCommandLineOption serial(QStringLiteral("serial"),
                                    QStringLiteral("Serial port of the device (repeatable)."),
                                    QStringLiteral("PATH"));
    const QCommandLineOption host(
        QStringLiteral("host"),
        QStringLiteral("Address of the device, port 7 unless given (repeatable, or a,b,c)."),
        QStringLiteral("ADDR[:PORT]"));
    const QCommandLineOption device(QStringLiteral("device"),
                                    QStringLiteral("Device number 1..7, or 1,2,3 (default 1)."),
                                    QStringLiteral("N"), QStringLiteral("1"));
    const QCommandLineOption full_timing(
        QStringLiteral("full-timing"),
        QStringLiteral("Wait the specified times instead of ending each wait at the reply."));
    const QCommandLineOption timeout(QStringLiteral("timeout"),
                                     QStringLiteral("Limit for the whole operation per device."),
                                     QStringLiteral("MS"));
    const QCommandLineOption json(QStringLiteral("json"),
                                  QStringLiteral("JSON output for status and read."));
    const QCommandLineOption yes(QStringLiteral("yes"),
                                 QStringLiteral("Confirm import and init without asking."));
    parser.addOptions({help, serial, host, device, full_timing, timeout, json, yes});
    parser.addPositionalArgument(QStringLiteral("command"),
                                 QStringLiteral("status, read, export, import, mode, "
                                                "output-mode, source or init (below)."),
                                 QStringLiteral("command [arguments]"));

    if (!parser.parse(arguments))
        return usage(parser.errorText());
    if (parser.isSet(help)) {
        Parsed p;
        p.help = true;
        p.message = parser.helpText() + QString::fromLatin1(kExamples);
        return p;
    }

    Parsed p;
    Request &r = p.request;
    const QStringList positional = parser.positionalArguments();
    if (positional.isEmpty())
        return usage(QStringLiteral("no command given (try --help)"));
    r.name = positional.first();
    const CommandInfo *info = nullptr;
    for (const CommandInfo &c : kCommands)
        if (r.name == QLatin1String(c.name))
            info = &c;
    if (!info)
        return usage(QStringLiteral("unknown command \"%1\" (try --help)").arg(r.name));
    r.command = info->command;
    const QStringList args = positional.mid(1);
    if (args.size() != info->arguments)
        return usage(QStringLiteral("%1 takes %2 argument(s), %3 given (try --help)")
                         .arg(r.name)
                         .arg(info->arguments)
                         .arg(args.size()));

    r.json = parser.isSet(json);
    r.yes = parser.isSet(yes);
    r.full_timing = parser.isSet(full_timing);
    if (parser.isSet(timeout) &&
        !parse_int(parser.value(timeout), 1, 24 * 3600 * 1000, r.timeout_ms))
        return usage(QStringLiteral("--timeout %1: give milliseconds, at least 1")
                         .arg(parser.value(timeout)));
    if (r.json && r.command != Command::Status && r.command != Command::Read)
        return usage(QStringLiteral("--json goes with status and read, not %1").arg(r.name));

    switch (r.command) {
    case Command::Mode:
    case Command::OutputMode:
        if (!parse_mode(args[0], r.number))
            return usage(
                QStringLiteral("%1 %2: modes are 0 to 15 (M0 to M15)").arg(r.name, args[0]));
        break;
    case Command::Source:
        r.card = parse_card(args[0]);
        if (r.card < 0)
            return usage(QStringLiteral("source %1: cards are InA, InB, InC, InD").arg(args[0]));
        if (!parse_int(args[1], 0, 255, r.number) || !connector_fits(r.card, r.number))
            return usage(QStringLiteral("source %1 %2: In%3 takes %4")
                             .arg(args[0], args[1], QChar('A' + r.card))
                             .arg(r.card < 2 ? QStringLiteral("1 (CVBS), 3 (HDMI/VGA), 4 (SDI)")
                                             : QStringLiteral("5 (HDMI), 6 (HDMI), 7 (DP)")));
        break;
    case Command::Export:
    case Command::Import:
        r.file = args[0];
        break;
    case Command::Init:
        if (!r.yes)
            return usage(QStringLiteral("init returns the device to its initial settings: "
                                        "confirm with --yes"));
        break;
    case Command::Status:
    case Command::Read:
        break;
    }

    QList<int> devices;
    for (const QString &d : split_list(parser.values(device))) {
        int n = 0;
        if (!parse_int(d, kMinDevice, kMaxDevice, n))
            return usage(QStringLiteral("--device %1: device numbers are 1 to 7").arg(d));
        if (!devices.contains(n))
            devices.append(n);
    }
    if (devices.isEmpty())
        devices.append(1);
    // Serial ports keep the commas of their names out of it: one per option.
    QStringList ports;
    for (const QString &path : parser.values(serial)) {
        if (path.isEmpty())
            return usage(QStringLiteral("--serial needs the path of a serial port"));
        ports.append(path);
    }
    for (const QString &path : ports)
        for (int n : devices)
            r.targets.append(Target{true, path, kDefaultPort, n});
    for (const QString &h : split_list(parser.values(host))) {
        Target t;
        if (!parse_host(h, t))
            return usage(
                QStringLiteral("--host %1: give ADDR or ADDR:PORT, port 1 to 65535").arg(h));
        for (int n : devices) {
            t.device = n;
            r.targets.append(t);
        }
    }
    if (r.targets.isEmpty())
        return usage(QStringLiteral("no device given: use --serial PATH or --host ADDR[:PORT]"));
    for (int i = 0; i < r.targets.size(); ++i)
        for (int j = 0; j < i; ++j)
            if (r.targets[i].label() == r.targets[j].label() &&
                r.targets[i].serial == r.targets[j].serial)
                return usage(QStringLiteral("%1 is given twice").arg(r.targets[i].label()));

    if (r.command == Command::Export) {
        r.export_dir = r.file.endsWith(QLatin1Char('/')) || r.file.endsWith(QLatin1Char('\\')) ||
                       QFileInfo(r.file).isDir();
        if (!r.export_dir && r.targets.size() > 1)
            return usage(QStringLiteral("export of %1 devices needs a folder: end it with /, "
                                        "as in export backup/")
                             .arg(r.targets.size()));
    }
    return p;
}

QString load_config_file(const QString &path, codec::ConfigValues &values)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
    const QByteArray bytes = file.read(kMaxConfigBytes);

    // Decoded as the window's reader would take it: UTF-8, or UTF-16/32 with a byte-order mark.
    QTextStream in(bytes);
    in.setAutoDetectUnicode(true);
    static const QRegularExpression number(
        QStringLiteral("^[ \\t]*[+-]?([0-9]+\\.?[0-9]*|\\.[0-9]+)[ \\t\\r]*$"));
    QStringList lines;
    while (lines.size() < codec::kConfigLineCount && !in.atEnd()) {
        const QString line = in.readLine();
        if (!number.match(line).hasMatch())
            return QStringLiteral("%1 is not a configuration file: line %2 is \"%3\", not a number")
                .arg(path)
                .arg(lines.size() + 1)
                .arg(line.left(40));
        lines.append(line);
    }
    if (lines.size() < codec::kConfigLineCount)
        return QStringLiteral("%1 is not a configuration file: %2 lines, %3 expected")
            .arg(path)
            .arg(lines.size())
            .arg(codec::kConfigLineCount);
    values = codec::read_config_file(lines.join(QLatin1Char('\n')).toUtf8());
    return {};
}

} // namespace cli
