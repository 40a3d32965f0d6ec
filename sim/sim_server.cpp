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
#include <functional>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>
#endif

namespace sim {

// One transport endpoint: its own frame assembler and its own ordered output
// queue, so delayed or split replies never overtake each other.
class SimServer::Link : public QObject
{
public:
    struct Piece {
        QByteArray bytes;
        qint64 due_ms;
    };

    Link(std::function<void(const QByteArray &)> writer, QObject *parent)
        : QObject(parent), write(std::move(writer))
    {
        send_timer.setSingleShot(true);
        quiet_timer.setSingleShot(true);
    }

    std::function<void(const QByteArray &)> write;
    // A serial line cannot be hung up: it merely goes deaf.
    std::function<void()> hang_up = [this] { deaf = true; };
    bool deaf = false;
    int frames = 0;
    FrameAssembler assembler;
    QList<Piece> queue;
    qint64 last_due_ms = 0;
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
    connect(&link->send_timer, &QTimer::timeout, this, [this, link] { pump(link); });
    connect(&link->quiet_timer, &QTimer::timeout, this, [this, link] {
        link->assembler.skip_partial();
        drain(link);
    });
    return link;
}

bool SimServer::listen_tcp(quint16 port, bool any_address)
{
    return listen_tcp(port, any_address ? QHostAddress(QHostAddress::Any)
                                        : QHostAddress(QHostAddress::LocalHost));
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

bool SimServer::set_log_file(const QString &path)
{
    delete log_file_;
    log_file_ = new QFile(path, this);
    if (!log_file_->open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text)) {
        delete log_file_;
        log_file_ = nullptr;
        return false;
    }
    return true;
}

void SimServer::receive(Link *link, const QByteArray &bytes)
{
    if (link->deaf)
        return;
    link->assembler.feed(bytes);
    drain(link);
}

void SimServer::drain(Link *link)
{
    QByteArray frame;
    while (!link->deaf && link->assembler.next(frame))
        process(link, frame);
    // A start that never completes would hold back every later frame.
    if (link->assembler.pending() > 0)
        link->quiet_timer.start(partial_timeout_ms_);
    else
        link->quiet_timer.stop();
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
    const QString line = QString::fromLatin1(frame.toHex());
    frame_log_.append(line);
    if (log_file_) {
        log_file_->write(line.toLatin1() + '\n');
        log_file_->flush();
    }

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
    qint64 due = clock_.elapsed() + (damaged ? std::max(0, faults_.delay_ms) : 0);
    for (int i = 0; i < pieces.size(); ++i) {
        if (i > 0)
            due += faults_.split_ms;
        due = std::max(due, link->last_due_ms);
        link->last_due_ms = due;
        link->queue.append({pieces[i], due});
    }
    pump(link);
}

void SimServer::pump(Link *link)
{
    const qint64 now = clock_.elapsed();
    while (!link->queue.isEmpty() && link->queue.first().due_ms <= now) {
        const QByteArray bytes = link->queue.takeFirst().bytes;
        link->write(bytes);
        emit reply_sent(bytes);
    }
    if (!link->queue.isEmpty())
        link->send_timer.start(int(link->queue.first().due_ms - now));
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
