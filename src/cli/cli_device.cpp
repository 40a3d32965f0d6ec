#include "cli/cli_device.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QSaveFile>
#include <QTimer>

#include <memory>

#include "cli/cli_console.h"
#include "cli/cli_report.h"
#include "device/codec.h"
#include "link/device_link.h"

namespace cli {

namespace {

// The window's waits after the mode selections (the acknowledgement ends them early).
constexpr int kSelectModeDelayMs = 1200;
constexpr int kOutputModeDelayMs = 300;

// A failed step: its exit status and what to tell.
struct Failure {
    int exit;
    QString message;
};

class DeviceSession
{
public:
    DeviceSession(const Request &request, const Target &target, Console &console)
        : m_request(request), m_target(target), m_console(console),
          m_records(std::make_unique<DeviceData>()), m_link(*m_records)
    {
        m_link.set_full_timing(request.full_timing);
        m_deadline.setSingleShot(true);
        QObject::connect(&m_deadline, &QTimer::timeout, &m_link, [this] {
            m_timed_out = true;
            m_link.give_up();
        });
    }

    DeviceResult run()
    {
        DeviceResult result;
        result.json = QJsonObject{{"device", m_target.label()},
                                  {"link", m_target.serial ? "serial" : "network"},
                                  {"address", m_target.address},
                                  {"number", m_target.device}};
        if (!m_target.serial)
            result.json["port"] = m_target.port;
        if (m_request.timeout_ms > 0)
            m_deadline.start(m_request.timeout_ms);
        m_clock.start();
        const Failure failure = open() ? command(result.json) : m_failure;
        m_deadline.stop();
        m_link.close();
        result.exit = failure.exit;
        result.json["ok"] = failure.exit == kExitDone;
        if (failure.exit != kExitDone) {
            result.error = failure.message;
            result.json["error"] = failure.message;
            m_console.error(m_target.label(), failure.message);
        }
        return result;
    }

private:
    static Failure done() { return {kExitDone, {}}; }

    Failure device_failure(const QString &what)
    {
        if (m_timed_out)
            return {
                kExitDevice,
                QStringLiteral("timed out after %1 ms: %2").arg(m_request.timeout_ms).arg(what)};
        return {kExitDevice, what};
    }

    Failure no_reply(const QString &request)
    {
        return device_failure(QStringLiteral("no reply to %1").arg(request));
    }

    bool open()
    {
        const int remaining = m_request.timeout_ms > 0
                                  ? std::max(1, m_request.timeout_ms - int(m_clock.elapsed()))
                                  : DeviceLink::kConnectTimeoutMs;
        if (m_target.serial) {
            if (!m_link.open_serial(m_target.address, m_target.device)) {
                m_failure = {kExitDevice, QStringLiteral("cannot open the serial port: %1")
                                              .arg(m_link.serial_port().errorString())};
                return false;
            }
        } else if (!m_link.open_network(m_target.address, m_target.port, m_target.device,
                                        std::min(remaining, int(DeviceLink::kConnectTimeoutMs)))) {
            m_failure = device_failure(
                QStringLiteral("no connection to %1:%2").arg(m_target.address).arg(m_target.port));
            return false;
        }
        // As when the window connects: the device counts as there once it answers the status.
        m_records->reset_device_data();
        m_records->load_default_layouts();
        const int got = m_link.direct_read(proto::kReadStatusInput, 0);
        if (got != proto::kStatusReplyLength) {
            m_failure = got == 0
                            ? device_failure(QStringLiteral("the device did not answer"))
                            : device_failure(QStringLiteral("status reply of %1 bytes, %2 expected")
                                                 .arg(got)
                                                 .arg(proto::kStatusReplyLength));
            return false;
        }
        if (!codec::decode_status(m_link.reply(), *m_records)) {
            m_failure = device_failure(QStringLiteral("the status reply did not decode"));
            return false;
        }
        return true;
    }

    Failure command(QJsonObject &json)
    {
        switch (m_request.command) {
        case Command::Status:
            for (const QString &line : status_lines(*m_records))
                m_console.line(m_target.label(), line);
            json["status"] = status_json(*m_records);
            return done();
        case Command::Read:
            return read(json);
        case Command::Export:
            return export_file(json);
        case Command::Import:
            return import_file();
        case Command::Diff:
            return diff_file(json);
        case Command::Mode:
            return select_mode();
        case Command::OutputMode:
            return select_output_mode();
        case Command::Source:
            return select_source();
        case Command::Init:
            return initialize();
        }
        return done();
    }

    Failure read_configuration()
    {
        QString failed;
        if (!m_link.read_configuration(*m_records, {}, &failed))
            return no_reply(failed);
        return done();
    }

    Failure read(QJsonObject &json)
    {
        const Failure f = read_configuration();
        if (f.exit != kExitDone)
            return f;
        for (const QString &line : records_lines(*m_records))
            m_console.line(m_target.label(), line);
        json["records"] = records_json(*m_records);
        return done();
    }

    Failure export_file(QJsonObject &json)
    {
        const Failure f = read_configuration();
        if (f.exit != kExitDone)
            return f;
        const QString path = m_request.export_dir
                                 ? QDir(m_request.file).filePath(m_target.file_stem() + ".txt")
                                 : m_request.file;
        // Renamed over the target only when complete: a failed export never
        // leaves half a file in place of a good backup.
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Text) ||
            file.write(codec::write_config_file(codec::export_values(*m_records))) < 0 ||
            !file.commit())
            return {kExitFile, QStringLiteral("cannot write %1: %2").arg(path, file.errorString())};
        m_console.line(m_target.label(), QStringLiteral("exported to %1").arg(path));
        json["file"] = path;
        return done();
    }

    // Reads only: the device's values as the export writes them, against the file's.
    Failure diff_file(QJsonObject &json)
    {
        const Failure f = read_configuration();
        if (f.exit != kExitDone)
            return f;
        const QVector<codec::ConfigChange> changes =
            codec::compare_config(codec::export_values(*m_records), m_request.values);
        const QString hint = codec::refusal_hint(changes, m_request.values).en;
        for (const QString &line : diff_lines(changes, hint))
            m_console.line(m_target.label(), line);
        json["diff"] = diff_json(changes, hint);
        return done();
    }

    Failure import_file()
    {
        const codec::ImportPending pending =
            codec::parse_import_values(m_request.values, *m_records);
        if (!codec::import_resolution_matches(pending, *m_records))
            return {kExitDevice,
                    QStringLiteral("import refused: ") + codec::resolution_hint(pending).en};
        if (!m_request.yes) {
            // The operator's answer does not count against the time limit.
            const int left = m_deadline.isActive() ? m_deadline.remainingTime() : -1;
            m_deadline.stop();
            const bool confirmed = m_console.ask(
                QStringLiteral("%1: Import %2? [y/N]").arg(m_target.label(), m_request.file));
            if (left >= 0)
                m_deadline.start(left);
            if (!confirmed)
                return {kExitDevice, QStringLiteral("import not confirmed; nothing was sent")};
        }

        int step = 0;
        bool rejected = false;
        bool ended = false;
        QEventLoop loop;
        const auto stop = [&] {
            ended = true;
            loop.quit();
        };
        const QMetaObject::Connection c1 = QObject::connect(
            &m_link, &DeviceLink::upload_step, &loop, [&step](int s, int) { step = s; });
        const QMetaObject::Connection c2 =
            QObject::connect(&m_link, &DeviceLink::upload_finished, &loop, stop);
        const QMetaObject::Connection c3 =
            QObject::connect(&m_link, &DeviceLink::reply_rejected, &loop, [&] {
                rejected = true;
                stop();
            });
        const QMetaObject::Connection c4 =
            QObject::connect(&m_link, &DeviceLink::link_lost, &loop, stop);
        m_link.start_upload();
        // Every step is bounded by the link: a missing acknowledgement ends the chain.
        if (!ended && m_link.upload_state() == DeviceLink::UploadState::Running)
            loop.exec();
        for (const auto &c : {c1, c2, c3, c4})
            QObject::disconnect(c);
        m_link.stop_bound();
        const int steps = DeviceLink::kUploadSteps;
        if (rejected)
            return {
                kExitDevice,
                QStringLiteral("the device rejected import step %1 of %2").arg(step).arg(steps)};
        if (m_link.upload_state() != DeviceLink::UploadState::Finished)
            return device_failure(
                QStringLiteral("no acknowledgement of import step %1 of %2").arg(step).arg(steps));
        // As the window does after an import: the device is read back.
        if (!m_link.read_back(QSize(m_records->canvas_w, m_records->canvas_h)))
            return no_reply(QStringLiteral("the read-back after the import"));
        m_console.line(
            m_target.label(),
            QStringLiteral("imported %1 (%2 steps), read back").arg(m_request.file).arg(steps));
        return done();
    }

    // A command paced by a delay: sent, then its acknowledgement checked.
    Failure paced(uint8_t command, uint8_t a, uint8_t b, int code, int delay_ms,
                  const QString &what)
    {
        if (m_link.transmit_short(command, a, b, LinkWait{code, delay_ms, false, false}) ==
            DeviceLink::Outcome::NotSent)
            return device_failure(QStringLiteral("%1 could not be sent").arg(what));
        switch (m_link.delayed_ack()) {
        case DeviceLink::Outcome::Accepted:
            return done();
        case DeviceLink::Outcome::Rejected:
            return {kExitDevice, QStringLiteral("the device rejected %1").arg(what)};
        default:
            return device_failure(QStringLiteral("no acknowledgement of %1").arg(what));
        }
    }

    Failure select_mode()
    {
        const int mode = m_request.number;
        const QString what = QStringLiteral("display mode M%1").arg(mode);
        // The window's mode button reads the mode's windows before selecting it.
        m_link.read_windows(mode, QSize(m_records->canvas_w, m_records->canvas_h));
        const Failure f = paced(proto::kCmdSelectMode, 0, static_cast<uint8_t>(mode),
                                proto::kWaitSelectMode, kSelectModeDelayMs, what);
        if (f.exit == kExitDone)
            m_console.line(m_target.label(), what + QStringLiteral(" selected"));
        return f;
    }

    Failure select_output_mode()
    {
        const int mode = m_request.number;
        const auto index = static_cast<uint8_t>(mode);
        const QString what = QStringLiteral("output mode M%1").arg(mode);
        m_records->cur_out_mode = mode;
        // The frames of the window's output mode button, in its order.
        m_link.read_unit_rects(mode);
        m_link.read_led_rects(mode);
        const Failure f = paced(proto::kCmdSelectMode, proto::kOutputForm, index,
                                proto::kWaitOutputMode, kOutputModeDelayMs, what);
        if (f.exit != kExitDone)
            return f;
        m_link.read_led_sizes();
        m_link.read_unit_rects(mode);
        m_console.line(m_target.label(), what + QStringLiteral(" selected"));
        return done();
    }

    Failure select_source()
    {
        const int card = m_request.card;
        const QString what = QStringLiteral("the source of In%1").arg(QChar('A' + card));
        if (!m_records->in_card_present[card])
            return {kExitDevice, QStringLiteral("In%1 is not fitted").arg(QChar('A' + card))};
        m_records->in_source[card] = m_request.number;
        switch (m_link.transmit_short(proto::kCmdInputSource, static_cast<uint8_t>(card),
                                      static_cast<uint8_t>(m_request.number),
                                      LinkWait{proto::kWaitInputSource, 0, true, false})) {
        case DeviceLink::Outcome::Accepted:
            break;
        case DeviceLink::Outcome::Rejected:
            return {kExitDevice, QStringLiteral("the device rejected %1").arg(what)};
        case DeviceLink::Outcome::NotSent:
            return device_failure(QStringLiteral("%1 could not be sent").arg(what));
        default:
            return device_failure(QStringLiteral("no acknowledgement of %1").arg(what));
        }
        // As the window does on the acknowledgement: the status is read again.
        if (!m_link.read_status())
            return no_reply(QStringLiteral("the status request after the source change"));
        m_console.line(m_target.label(),
                       QStringLiteral("In%1 %2, %3")
                           .arg(QChar('A' + card))
                           .arg(connector_name(*m_records, card),
                                m_records->in_signal_ok[card] ? QStringLiteral("signal")
                                                              : QStringLiteral("no signal")));
        return done();
    }

    Failure initialize()
    {
        switch (m_link.transmit(proto::kCmdDeviceInit, {},
                                LinkWait{proto::kWaitDeviceInit, 0, true, false})) {
        case DeviceLink::Outcome::Accepted:
            m_console.line(m_target.label(), QStringLiteral("initialized; restart the device"));
            return done();
        case DeviceLink::Outcome::Rejected:
            return {kExitDevice, QStringLiteral("the device rejected the initialization")};
        case DeviceLink::Outcome::NotSent:
            return device_failure(QStringLiteral("the initialization could not be sent"));
        default:
            return device_failure(QStringLiteral("no acknowledgement of the initialization"));
        }
    }

    const Request &m_request;
    const Target &m_target;
    Console &m_console;
    std::unique_ptr<DeviceData> m_records;
    DeviceLink m_link;
    QTimer m_deadline;
    QElapsedTimer m_clock;
    bool m_timed_out = false;
    Failure m_failure{kExitDone, {}};
};

} // namespace

DeviceResult run_device(const Request &request, const Target &target, Console &console)
{
    DeviceSession session(request, target, console);
    return session.run();
}

} // namespace cli
