// Any bytes as the configuration file to import: read, put into the records and
// turned into the upload blocks. Properties: a line that is a plain decimal number
// in the 32-bit range reads as that number, lines the file does not have as 0;
// the writer's output reads back unchanged; the upload payloads keep the lengths
// of their frames.

#include <QRegularExpression>
#include <QTextCodec>
#include <QTextStream>

#include "fuzz_common.h"
#include "maintenance/maintenance_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray file(reinterpret_cast<const char *>(data), int(size));
    const codec::ConfigValues values = codec::read_config_file(file);

    // A UTF-16 or UTF-32 file reads as QTextStream reads it.
    QByteArray body = file;
    const QTextCodec *unicode = QTextCodec::codecForUtfText(file, nullptr);
    if (unicode && unicode->mibEnum() != 106) // UTF-8
        body = QTextStream(file).readAll().toUtf8();
    if (body.startsWith("\xEF\xBB\xBF"))
        body.remove(0, 3);
    QList<QByteArray> lines = body.split('\n');
    if (body.isEmpty() || body.endsWith('\n'))
        lines.removeLast(); // a final line end starts no line of its own
    // Optional '-', then one to nine digits: the integers whose value is beyond doubt.
    static const QRegularExpression plain(QStringLiteral("\\A-?[0-9]{1,9}\\r?\\z"));
    for (int n = 0; n < codec::kConfigLineCount; ++n) {
        if (n >= lines.size())
            FUZZ_CHECK(values[n] == 0);
        else if (plain.match(QString::fromLatin1(lines[n].data(), lines[n].size())).hasMatch())
            FUZZ_CHECK(values[n] == lines[n].trimmed().toInt());
    }
    FUZZ_CHECK(codec::read_config_file(codec::write_config_file(values)) == values);

    DeviceData d;
    d.reset_device_data();
    d.load_default_layouts();
    const codec::ImportPending pending = codec::parse_import_values(values, d);
    codec::import_resolution_matches(pending, d);
    codec::import_hint_size(pending);
    // Upload payloads: the frame less its seven header bytes and closing ':'.
    FUZZ_CHECK(codec::upload_input_payload(d).size() == proto::kAckImportInput - 8);
    FUZZ_CHECK(codec::upload_global_payload(d).size() == proto::kAckImportGlobal - 8);
    for (int mode = 0; mode < kModeCount; ++mode)
        FUZZ_CHECK(codec::upload_mode_payload(d, mode).size() == proto::kAckImportMode - 8);
    return 0;
}
