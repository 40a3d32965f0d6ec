#include <QFile>
#include <QFileDialog>
#include <QMessageBox>

#include "app/app_paths.h"
#include "app/tesselview.h"
#include "app/texts.h"
#include "device/device_data.h"
#include "maintenance/config_diff.h"
#include "maintenance/config_file.h"

namespace {

// Only the first 2000 lines count: stop reading once they are in, and never
// hold more than this much of a file that is not a configuration at all.
constexpr qint64 kReadChunk = 1 << 20;
constexpr int kMaxImportBytes = 64 << 20;

QByteArray read_config_bytes(QIODevice &file)
{
    QByteArray bytes;
    int lines = 0;
    while (lines < codec::kConfigLineCount && bytes.size() < kMaxImportBytes) {
        const QByteArray chunk = file.read(kReadChunk);
        if (chunk.isEmpty())
            break;
        lines += chunk.count('\n');
        bytes += chunk;
    }
    return bytes;
}

} // namespace

bool read_config_values(const QString &path, codec::ConfigValues &values)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    values = codec::read_config_file(read_config_bytes(file));
    return true;
}

void TesselView::clicked_import_btn()
{
    if (active_transport() == Transport::None)
        return;
    const std::optional<codec::ConfigValues> values =
        read_import_file(QStringLiteral("Import File"));
    // The preview runs the resolution check against the device itself; Cancel
    // and a refused file leave the records as they were.
    if (!values || !preview_import(*values, false))
        return;

    setEnabled(false);
    parse_import(*values);
    show_busy_dialog(pick_text("Importing data, please wait.....", "正在导入数据，请稍后。。。"));
    m_link.start_upload();
}

std::optional<codec::ConfigValues> TesselView::read_import_file(const QString &caption)
{
    const QString name = QFileDialog::getOpenFileName(this, caption, tessel_files_dir(),
                                                      QStringLiteral("Files(*.txt)"));
    if (name.isEmpty())
        return std::nullopt;
    codec::ConfigValues values{};
    if (!read_config_values(name, values))
        return std::nullopt;
    return values;
}

void TesselView::parse_import(const codec::ConfigValues &values)
{
    const codec::ImportPending pending = codec::parse_import_values(values, device_data);
    m_import_format = pending.format;
    m_import_custom_w = pending.custom_w;
    m_import_custom_h = pending.custom_h;
}

void TesselView::show_resolution_hint(int format)
{
    QMessageBox::information(
        this, pick_text("Hint", "提示"),
        codec::resolution_hint({format, m_import_custom_w, m_import_custom_h})
            .pick(device_data.lang_english != 0),
        QMessageBox::Ok);
}
