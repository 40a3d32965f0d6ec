// The configuration file as an operator might hand it to the import: any bytes.
// Read tolerantly, put into the records, and turned into the upload blocks.
//
// Properties: a line that is a plain decimal number in the 32-bit range reads
// as that number and lines the file does not have read as 0; what the writer
// makes of the values reads back unchanged; and whatever the values, the upload
// payloads keep the lengths of their frames.

#include <QByteArray>
#include <QList>
#include <QTextCodec>
#include <QTextStream>

#include "device/protocol.h"
#include "fuzz_check.h"
#include "maintenance/maintenance_codec.h"

namespace {

constexpr int kUtf8Mib = 106;

// Upload frame lengths less the seven header bytes and the closing ':'.
constexpr int kInputPayload = proto::kAckImportInput - proto::kMinFrameLength;
constexpr int kGlobalPayload = proto::kAckImportGlobal - proto::kMinFrameLength;
constexpr int kModePayload = proto::kAckImportMode - proto::kMinFrameLength;

// Optional '-', then one to nine digits: the integers whose value is beyond doubt.
bool plain_number(const QByteArray &line, int32_t &value)
{
    const int digits_from = line.startsWith('-') ? 1 : 0;
    const int digits = line.size() - digits_from;
    if (digits < 1 || digits > 9)
        return false;
    for (int i = digits_from; i < line.size(); ++i) {
        if (line[i] < '0' || line[i] > '9')
            return false;
    }
    value = line.toInt();
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray file(reinterpret_cast<const char *>(data), static_cast<int>(size));
    const codec::ConfigValues values = codec::read_config_file(file);

    // A UTF-16 or UTF-32 file reads as QTextStream reads it.
    QByteArray body = file;
    const QTextCodec *unicode = QTextCodec::codecForUtfText(file, nullptr);
    if (unicode && unicode->mibEnum() != kUtf8Mib)
        body = QTextStream(file).readAll().toUtf8();
    if (body.startsWith("\xEF\xBB\xBF"))
        body.remove(0, 3);
    QList<QByteArray> lines = body.split('\n');
    if (body.isEmpty() || body.endsWith('\n'))
        lines.removeLast(); // a final line end starts no line of its own
    for (int n = 0; n < codec::kConfigLineCount; ++n) {
        int32_t expected = 0;
        if (n >= lines.size())
            FUZZ_CHECK(values[n] == 0);
        else if (plain_number(lines[n].endsWith('\r') ? lines[n].chopped(1) : lines[n], expected))
            FUZZ_CHECK(values[n] == expected);
    }
    FUZZ_CHECK(codec::read_config_file(codec::write_config_file(values)) == values);

    DeviceData d;
    d.reset_device_data();
    d.load_default_layouts();
    const codec::ImportPending pending = codec::parse_import_values(values, d);
    codec::import_resolution_matches(pending, d);
    codec::import_hint_size(pending);
    FUZZ_CHECK(codec::upload_input_payload(d).size() == kInputPayload);
    FUZZ_CHECK(codec::upload_global_payload(d).size() == kGlobalPayload);
    for (int mode = 0; mode < kModeCount; ++mode)
        FUZZ_CHECK(codec::upload_mode_payload(d, mode).size() == kModePayload);
    return 0;
}
