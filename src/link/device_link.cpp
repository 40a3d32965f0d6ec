#include "link/device_link.h"

#include <QElapsedTimer>
#include <QEventLoop>

#include <cstring>

#include "device/codec.h"
#include "link/offline_device.h"
#include "maintenance/maintenance_codec.h"

namespace {

// Errors that leave a serial port unusable; a time-out is not one of them.
bool is_fatal(QSerialPort::SerialPortError error)
{
    return error != QSerialPort::NoError && error != QSerialPort::TimeoutError;
}

} // namespace

DeviceLink::DeviceLink(DeviceData &records, QObject *parent) : QObject(parent), m_data(records)
{
    m_bound.setSingleShot(true);
    m_bound.setTimerType(Qt::PreciseTimer);
    connect(&m_bound, &QTimer::timeout, this, &DeviceLink::expire_bound);
    connect(&m_serial, &QSerialPort::readyRead, this, &DeviceLink::serial_ready_read);
    connect(&m_socket, &QTcpSocket::readyRead, this, &DeviceLink::socket_ready_read);
    connect(&m_serial, &QSerialPort::errorOccurred, this, [this](QSerialPort::SerialPortError e) {
        if (is_fatal(e) && m_data.serial_open)
            on_transport_error();
    });
    connect(&m_socket, &QAbstractSocket::disconnected, this, [this] {
        if (m_data.net_open)
            on_transport_error();
    });
    connect(&m_socket, &QAbstractSocket::errorOccurred, this, [this] {
        if (m_data.net_open)
            on_transport_error();
    });
}

DeviceLink::~DeviceLink()
{
    // No signal may reach a half-destroyed owner while the transports close.
    m_serial.disconnect(this);
    m_socket.disconnect(this);
    if (m_offline)
        m_offline->disconnect(this);
}

// ---- Opening and closing --------------------------------------------------

void DeviceLink::configure_serial(QSerialPort &port, const QString &port_name)
{
    port.setPortName(port_name);
    port.setBaudRate(kBaudRate, QSerialPort::AllDirections);
    port.setDataBits(QSerialPort::Data8);
    port.setFlowControl(QSerialPort::NoFlowControl);
    port.setParity(QSerialPort::NoParity);
    port.setStopBits(QSerialPort::OneStop);
}

bool DeviceLink::open_serial(const QString &port_name, int device_id)
{
    if (m_offline)
        close();
    configure_serial(m_serial, port_name);
    m_data.net_open = 0;
    if (!m_serial.open(QIODevice::ReadWrite)) {
        m_data.serial_open = 0;
        return false;
    }
    m_data.serial_open = 1;
    m_host = port_name;
    opened(device_id);
    return true;
}

bool DeviceLink::open_network(const QString &host, quint16 port, int device_id, int timeout_ms)
{
    if (m_offline)
        close();
    m_data.serial_open = 0;
    m_data.net_open = 0;
    m_socket.abort();
    m_socket.connectToHost(host, port, QIODevice::ReadWrite, QAbstractSocket::AnyIPProtocol);
    if (m_socket.state() != QAbstractSocket::ConnectedState) {
        // A nested loop, not a blocking call: the rest of the program keeps running.
        QEventLoop loop;
        QTimer timer;
        timer.setSingleShot(true);
        connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
        connect(&m_socket, &QTcpSocket::connected, &loop, &QEventLoop::quit);
        connect(&m_socket, &QAbstractSocket::errorOccurred, &loop, &QEventLoop::quit);
        timer.start(timeout_ms);
        loop.exec();
    }
    if (m_socket.state() != QAbstractSocket::ConnectedState) {
        m_socket.abort();
        return false;
    }
    // Frames are small and each waits for its reply: no coalescing delay.
    m_socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    m_data.net_open = 1;
    m_host = host;
    m_port = port;
    opened(device_id);
    return true;
}

bool DeviceLink::open_offline(const codec::ConfigValues *file, int device_id, const QString &name)
{
    close();
    m_offline = new OfflineDevice(device_id, this);
    if (file)
        m_offline->load(*file);
    m_offline->open(QIODevice::ReadWrite | QIODevice::Unbuffered);
    connect(m_offline, &QIODevice::readyRead, this, &DeviceLink::socket_ready_read);
    m_offline_name = name;
    m_offline_full_timing = m_full_timing;
    m_full_timing = false;
    m_data.serial_open = 0;
    m_data.net_open = 1;
    opened(device_id);
    return true;
}

void DeviceLink::opened(int device_id)
{
    m_data.device_id = device_id;
    m_lost = false;
    m_rx.clear();
    emit state_changed();
}

bool DeviceLink::offline_changed() const
{
    return m_offline && m_offline->changed();
}

void DeviceLink::mark_offline_saved()
{
    if (m_offline)
        m_offline->mark_saved();
}

OfflineDevice *DeviceLink::offline_device() const
{
    return m_offline;
}

void DeviceLink::close()
{
    shut(false);
}

void DeviceLink::shut(bool lost)
{
    const bool was_open = is_open();
    // Cleared first: a socket closing reports its own disconnect at once, which
    // must not read as a loss.
    const bool serial = m_data.serial_open;
    m_data.serial_open = 0;
    m_data.net_open = 0;
    if (m_offline) {
        // Replies still queued inside it die with it, as on a line that was cut.
        // Deleted later: this may run inside one of its own signals.
        m_offline->disconnect(this);
        m_offline->close();
        m_offline->deleteLater();
        m_offline = nullptr;
        m_offline_name.clear();
        m_full_timing = m_offline_full_timing;
    } else if (serial) {
        m_serial.close();
    } else if (lost) {
        m_socket.abort(); // a dead peer takes no queued bytes
    } else {
        m_socket.close(); // unlike abort(), sends what is still queued
    }
    m_rx.clear();
    m_pending_reply = 0;
    if (was_open)
        emit state_changed();
}

DeviceLink::Transport DeviceLink::transport() const
{
    if (m_data.serial_open)
        return Transport::Serial;
    if (m_data.net_open)
        return m_offline ? Transport::Offline : Transport::Network;
    return Transport::None;
}

QString DeviceLink::description() const
{
    switch (transport()) {
    case Transport::Serial:
        return QStringLiteral("serial %1").arg(m_host);
    case Transport::Network:
        return QStringLiteral("network %1:%2").arg(m_host).arg(m_port);
    case Transport::Offline:
        return QStringLiteral("offline %1").arg(m_offline_name);
    case Transport::None:
        break;
    }
    return {};
}

QString DeviceLink::endpoint() const
{
    switch (transport()) {
    case Transport::Serial:
        return m_host;
    case Transport::Network:
        return QStringLiteral("%1:%2").arg(m_host).arg(m_port);
    case Transport::Offline: // no place: the device is inside the program
    case Transport::None:
        break;
    }
    return {};
}

QIODevice *DeviceLink::io() const
{
    switch (transport()) {
    case Transport::Serial:
        return const_cast<QSerialPort *>(&m_serial);
    case Transport::Network:
        return const_cast<QTcpSocket *>(&m_socket);
    case Transport::Offline:
        return m_offline;
    case Transport::None:
        break;
    }
    return nullptr;
}

void DeviceLink::on_transport_error()
{
    if (m_lost)
        return;
    m_lost = true;
    m_bound.stop();
    m_data.serial_wait_code = 0;
    m_data.net_wait_code = 0;
    m_last_outcome = Outcome::NoAnswer;
    if (m_waiter)
        m_waiter->quit();
    if (m_ack_loop)
        m_ack_loop->quit();
    end_chain();
    // Closed here, inside the transport's own signal: whatever wait or chain
    // resumes after it finds no transport, so nothing is written after the loss.
    shut(true);
    emit link_lost();
}

// ---- Frames ---------------------------------------------------------------

void DeviceLink::discard_input()
{
    // Bytes of an earlier reply must not be taken for the next one.
    if (transport() == Transport::Serial)
        m_serial.clear(QSerialPort::AllDirections);
    else if (QIODevice *d = io())
        d->readAll();
    m_rx.clear();
}

void DeviceLink::take_input()
{
    if (QIODevice *d = io())
        m_rx += d->readAll();
}

qint64 DeviceLink::write_frame(const QByteArray &frame)
{
    QIODevice *d = io();
    if (!d)
        return 0;
    // A port closed under the link (the adapter gone) is a lost link, even
    // before its error signal has come.
    if (!d->isOpen()) {
        on_transport_error();
        return 0;
    }
    const uint8_t command = static_cast<uint8_t>(frame.at(5));
    if (m_read_only && command != proto::kCmdRead) {
        emit write_refused(command);
        return 0;
    }
    discard_input();
    m_pending_reply = command == proto::kCmdRead ? 0 : proto::ack_length(command);
    m_ack_length = m_pending_reply;
    const qint64 written = d->write(frame);
    // Flushed at once so that the buffer clear of the next send cannot drop it.
    if (transport() == Transport::Serial)
        m_serial.flush();
    else if (transport() == Transport::Network)
        m_socket.flush();
    if (written != frame.size())
        m_pending_reply = 0;
    return written;
}

bool DeviceLink::send_read_request(uint8_t selector, uint8_t index)
{
    const QByteArray frame = codec::read_request(m_data.device_id, selector, index);
    return write_frame(frame) == frame.size();
}

bool DeviceLink::send_short_command(uint8_t command, uint8_t a, uint8_t b)
{
    const QByteArray frame = codec::short_command(m_data.device_id, command, a, b);
    return write_frame(frame) == frame.size();
}

bool DeviceLink::send_buffer_command(uint8_t command, const QByteArray &payload)
{
    // Refused before anything is built: the frame must fit the transmit buffer.
    if (proto::kMinFrameLength + payload.size() > kBufferSize || !io())
        return false;
    const QByteArray frame = codec::build_frame(m_data.device_id, command, payload);
    std::memset(m_data.tx_buf, 0, kBufferSize);
    std::memcpy(m_data.tx_buf, frame.constData(), static_cast<size_t>(frame.size()));
    const QByteArray out(reinterpret_cast<const char *>(m_data.tx_buf), frame.size());
    return write_frame(out) == frame.size();
}

void DeviceLink::set_wait_code(int code)
{
    if (transport() == Transport::Serial)
        m_data.serial_wait_code = code;
    else if (transport() != Transport::None)
        m_data.net_wait_code = code;
}

int DeviceLink::wait_code() const
{
    if (transport() == Transport::Serial)
        return m_data.serial_wait_code;
    if (transport() != Transport::None)
        return m_data.net_wait_code;
    return 0;
}

// ---- Waiting --------------------------------------------------------------

bool DeviceLink::collect(int length, int ms)
{
    take_input();
    QElapsedTimer clock;
    clock.start();
    // The innermost wait owns the collection; an outer one resumes afterwards.
    QEventLoop *const outer = m_waiter;
    const int outer_want = m_want;
    for (qint64 left = ms; m_rx.size() < length && left > 0 && !m_lost && io();
         left = ms - clock.elapsed()) {
        QEventLoop loop;
        QTimer deadline;
        deadline.setSingleShot(true);
        deadline.setTimerType(Qt::PreciseTimer);
        connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
        m_waiter = &loop;
        m_want = length;
        deadline.start(static_cast<int>(left));
        loop.exec();
        m_waiter = outer;
        m_want = outer_want;
        take_input();
    }
    return m_rx.size() >= length;
}

bool DeviceLink::await_bytes(int length, int ms)
{
    if (!m_full_timing)
        return collect(length, ms);
    m_data.delay(ms);
    take_input();
    return m_rx.size() >= length;
}

void DeviceLink::pause(int ms)
{
    // Nothing to pace once the link is gone (lost in the middle of a series).
    if (!is_open())
        return;
    if (m_full_timing) {
        m_data.delay(ms);
        return;
    }
    if (m_pending_reply > 0 && collect(m_pending_reply, ms))
        m_pending_reply = 0;
}

// ---- Reply engines --------------------------------------------------------

void DeviceLink::serial_ready_read()
{
    on_ready_read(m_data.serial_wait_code);
}

void DeviceLink::socket_ready_read()
{
    on_ready_read(m_data.net_wait_code);
}

void DeviceLink::on_ready_read(int32_t &code)
{
    if (m_waiter) {
        take_input();
        if (m_rx.size() >= m_want)
            m_waiter->quit();
        return;
    }
    if (!proto::engine_case(code) || m_engine_queued)
        return; // the data stay in the transport for whoever asked
    // The device answered: the bound is on a missing acknowledgement, not on
    // the engine's wait. The engine runs outside this signal, because a
    // transport does not report new data to a wait nested in its readyRead.
    m_engine_bounded = m_bound.isActive();
    m_bound.stop();
    m_engine_queued = true;
    QMetaObject::invokeMethod(
        this,
        [this, &code] {
            m_engine_queued = false;
            run_engine(code);
        },
        Qt::QueuedConnection);
}

void DeviceLink::run_engine(int32_t &code)
{
    const proto::EngineCase *c = proto::engine_case(code);
    if (!c)
        return; // the code was cleared meanwhile (the link was lost)
    const int taken = code;
    // Cleared first, so a nested readyRead during the wait cannot take the same reply twice.
    code = 0;
    const bool bounded = m_engine_bounded;
    // The network engine takes its reply once it is whole, in either timing.
    const bool whole = transport() == Transport::Serial ? await_bytes(c->read_len, c->wait_ms)
                                                        : collect(c->read_len, c->wait_ms);
    if (m_lost)
        return;
    if (!whole) {
        // The rest may still come: keep expecting it, under the bound again.
        if (code == 0)
            code = taken;
        if (bounded)
            arm_bound();
        return;
    }
    std::memset(m_data.rx_buf, 0, kBufferSize);
    std::memcpy(m_data.rx_buf, m_rx.constData(), static_cast<size_t>(c->read_len));
    m_rx.remove(0, c->read_len);
    m_pending_reply = 0;
    if (m_data.rx_buf[2] != proto::kByte2) {
        m_last_outcome = Outcome::Rejected;
        if (bounded)
            arm_bound();
        emit reply_rejected(taken);
        return;
    }
    on_accepted(taken);
}

void DeviceLink::on_accepted(int code)
{
    m_last_outcome = Outcome::Accepted;
    emit reply_taken();
    if (m_ack_loop)
        m_ack_loop->quit();
    emit reply_accepted(code);
    advance_upload(code);
}

// ---- The bound ------------------------------------------------------------

void DeviceLink::arm_bound()
{
    m_bound.start(m_bound_ms);
}

void DeviceLink::stop_bound()
{
    m_bound.stop();
}

void DeviceLink::end_chain()
{
    if (m_upload == UploadState::Running) {
        m_upload = UploadState::Failed;
        emit upload_finished(false);
    }
}

void DeviceLink::expire_bound()
{
    // Clearing both codes also stops a chain: its next step is sent by the engines only.
    m_bound.stop();
    m_data.serial_wait_code = 0;
    m_data.net_wait_code = 0;
    if (m_last_outcome != Outcome::Rejected)
        m_last_outcome = Outcome::NoAnswer;
    if (m_ack_loop)
        m_ack_loop->quit();
    end_chain();
    emit bound_expired();
}

// ---- Transmit -------------------------------------------------------------

DeviceLink::Outcome DeviceLink::await_ack(const std::function<void()> &busy_wait)
{
    m_last_outcome = Outcome::NoAnswer;
    arm_bound();
    if (busy_wait) {
        busy_wait();
    } else {
        QEventLoop loop;
        QEventLoop *const outer = m_ack_loop;
        m_ack_loop = &loop;
        loop.exec();
        m_ack_loop = outer;
    }
    m_bound.stop();
    return m_last_outcome;
}

DeviceLink::Outcome DeviceLink::run_transmit(uint8_t command, const std::function<bool()> &send,
                                             const LinkWait &wait,
                                             const std::function<void()> &busy_wait)
{
    if (!send()) {
        // A chain that cannot go on ends as its bound would: once, at once. A
        // read-only link refused the step: the device is not silent, so no bound.
        if (wait.chain_step && m_read_only && is_open()) {
            m_bound.stop();
            set_wait_code(0);
            end_chain();
        } else if (wait.chain_step && !m_lost) { // a loss has ended the chain and told it
            expire_bound();
        }
        return Outcome::NotSent;
    }
    set_wait_code(wait.code);
    if (wait.chain_step) {
        arm_bound();
        return Outcome::Sent;
    }
    if (wait.await_ack)
        return await_ack(busy_wait);
    if (wait.delay_ms > 0) {
        // The delay paces the device: its acknowledgement ends it (fast replies).
        m_pending_reply = proto::ack_length(command);
        pause(wait.delay_ms);
    }
    return Outcome::Sent;
}

DeviceLink::Outcome DeviceLink::transmit(uint8_t command, const QByteArray &payload,
                                         const LinkWait &wait,
                                         const std::function<void()> &busy_wait)
{
    return run_transmit(
        command, [&] { return send_buffer_command(command, payload); }, wait, busy_wait);
}

DeviceLink::Outcome DeviceLink::transmit_short(uint8_t command, uint8_t a, uint8_t b,
                                               const LinkWait &wait,
                                               const std::function<void()> &busy_wait)
{
    return run_transmit(
        command, [&] { return send_short_command(command, a, b); }, wait, busy_wait);
}

// ---- For callers without a busy dialog ------------------------------------

DeviceLink::Outcome DeviceLink::delayed_ack()
{
    take_input();
    if (m_ack_length <= 0 || m_rx.size() < m_ack_length)
        return Outcome::NoAnswer;
    return static_cast<uint8_t>(m_rx.at(2)) == proto::kByte2 ? Outcome::Accepted
                                                             : Outcome::Rejected;
}

void DeviceLink::give_up()
{
    // A lost link closes itself: nothing is left open to close after it.
    if (is_open())
        on_transport_error();
}
