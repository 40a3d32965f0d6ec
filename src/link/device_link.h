#pragma once

// The link to one device: its transport, every frame written to it, every
// reply collected from it, and the bound on an awaited acknowledgement.
// Qt Core, Network and SerialPort only: the main window, a command-line tool
// and an offline device all drive the same object. What happens on screen
// (the busy dialog, message boxes, page refreshes) is the caller's business,
// told by the signals below.

#include <QByteArray>
#include <QObject>
#include <QSerialPort>
#include <QSize>
#include <QString>
#include <QTcpSocket>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <optional>

#include "device/device_data.h"
#include "device/protocol.h"
#include "maintenance/maintenance_codec.h"

class OfflineDevice;
class QEventLoop;
class QIODevice;

// How a command waits once its frame has been written in full.
struct LinkWait {
    int code = 0;           // expected-reply code, set only after a full write
    int delay_ms = 0;       // cooperative delay after the write (no acknowledgement awaited)
    bool await_ack = false; // wait until an engine takes the acknowledgement, under the bound
    bool chain_step = false; // one step of a chain the engines drive: (re)arm the bound, no wait
};

class DeviceLink : public QObject
{
    Q_OBJECT

public:
    // Offline: a simulated device inside the program. It counts as the network
    // link in the records (net_open) and is served by the network engine.
    enum class Transport { None, Serial, Network, Offline };
    // How a transmit ended.
    enum class Outcome {
        NotSent,  // no link, or the frame was not written in full
        Sent,     // written; nothing awaited, or the delay has run
        Accepted, // the awaited acknowledgement was accepted
        Rejected, // an acknowledgement came with byte 2 != 4, and no good one in the bound
        NoAnswer, // the bound ran out, or the link was lost
    };
    // What a chain of the import upload reached.
    enum class UploadState { Idle, Running, Finished, Failed };

    static constexpr int kConnectTimeoutMs = 5000;
    static constexpr qint32 kBaudRate = 115200;

    // The link reads and writes `records` (the shared records by default):
    // the link flags, both expected-reply codes, tx_buf and rx_buf live there.
    explicit DeviceLink(DeviceData &records = device_data, QObject *parent = nullptr);
    ~DeviceLink() override;

    // ---- Opening and closing -------------------------------------------
    // Opens the serial port with the device's fixed settings (115200 8N1, no
    // flow control). Sets the link flags; false when the port cannot be opened.
    bool open_serial(const QString &port_name, int device_id);
    // The device's fixed serial settings, applied when `port` opens.
    static void configure_serial(QSerialPort &port, const QString &port_name);
    // Connects to host:port, waiting cooperatively up to timeout_ms.
    bool open_network(const QString &host, quint16 port, int device_id,
                      int timeout_ms = kConnectTimeoutMs);
    // Opens the device inside the program: factory values, then `file` applied
    // as an import would apply it when given. `name` is what description() and
    // the window call it. Always succeeds; a link already open is closed first.
    bool open_offline(const codec::ConfigValues *file, int device_id, const QString &name);
    // A frame other than a read request went to the offline device since it
    // was loaded or mark_offline_saved() was called; false for other transports.
    bool offline_changed() const;
    void mark_offline_saved();
    QString offline_name() const { return m_offline_name; }
    // The offline device while it is open, else null.
    OfflineDevice *offline_device() const;
    // Closes whichever transport is open (queued bytes still leave the socket)
    // and clears both link flags and both codes. Nothing happens when none is open.
    void close();
    bool is_open() const { return transport() != Transport::None; }
    // The serial port when it is open, else the socket when it is open.
    Transport transport() const;
    // "serial <port>" / "network <host>:<port>" / "offline <name>", or empty when closed.
    QString description() const;
    // Where the link goes, as the operator named it: the serial port as chosen
    // ("/dev/ttyUSB0", "COM3") or "host:port"; empty when closed.
    QString endpoint() const;
    int device_id() const { return m_data.device_id; }
    void set_device_id(int id) { m_data.device_id = id; }
    QSerialPort &serial_port() { return m_serial; }
    // Read only: every frame but a read request (command 254) is refused at
    // the write, reported by write_refused(). Kept across connections.
    void set_read_only(bool on) { m_read_only = on; }
    bool read_only() const { return m_read_only; }
    QTcpSocket &socket() { return m_socket; }

    // ---- Timing --------------------------------------------------------
    // Fast replies (default): every wait ends as soon as its reply is whole,
    // the specified wait being the upper bound. Full timing: the specified
    // waits exactly. The same frames leave in the same order either way.
    // The offline device always answers at once: the choice waits for the next link.
    void set_full_timing(bool on) { (m_offline ? m_offline_full_timing : m_full_timing) = on; }
    bool full_timing() const { return m_offline ? m_offline_full_timing : m_full_timing; }
    // A pause that paces the device: ends when the reply to the last frame
    // written is whole (at once when it already is), else after ms.
    void pause(int ms);

    // ---- Frames (the one choke point where every frame is written) ------
    bool send_read_request(uint8_t selector, uint8_t index);
    bool send_short_command(uint8_t command, uint8_t a, uint8_t b);
    // Builds the frame in tx_buf and writes it; false when it does not fit or
    // was not written in full.
    bool send_buffer_command(uint8_t command, const QByteArray &payload);
    // The expected-reply code of the active transport.
    void set_wait_code(int code);
    int wait_code() const;

    // ---- Transmit ------------------------------------------------------
    // The one transmit routine: write the frame; only after a full write set
    // the code, arm the bound of an awaited acknowledgement, then wait. An
    // acknowledgement is awaited by `busy_wait` when given (the page's busy
    // dialog, which the signals end), else in the link's own event loop.
    // A chain step that is not written ends the chain as the bound does.
    Outcome transmit(uint8_t command, const QByteArray &payload, const LinkWait &wait,
                     const std::function<void()> &busy_wait = {});
    Outcome transmit_short(uint8_t command, uint8_t a, uint8_t b, const LinkWait &wait,
                           const std::function<void()> &busy_wait = {});
    // How the last acknowledgement awaited under the bound ended.
    Outcome last_outcome() const { return m_last_outcome; }
    // After a command paced by a delay: Accepted when its acknowledgement is
    // in whole with byte 2 = 4, Rejected when whole with another byte 2, else
    // NoAnswer. The window carries on either way; a script needs to know.
    Outcome delayed_ack();
    // Ends every wait at once, as a lost link does, and closes the link: for a
    // caller whose own time ran out. Nothing further is written.
    void give_up();

    // ---- Direct reads --------------------------------------------------
    // Sends the read request and collects its reply into rx_buf; returns the
    // bytes obtained: the reply's length on success; otherwise what came by the
    // end of the wait on the serial link, 0 on the network (10 polls at most).
    int direct_read(const proto::ReadSpec &request, uint8_t index);
    // rx_buf as a byte array for the decoders.
    QByteArray reply() const;
    // A direct read and its decoder; true when the reply came and decoded.
    bool read_status(bool boot = false);
    bool read_input_card(int card);
    bool read_mode_table();
    // Decodes into the records with window canvases for a canvas of `canvas`.
    bool read_windows(int mode, QSize canvas);
    bool read_led_rects(int mode);
    bool read_unit_rects(int mode);
    // The LED totals (one wall) or the four wall sizes, as mosaic_on says.
    bool read_led_sizes();
    bool read_win_adjust();
    bool read_win_borders();

    // ---- Read-back -----------------------------------------------------
    // The records a connection starts from: reset, defaults, status, mode
    // table, LED defaults, the windows of the current mode. True when the
    // status and the mode table came; the status length tells whether the
    // device answered at all.
    bool read_back(QSize canvas);
    int status_length() const { return m_status_length; }

    // ---- Everything the configuration file holds -------------------------
    // Status, mode table, both input cards, window picture values and borders,
    // then the window and LED rectangles of every mode, decoded into `into`
    // (reset first, so nothing of an earlier device is left). Stops at the
    // first read without a whole, decodable reply: `failed` names it.
    // Progress counts the reads.
    using Progress = std::function<void(int step, int steps)>;
    bool read_configuration(DeviceData &into, const Progress &progress = {},
                            QString *failed = nullptr);
    // The same, as the 2000 values of the file, leaving the link's records as they are.
    std::optional<codec::ConfigValues> read_configuration(const Progress &progress = {});
    // The pauses before each rectangle read, so the device is never asked
    // faster than it answers; with fast replies a pause after a whole reply costs nothing.
    static constexpr int kWindowsReadPauseMs = 200;
    static constexpr int kLedReadPauseMs = 300;

    // ---- Import upload chain -------------------------------------------
    // Input block, global block, sixteen mode blocks and the end, each sent
    // when the previous one was accepted, from the records. Ends with
    // upload_finished(); the caller reads the device back afterwards.
    bool start_upload();
    UploadState upload_state() const { return m_upload; }
    static constexpr int kUploadSteps = 3 + kModeCount;
    // Steps the engines also send (and the pages may send directly).
    bool upload_input_block();
    bool upload_global_block();
    bool upload_mode_block(int mode);
    bool upload_finish();
    // The mode block last sent (the read-back index): 0..15, 0 again at the end.
    int upload_index() const { return m_upload_index; }

    // ---- The bound on an awaited acknowledgement -----------------------
    void set_bound_ms(int ms) { m_bound_ms = ms; }
    int bound_ms() const { return m_bound_ms; }
    void arm_bound();
    void stop_bound();
    bool bound_running() const { return m_bound.isActive(); }

    // The readyRead handlers of both transports (the serial and network engine).
    void serial_ready_read();
    void socket_ready_read();

signals:
    // An engine accepted the acknowledgement of `code` (byte 2 = 4).
    void reply_accepted(int code);
    // An engine took a whole acknowledgement of `code` with byte 2 != 4.
    void reply_rejected(int code);
    // No accepted acknowledgement within the bound; both codes are cleared
    // and any chain has stopped.
    void bound_expired();
    // The transport reported a disconnect or an error while open. The link is
    // closed already: nothing more is written, any wait and chain has ended.
    void link_lost();
    // A link was opened or closed (by the caller or by its loss).
    void state_changed();
    // A reply was taken whole: an accepted acknowledgement or a data reply.
    void reply_taken();
    // A frame other than a read request was not written: the link is read-only.
    void write_refused(uint8_t command);
    // The import chain sent step `step` of `total`.
    void upload_step(int step, int total);
    // The import chain ended: every block accepted, or stopped.
    void upload_finished(bool ok);

private:
    QIODevice *io() const;
    qint64 write_frame(const QByteArray &frame);
    void discard_input();
    void take_input();
    bool collect(int length, int ms);
    // Full timing waits all of `ms`; fast replies end once `length` bytes are in.
    bool await_bytes(int length, int ms);
    void on_ready_read(int32_t &code);
    void run_engine(int32_t &code);
    void on_accepted(int code);
    void advance_upload(int code);
    void end_chain();
    void expire_bound();
    void on_transport_error();
    // Closes the open transport; a lost one is aborted, since a dead peer takes no queued bytes.
    void shut(bool lost);
    // The common end of every open: a fresh session for `device_id`.
    void opened(int device_id);
    Outcome await_ack(const std::function<void()> &busy_wait);
    Outcome run_transmit(uint8_t command, const std::function<bool()> &send,
                         const LinkWait &wait, const std::function<void()> &busy_wait);

    DeviceData &m_data;
    QSerialPort m_serial;
    QTcpSocket m_socket;
    QString m_host; // or the serial port's name
    quint16 m_port = 0;
    QTimer m_bound;
    int m_bound_ms = proto::kBusyBoundMs;
    bool m_full_timing = false;
    bool m_lost = false;
    bool m_read_only = false;
    OfflineDevice *m_offline = nullptr; // a child: gone with the link at the latest
    QString m_offline_name;
    bool m_offline_full_timing = false; // the operator's choice, kept while offline

    // Bytes collected since the last frame was written.
    QByteArray m_rx;
    // Length of the reply to the last frame written; 0 once it is whole.
    int m_pending_reply = 0;
    // Length of the acknowledgement of the last command written (0 after a read request).
    int m_ack_length = 0;
    // The innermost cooperative wait that ends when m_want bytes are in.
    QEventLoop *m_waiter = nullptr;
    int m_want = 0;
    // An engine run is queued, and whether the bound ran when it was.
    bool m_engine_queued = false;
    bool m_engine_bounded = false;

    int m_status_length = 0;
    int m_upload_index = -1;
    UploadState m_upload = UploadState::Idle;
    Outcome m_last_outcome = Outcome::Sent;
    QEventLoop *m_ack_loop = nullptr;
};
