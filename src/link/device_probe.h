#pragma once

// Finding devices: every serial port and a range of network addresses are
// asked for the status in parallel, under one bound for the whole search.
// Qt Core, Network and SerialPort only, so a command-line tool can search too.

#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QVector>

#include "device/device_data.h"
#include "link/device_link.h"

// A network range as an operator types it: one address, a last-octet range
// ("192.168.1.1-254"), a full range ("10.0.0.5-10.0.0.40"), a prefix of /24
// or longer ("192.168.1.0/24", network and broadcast addresses left out) or
// a star for the last octet; several separated by commas.
struct AddressRange {
    enum class Error {
        None,
        Empty,      // nothing typed
        BadAddress, // a part is not an IPv4 address
        Reversed,   // the range ends before it starts
        TooLarge,   // more than kMaxAddresses in all
    };
    static constexpr int kMaxAddresses = 256;

    Error error = Error::None;
    QString bad_part;           // the part the error is about
    QVector<quint32> addresses; // in the order typed, without repeats

    static AddressRange parse(const QString &text);
    // "a.b.c.1-254" for the /24 of an address; empty for a text that is not one.
    static QString around(const QString &address);
};

// One device that answered, as the search list shows it.
struct FoundDevice {
    DeviceLink::Transport link = DeviceLink::Transport::None;
    QString where; // serial port name or host address
    quint16 tcp_port = 0;
    int device_id = 0;
    int out_w = 0; // 0 x 0: a resolution code without a known size
    int out_h = 0;
    bool rate_60hz = false;
    bool in_cards[kInputCardCount] = {};
    bool out_cards[kOutputCardCount] = {};
};

class DeviceProbe : public QObject
{
    Q_OBJECT

public:
    static constexpr int kBoundMs = 3000; // the whole search
    static constexpr int kAskMs = 300;    // one device number on one line
    static constexpr int kFirstId = 1;
    static constexpr int kLastId = 7;

    explicit DeviceProbe(QObject *parent = nullptr);
    ~DeviceProbe() override;

    // Starts a search (stopping any running one): each serial port at the
    // device's settings and each host on tcp_port. Numbers are asked one at a
    // time on each line, since the devices of one bus answer on one line.
    void start(const QStringList &serial_ports, const QVector<quint32> &hosts, quint16 tcp_port);
    // Ends the search at once; finished() follows when one was running.
    void stop();
    bool running() const { return m_running; }

    // Tests shorten the bound.
    void set_bound_ms(int ms) { m_bound_ms = ms; }

    int total() const { return m_targets.size(); }
    // Lines whose probe has ended: refused, silent, every number asked, or cut by the bound.
    int probed() const { return m_probed; }
    const QList<FoundDevice> &found() const { return m_found; }

signals:
    void device_found(const FoundDevice &device);
    void progress(int probed, int total);
    void finished();

private:
    class Target;
    void target_done();
    void finish();

    QList<Target *> m_targets;
    QList<FoundDevice> m_found;
    int m_probed = 0;
    bool m_running = false;
    int m_bound_ms = kBoundMs;
    QTimer m_bound;
};

Q_DECLARE_METATYPE(FoundDevice)
