#pragma once

// The simulated processor on the wire: a TCP listener and, on Unix, a
// pseudo-terminal that a serial-port client opens like a real port. Both
// transports talk to the same device image.

#include "sim_device.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <functional>

class QFile;
class QSocketNotifier;
class QTcpServer;

namespace sim {

// Misbehaviour to inject; read at every reply, so it may change at any time.
// Commands are still applied when their reply is suppressed or damaged.
struct SimFaults {
    bool mute_all = false;         // never answer
    QSet<int> mute_commands;       // no reply to these command codes (254: no read replies)
    QSet<int> mute_reads;          // no reply to read requests with these selectors
    bool bad_ack = false;          // acknowledgements of write commands carry byte 2 != 4
    bool bad_command_byte = false; // every reply carries a wrong byte 5
    int split_ms = -1;             // >= 0: each reply leaves in two pieces this far apart
    int delay_ms = 0;              // extra wait before each reply
    QByteArray junk;               // bytes sent in front of every reply
    int truncate_to = -1;          // >= 0: replies cut to this many bytes (a wrong length)
    // Which replies the damage above (bad_ack, bad_command_byte, split, delay,
    // junk, truncate) applies to: command codes of writes, and read selectors
    // as kReadScope + selector. Empty: every reply.
    QSet<int> scope;
    int drop_after_frames = -1; // >= 0: hang up a link after it received this many frames
};

// Scope key of the replies to read requests with a selector.
constexpr int kReadScope = 1000;

class SimServer : public QObject
{
    Q_OBJECT

public:
    explicit SimServer(const SimImage &image = SimImage::demo(), QObject *parent = nullptr);
    ~SimServer() override;

    SimDevice &device() { return device_; }
    SimImage &image() { return device_.image(); }
    SimFaults &faults() { return faults_; }

    // Listens on one address (loopback unless told otherwise), so several
    // devices can share a port number; port 0 picks a free one. Returns false
    // when the port cannot be bound.
    bool listen_tcp(quint16 port = 0,
                    const QHostAddress &address = QHostAddress(QHostAddress::LocalHost));
    quint16 tcp_port() const;

    // Creates the pseudo-terminal and returns the path a client opens (the
    // slave device), or an empty string on failure. With link_path, a symbolic
    // link of that name points at it (an existing symbolic link is replaced).
    // Always empty where pseudo-terminals are not available.
    QString open_pty(const QString &link_path = {});
    QString pty_path() const { return pty_path_; }
    void close_pty();

    // Every whole frame received on any transport, as lower-case hex.
    QStringList frame_log() const { return frame_log_; }
    void clear_frame_log() { frame_log_.clear(); }
    // Also appends each logged line to a file; false when it cannot be opened.
    bool set_log_file(const QString &path);
    // Appends every reply (hex, one line each) to a file as it is queued, so
    // that the traffic both ways can be counted; false when it cannot be opened.
    bool set_reply_log_file(const QString &path);

    // Paces both directions of every link to an N-baud line (10 bits a byte): a
    // frame counts as received when its last byte would have arrived, and
    // replies leave no faster than the line carries them. 0: no pacing.
    void set_baud(int baud) { baud_ = std::max(0, baud); }
    int baud() const { return baud_; }

    // A partial frame that stays incomplete this long is taken for junk.
    void set_partial_timeout_ms(int ms) { partial_timeout_ms_ = ms; }

signals:
    // After the device applied the frame, before its reply leaves.
    void frame_received(const QByteArray &frame);
    // Each piece of reply bytes as it is written.
    void reply_sent(const QByteArray &bytes);

private:
    class Link;

    Link *make_link(std::function<void(const QByteArray &)> writer, QObject *parent);
    void receive(Link *link, const QByteArray &bytes);
    void drain(Link *link);
    void deliver(Link *link);
    void process(Link *link, const QByteArray &frame);
    bool muted(const QByteArray &frame) const;
    void pump(Link *link);
    void read_pty();
    // Line time of a byte count, and the reverse (whole bytes in a span).
    qint64 line_ns(qint64 bytes) const;
    qint64 bytes_in(qint64 ns) const;
    // Timer interval until a moment of the clock, rounded up.
    int ms_until(qint64 ns) const;

    SimDevice device_;
    SimFaults faults_;
    QElapsedTimer clock_;
    QTcpServer *tcp_ = nullptr;
    QStringList frame_log_;
    QFile *log_file_ = nullptr;
    QFile *reply_log_file_ = nullptr;
    int partial_timeout_ms_ = 250;
    int baud_ = 0;

    int pty_master_ = -1;
    int pty_slave_ = -1; // held open so the master never sees a hang-up
    QSocketNotifier *pty_notifier_ = nullptr;
    Link *pty_link_ = nullptr;
    QString pty_path_;
    QString pty_symlink_;
};

} // namespace sim
