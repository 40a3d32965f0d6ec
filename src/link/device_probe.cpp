#include "link/device_probe.h"

#include <QNetworkProxy>
#include <QSerialPort>
#include <QSet>
#include <QTcpSocket>

#include <algorithm>
#include <memory>

#include "device/codec.h"
#include "device/protocol.h"

namespace {

// 0..255 in decimal; "010" is ten, as the address editor sends it.
bool parse_octet(const QString &text, int &out)
{
    bool ok = false;
    out = text.toInt(&ok, 10);
    return ok && !text.isEmpty() && text.size() <= 3 && !text.startsWith(QLatin1Char('+')) &&
           out >= 0 && out <= 255;
}

// Four octets separated by dots.
bool parse_ipv4(const QString &text, quint32 &out)
{
    const QStringList fields = text.split(QLatin1Char('.'));
    if (fields.size() != 4)
        return false;
    quint32 value = 0;
    for (const QString &field : fields) {
        int octet = 0;
        if (!parse_octet(field, octet))
            return false;
        value = (value << 8) | quint32(octet);
    }
    out = value;
    return true;
}

} // namespace

AddressRange AddressRange::parse(const QString &text)
{
    AddressRange r;
    QSet<quint32> seen;
    const auto fail = [&r](Error e, const QString &part) {
        r.error = e;
        r.bad_part = part;
        r.addresses.clear();
        return r;
    };

    for (QString part : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        part = part.simplified().remove(QLatin1Char(' '));
        if (part.isEmpty())
            continue;
        quint32 first = 0;
        quint32 last = 0;
        if (part.contains(QLatin1Char('/'))) {
            bool ok = false;
            const int prefix = part.section(QLatin1Char('/'), 1).toInt(&ok, 10);
            if (!parse_ipv4(part.section(QLatin1Char('/'), 0, 0), first) || !ok || prefix < 0 ||
                prefix > 32)
                return fail(Error::BadAddress, part);
            if (prefix < 24)
                return fail(Error::TooLarge, part);
            const quint32 mask = prefix == 32 ? ~0u : ~((1u << (32 - prefix)) - 1);
            first &= mask;
            last = first | ~mask;
            // Network and broadcast addresses answer no device.
            if (prefix <= 30) {
                ++first;
                --last;
            }
        } else if (part.endsWith(QLatin1String(".*"))) {
            if (!parse_ipv4(part.left(part.size() - 1) + QLatin1Char('0'), first))
                return fail(Error::BadAddress, part);
            first += 1;
            last = first + 253;
        } else if (part.contains(QLatin1Char('-'))) {
            const QString from = part.section(QLatin1Char('-'), 0, 0);
            const QString to = part.section(QLatin1Char('-'), 1);
            int octet = 0;
            if (!parse_ipv4(from, first))
                return fail(Error::BadAddress, part);
            if (parse_octet(to, octet))
                last = (first & 0xffffff00u) | quint32(octet);
            else if (!parse_ipv4(to, last))
                return fail(Error::BadAddress, part);
            if (last < first)
                return fail(Error::Reversed, part);
        } else {
            if (!parse_ipv4(part, first))
                return fail(Error::BadAddress, part);
            last = first;
        }
        // Counted before anything is expanded: "0.0.0.0-255.255.255.255" costs nothing.
        if (quint64(last - first) + 1 > quint64(kMaxAddresses))
            return fail(Error::TooLarge, part);
        for (quint64 a = first; a <= last; ++a) {
            if (seen.contains(quint32(a)))
                continue;
            if (r.addresses.size() >= kMaxAddresses)
                return fail(Error::TooLarge, part);
            seen.insert(quint32(a));
            r.addresses.append(quint32(a));
        }
    }
    if (r.addresses.isEmpty())
        return fail(Error::Empty, text);
    return r;
}

QString AddressRange::around(const QString &address)
{
    quint32 a = 0;
    if (!parse_ipv4(address.trimmed(), a))
        return {};
    return QStringLiteral("%1.%2.%3.1-254").arg(a >> 24).arg((a >> 16) & 0xff).arg((a >> 8) & 0xff);
}

// One line to one place: a serial port or one host. Asks the numbers in turn,
// each under its own short bound, and takes each status reply whole.
class DeviceProbe::Target : public QObject
{
public:
    Target(DeviceProbe *probe, const QString &port_name)
        : QObject(probe), m_probe(probe), m_serial(new QSerialPort(this))
    {
        m_io = m_serial;
        m_found.link = DeviceLink::Transport::Serial;
        m_found.where = port_name;
        DeviceLink::configure_serial(*m_serial, port_name);
        connect(m_serial, &QSerialPort::errorOccurred, this,
                [this](QSerialPort::SerialPortError e) {
                    if (e != QSerialPort::NoError)
                        end();
                });
        init();
    }
    Target(DeviceProbe *probe, quint32 host, quint16 port)
        : QObject(probe), m_probe(probe), m_socket(new QTcpSocket(this))
    {
        m_io = m_socket;
        m_found.link = DeviceLink::Transport::Network;
        m_found.where = QHostAddress(host).toString();
        m_found.tcp_port = port;
        m_socket->setProxy(QNetworkProxy::NoProxy);
        connect(m_socket, &QTcpSocket::connected, this, [this] { ask(kFirstId); });
        connect(m_socket, &QAbstractSocket::errorOccurred, this, [this] { end(); });
        connect(m_socket, &QAbstractSocket::disconnected, this, [this] { end(); });
        init();
    }

    void begin()
    {
        if (m_serial) {
            if (!m_serial->open(QIODevice::ReadWrite))
                return end();
            m_serial->clear();
            ask(kFirstId);
        } else {
            m_socket->connectToHost(QHostAddress(m_found.where), m_found.tcp_port);
        }
    }

    // Ends the probe without telling anyone: the search is over.
    void cut()
    {
        m_done = true;
        close();
    }

private:
    void init()
    {
        m_ask.setSingleShot(true);
        connect(&m_ask, &QTimer::timeout, this, [this] { next(); });
        connect(m_io, &QIODevice::readyRead, this, [this] { take(); });
    }

    void ask(int id)
    {
        if (m_done)
            return;
        m_id = id;
        m_rx.clear();
        m_io->readAll(); // a late answer to the number before is not this one's
        const QByteArray frame = codec::read_request(id, proto::kSelStatus, 0);
        if (m_io->write(frame) != frame.size())
            return end();
        // What is left of the search is shared by the numbers still to ask.
        const qint64 left = m_probe->m_bound.remainingTime();
        const int numbers = kLastId - id + 1;
        m_ask.start(int(std::max<qint64>(1, std::min<qint64>(kAskMs, left / numbers))));
    }

    void take()
    {
        if (m_done || m_id == 0)
            return;
        m_rx += m_io->readAll();
        if (m_rx.size() < proto::kStatusReplyLength)
            return;
        // Taken whole: the first reply-sized block is judged, the rest ignored.
        const QByteArray reply = m_rx.left(proto::kStatusReplyLength);
        auto status = std::make_unique<DeviceData>();
        if (uint8_t(reply[1]) == m_id && codec::decode_status(reply, *status)) {
            FoundDevice found = m_found;
            found.device_id = m_id;
            if (codec::apply_format_code(*status) >= 0) {
                found.out_w = status->out_res_w;
                found.out_h = status->out_res_h;
            }
            found.rate_60hz = status->out_rate_60hz != 0;
            std::copy(std::begin(status->in_card_present), std::end(status->in_card_present),
                      std::begin(found.in_cards));
            std::copy(std::begin(status->out_card_present), std::end(status->out_card_present),
                      std::begin(found.out_cards));
            m_probe->m_found.append(found);
            emit m_probe->device_found(found);
        }
        next();
    }

    void next()
    {
        m_ask.stop();
        if (m_id >= kLastId)
            return end();
        ask(m_id + 1);
    }

    void end()
    {
        if (m_done)
            return;
        cut();
        m_probe->target_done();
    }

    void close()
    {
        m_ask.stop();
        if (m_socket)
            m_socket->abort();
        else if (m_serial->isOpen())
            m_serial->close();
    }

    DeviceProbe *m_probe;
    QSerialPort *m_serial = nullptr;
    QTcpSocket *m_socket = nullptr;
    QIODevice *m_io = nullptr;
    FoundDevice m_found;
    QTimer m_ask{this};
    QByteArray m_rx;
    int m_id = 0;
    bool m_done = false;
};

DeviceProbe::DeviceProbe(QObject *parent) : QObject(parent)
{
    qRegisterMetaType<FoundDevice>();
    m_bound.setSingleShot(true);
    connect(&m_bound, &QTimer::timeout, this, &DeviceProbe::finish);
}

DeviceProbe::~DeviceProbe()
{
    m_bound.stop();
    for (Target *t : qAsConst(m_targets))
        t->cut();
}

void DeviceProbe::start(const QStringList &serial_ports, const QVector<quint32> &hosts,
                        quint16 tcp_port)
{
    stop();
    for (Target *t : qAsConst(m_targets))
        t->deleteLater();
    m_targets.clear();
    m_found.clear();
    m_probed = 0;

    for (const QString &name : serial_ports)
        m_targets.append(new Target(this, name));
    for (quint32 host : hosts)
        m_targets.append(new Target(this, host, tcp_port));
    m_running = true;
    m_bound.start(m_bound_ms);
    emit progress(0, total());
    if (m_targets.isEmpty())
        return finish();
    // Copied first: a target that ends at once may end the search inside the loop.
    const QList<Target *> targets = m_targets;
    for (Target *t : targets) {
        if (!running())
            break;
        t->begin();
    }
}

void DeviceProbe::stop()
{
    finish();
}

void DeviceProbe::target_done()
{
    ++m_probed;
    emit progress(m_probed, total());
    if (m_probed >= total())
        finish();
}

void DeviceProbe::finish()
{
    if (!m_running)
        return;
    m_running = false;
    m_bound.stop();
    // What the bound cut short was probed too, only not to the end.
    for (Target *t : qAsConst(m_targets))
        t->cut();
    if (m_probed != total()) {
        m_probed = total();
        emit progress(m_probed, total());
    }
    emit finished();
}
