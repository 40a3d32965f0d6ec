#include "sim_server.h"

#include "device/protocol.h"

#include <QFile>
#include <QFileInfo>
#include <QHostAddress>
#include <QList>
#include <QSocketNotifier>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <functional>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>
#endif

namespace sim {

// One transport endpoint: its own frame assembler and its own ordered queues
// in and out, so paced, delayed or split traffic never overtakes itself.
class SimServer::Link : public QObject
{
public:
    // Bytes of one read from the transport, arriving back to back from start_ns.
    struct Arrival {
        qint64 offset;
        qint64 count;
        qint64 start_ns;
    };
    struct Inbound {
        QByteArray frame;
        qint64 due_ns;
    };
    struct Piece {
        QByteArray bytes;
        qint64 due_ns;
        qint64 start_ns = -1; // when the line began carrying it
        int sent = 0;
    };

    Link(std::function<void(const QByteArray &)> writer, QObject *parent)
        : QObject(parent), write(std::move(writer))
    {
        for (QTimer *timer : {&receive_timer, &send_timer, &quiet_timer})
            timer->setSingleShot(true);
        // Pacing works in single milliseconds.
        receive_timer.setTimerType(Qt::PreciseTimer);
        send_timer.setTimerType(Qt::PreciseTimer);
    }

    std::function<void(const QByteArray &)> write;
    // A serial line cannot be hung up: it merely goes deaf.
    std::function<void()> hang_up = [this] { deaf = true; };
    bool deaf = false;
    int frames = 0;
    FrameAssembler assembler;
    qint64 fed = 0;        // bytes given to the assembler so far
    qint64 rx_free_ns = 0; // when the inbound line has carried all it was given
    QList<Arrival> arrivals;
    QList<Inbound> inbox;
    QList<Piece> queue;
    qint64 last_due_ns = 0;
    qint64 tx_free_ns = 0;
    QTimer receive_timer{this};
    QTimer send_timer{this};
    QTimer quiet_timer{this};
};

SimServer::SimServer(const SimImage &image, QObject *parent) : QObject(parent), device_(image)
{
    clock_.start();
}

SimServer::~SimServer()
{
    close_pty();
    // Sockets go first, while the device they feed still exists.
    delete tcp_;
}

SimServer::Link *SimServer::make_link(std::function<void(const QByteArray &)> writer,
                                      QObject *parent)
{
    auto *link = new Link(std::move(writer), parent);
    connect(&link->receive_timer, &QTimer::timeout, this, [this, link] { deliver(link); });
    connect(&link->send_timer, &QTimer::timeout, this, [this, link] { pump(link); });
    connect(&link->quiet_timer, &QTimer::timeout, this, [this, link] {
        link->assembler.skip_partial();
        drain(link);
    });
    return link;
}

bool SimServer::listen_tcp(quint16 port, const QHostAddress &address)
{
    if (!tcp_) {
        tcp_ = new QTcpServer(this);
        connect(tcp_, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = tcp_->nextPendingConnection()) {
                socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
                Link *link = make_link([socket](const QByteArray &b) { socket->write(b); }, socket);
                link->hang_up = [link, socket] {
                    link->deaf = true;
                    socket->disconnectFromHost();
                };
                connect(socket, &QTcpSocket::readyRead, this,
                        [this, socket, link] { receive(link, socket->readAll()); });
                connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
    }
    tcp_->close();
    return tcp_->listen(address, port);
}

quint16 SimServer::tcp_port() const
{
    return tcp_ && tcp_->isListening() ? tcp_->serverPort() : 0;
}

namespace {

bool open_log(QFile *&file, const QString &path, QObject *parent)
{
    delete file;
    file = new QFile(path, parent);
    if (!file->open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text)) {
        delete file;
        file = nullptr;
        return false;
    }
    return true;
}

void append_line(QFile *file, const QByteArray &line)
{
    if (file) {
        file->write(line + '\n');
        file->flush();
    }
}

} // namespace

bool SimServer::set_log_file(const QString &path)
{
    return open_log(log_file_, path, this);
}

bool SimServer::set_reply_log_file(const QString &path)
{
    return open_log(reply_log_file_, path, this);
}

qint64 SimServer::line_ns(qint64 bytes) const
{
    // Rounded up, so that bytes_in(line_ns(n)) is never less than n.
    return baud_ > 0 ? qint64(std::ceil(double(bytes) * 1e10 / baud_)) : 0;
}

qint64 SimServer::bytes_in(qint64 ns) const
{
    return ns > 0 ? qint64(double(ns) * baud_ / 1e10) : 0;
}

int SimServer::ms_until(qint64 ns) const
{
    const qint64 left = ns - clock_.nsecsElapsed();
    return left > 0 ? int((left + 999999) / 1000000) : 0;
}

void SimServer::receive(Link *link, const QByteArray &bytes)
{
    if (link->deaf)
        return;
    // Bytes that come faster than the line carries wait for it to be free.
    const qint64 start = std::max(clock_.nsecsElapsed(), link->rx_free_ns);
    link->arrivals.append({link->fed, bytes.size(), start});
    link->fed += bytes.size();
    link->rx_free_ns = start + line_ns(bytes.size());
    link->assembler.feed(bytes);
    drain(link);
}

void SimServer::drain(Link *link)
{
    QByteArray frame;
    while (!link->deaf && link->assembler.next(frame)) {
        // A frame is in when its last byte is: find the read that carried it.
        const qint64 end = link->fed - link->assembler.pending();
        while (link->arrivals.first().offset + link->arrivals.first().count < end)
            link->arrivals.removeFirst();
        const Link::Arrival &a = link->arrivals.first();
        link->inbox.append({frame, a.start_ns + line_ns(end - a.offset)});
    }
    const qint64 consumed = link->fed - link->assembler.pending();
    while (!link->arrivals.isEmpty() &&
           link->arrivals.first().offset + link->arrivals.first().count <= consumed)
        link->arrivals.removeFirst();
    deliver(link);
    // A start that never completes would hold back every later frame. The
    // line counts as quiet once its last byte would have arrived.
    if (link->assembler.pending() > 0)
        link->quiet_timer.start(partial_timeout_ms_ + ms_until(link->rx_free_ns));
    else
        link->quiet_timer.stop();
}

void SimServer::deliver(Link *link)
{
    const qint64 now = clock_.nsecsElapsed();
    while (!link->deaf && !link->inbox.isEmpty() && link->inbox.first().due_ns <= now)
        process(link, link->inbox.takeFirst().frame);
    if (link->deaf)
        link->inbox.clear();
    if (!link->inbox.isEmpty())
        link->receive_timer.start(ms_until(link->inbox.first().due_ns));
}

bool SimServer::muted(const QByteArray &frame) const
{
    const int command = uint8_t(frame[5]);
    if (faults_.mute_all || faults_.mute_commands.contains(command))
        return true;
    return command == proto::kCmdRead && faults_.mute_reads.contains(uint8_t(frame[7]));
}

void SimServer::process(Link *link, const QByteArray &frame)
{
    frame_log_.append(QString::fromLatin1(frame.toHex()));
    append_line(log_file_, frame.toHex());

    QByteArray reply = device_.handle(frame);
    emit frame_received(frame);
    ++link->frames;
    if (faults_.drop_after_frames >= 0 && link->frames >= faults_.drop_after_frames) {
        link->hang_up();
        return;
    }
    if (reply.isEmpty() || muted(frame))
        return;

    const int command = uint8_t(frame[5]);
    const int key = command == proto::kCmdRead ? kReadScope + uint8_t(frame[7]) : command;
    const bool damaged = faults_.scope.isEmpty() || faults_.scope.contains(key);
    if (damaged && faults_.bad_ack && uint8_t(reply[5]) != proto::kCmdRead)
        reply[2] = char(proto::kByte2 + 1);
    if (damaged && faults_.bad_command_byte)
        reply[5] = char(uint8_t(reply[5]) ^ 0x80);
    if (damaged && faults_.truncate_to >= 0)
        reply.truncate(faults_.truncate_to);

    const QByteArray junk = damaged ? faults_.junk : QByteArray();
    const QByteArray bytes = junk + reply;
    QList<QByteArray> pieces;
    if (damaged && faults_.split_ms >= 0 && reply.size() > 1) {
        const int cut = junk.size() + reply.size() / 2;
        pieces << bytes.left(cut) << bytes.mid(cut);
    } else if (!bytes.isEmpty()) {
        pieces << bytes;
    }
    if (!bytes.isEmpty())
        append_line(reply_log_file_, bytes.toHex());
    qint64 due = clock_.nsecsElapsed() + (damaged ? std::max(0, faults_.delay_ms) : 0) * 1000000LL;
    for (int i = 0; i < pieces.size(); ++i) {
        if (i > 0)
            due += faults_.split_ms * 1000000LL;
        due = std::max(due, link->last_due_ns);
        link->last_due_ns = due;
        link->queue.append({pieces[i], due});
    }
    pump(link);
}

void SimServer::pump(Link *link)
{
    const qint64 now = clock_.nsecsElapsed();
    while (!link->queue.isEmpty() && link->queue.first().due_ns <= now) {
        Link::Piece &head = link->queue.first();
        if (head.start_ns < 0)
            head.start_ns = std::max(head.due_ns, link->tx_free_ns);
        // Only the bytes the line has carried by now; without pacing, all.
        const int carried =
            baud_ > 0 ? int(std::min<qint64>(head.bytes.size(), bytes_in(now - head.start_ns)))
                      : head.bytes.size();
        const QByteArray bytes = head.bytes.mid(head.sent, carried - head.sent);
        head.sent = carried;
        const bool whole = carried == head.bytes.size();
        if (whole) {
            link->tx_free_ns = head.start_ns + line_ns(carried);
            link->queue.removeFirst();
        }
        if (!bytes.isEmpty()) {
            link->write(bytes);
            emit reply_sent(bytes);
        }
        if (!whole)
            break;
    }
    if (link->queue.isEmpty())
        return;
    const Link::Piece &head = link->queue.first();
    link->send_timer.start(
        ms_until(head.start_ns < 0 ? head.due_ns : head.start_ns + line_ns(head.sent + 1)));
}

#ifdef Q_OS_UNIX

QString SimServer::open_pty(const QString &link_path)
{
    if (pty_master_ >= 0)
        return pty_path_;

    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0)
        return {};
    const char *name = nullptr;
    if (::grantpt(master) != 0 || ::unlockpt(master) != 0 || !(name = ::ptsname(master))) {
        ::close(master);
        return {};
    }
    const QString path = QString::fromLocal8Bit(name);
    const int slave = ::open(name, O_RDWR | O_NOCTTY);
    if (slave < 0) {
        ::close(master);
        return {};
    }
    // Binary frames: no echo, no line editing, no CR/LF or XON/XOFF handling.
    termios tio{};
    if (::tcgetattr(slave, &tio) == 0) {
        ::cfmakeraw(&tio);
        ::cfsetispeed(&tio, B115200);
        ::cfsetospeed(&tio, B115200);
        ::tcsetattr(slave, TCSANOW, &tio);
    }
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);

    if (!link_path.isEmpty()) {
        const QFileInfo existing(link_path);
        if (existing.isSymLink())
            QFile::remove(link_path);
        if (!QFile::link(path, link_path)) {
            ::close(slave);
            ::close(master);
            return {};
        }
        pty_symlink_ = link_path;
    }

    pty_master_ = master;
    pty_slave_ = slave;
    pty_path_ = path;
    pty_link_ = make_link(
        [this](const QByteArray &b) {
            // Like a real line with nobody listening: what the buffer cannot take is lost.
            qint64 done = 0;
            while (done < b.size()) {
                const ssize_t n =
                    ::write(pty_master_, b.constData() + done, size_t(b.size() - done));
                if (n > 0)
                    done += n;
                else if (n < 0 && errno == EINTR)
                    continue;
                else
                    break;
            }
        },
        this);
    pty_notifier_ = new QSocketNotifier(master, QSocketNotifier::Read, this);
    connect(pty_notifier_, &QSocketNotifier::activated, this, [this] { read_pty(); });
    return path;
}

void SimServer::read_pty()
{
    char buffer[4096];
    QByteArray bytes;
    for (;;) {
        const ssize_t n = ::read(pty_master_, buffer, sizeof buffer);
        if (n > 0) {
            bytes.append(buffer, int(n));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK))
            pty_notifier_->setEnabled(false); // cannot happen while the slave is held open
        break;
    }
    if (!bytes.isEmpty())
        receive(pty_link_, bytes);
}

void SimServer::close_pty()
{
    if (pty_master_ < 0)
        return;
    delete pty_notifier_;
    pty_notifier_ = nullptr;
    delete pty_link_;
    pty_link_ = nullptr;
    ::close(pty_slave_);
    ::close(pty_master_);
    pty_slave_ = pty_master_ = -1;
    if (!pty_symlink_.isEmpty() && QFileInfo(pty_symlink_).symLinkTarget() == pty_path_)
        QFile::remove(pty_symlink_);
    pty_symlink_.clear();
    pty_path_.clear();
}

#else

QString SimServer::open_pty(const QString &)
{
    return {};
}
void SimServer::read_pty() {}
void SimServer::close_pty() {}

#endif

} // namespace sim
