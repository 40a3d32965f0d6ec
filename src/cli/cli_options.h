#pragma once

// What a tessel-cli call asks for: the command, its arguments and the devices,
// checked in full before any device is contacted.

#include <QList>
#include <QString>
#include <QStringList>

#include "maintenance/maintenance_codec.h"

namespace cli {

// Exit statuses.
constexpr int kExitDone = 0;
constexpr int kExitDevice = 1; // no answer, a rejected command or a refused import
constexpr int kExitUsage = 2;
constexpr int kExitFile = 3;

constexpr quint16 kDefaultPort = 7;
constexpr int kMinDevice = 1;
constexpr int kMaxDevice = 7;

// One device: a serial port or a host, and its number on that link.
struct Target {
    bool serial = false;
    QString address; // port path or host name
    quint16 port = kDefaultPort;
    int device = 1;

    // "192.168.1.100 #1", "127.0.0.1:7007 #2", "/dev/ttyUSB0 #3"
    QString label() const;
    // Devices on one bus (a serial port, a host) are asked one at a time.
    QString bus() const;
    // "192.168.1.100-1", "127.0.0.1_7007-2", "ttyUSB0-3": a file name on any system.
    QString file_stem() const;
};

enum class Command { Status, Read, Export, Import, Mode, OutputMode, Source, Init };

struct Request {
    Command command = Command::Status;
    QString name;            // the command as typed
    QString file;            // export, import
    bool export_dir = false; // export writes one file per device into `file`
    int number = 0;          // mode, output mode, connector code
    int card = 0;            // source
    QList<Target> targets;
    bool json = false;
    bool yes = false;
    bool full_timing = false;
    int timeout_ms = 0; // 0: only the bounds of each step

    // The file's values for an import, read before any device is contacted.
    codec::ConfigValues values{};
};

struct Parsed {
    int exit = kExitDone; // kExitUsage: `message` says why; kExitDone with help: print it
    bool help = false;
    QString message;
    Request request;
};

Parsed parse_arguments(const QStringList &arguments);

// Input card names "InA".."InD" (also "A".."D", 0..3), and whether a
// connector code belongs to a card.
int parse_card(const QString &text);
bool connector_fits(int card, int code);

// Checks a configuration file as a restore needs it: 2000 lines, each one
// number. Sets `values` and returns an empty text, or says what is wrong.
QString load_config_file(const QString &path, codec::ConfigValues &values);

} // namespace cli
