#include <QFile>
#include <QFileDialog>
#include <QMessageBox>

#include "app/app_paths.h"
#include "app/tesselview.h"
#include "app/texts.h"
#include "device/device_data.h"
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
    const QString name = QFileDialog::getOpenFileName(
        this, QStringLiteral("Import File"), tessel_files_dir(), QStringLiteral("Files(*.txt)"));
    if (name.isEmpty())
        return;
    codec::ConfigValues values{};
    if (!read_config_values(name, values))
        return;

    const QMessageBox::StandardButton answer = QMessageBox::information(
        this, pick_text("Reminder", "提示"),
        pick_text("Whether to import data to the device?", "是否将数据导入至设备?"),
        QMessageBox::Yes | QMessageBox::No);
    if (answer != QMessageBox::Yes)
        return;

    setEnabled(false);
    parse_import(values);
    const codec::ImportPending pending{m_import_format, m_import_custom_w, m_import_custom_h};
    if (!codec::import_resolution_matches(pending, device_data)) {
        show_resolution_hint(m_import_format);
        setEnabled(true);
        return;
    }
    show_busy_dialog(pick_text("Importing data, please wait.....", "正在导入数据，请稍后。。。"));
    m_link.start_upload();
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
    const QSize size = codec::import_hint_size({format, m_import_custom_w, m_import_custom_h});
    QMessageBox::information(
        this, pick_text("Hint", "提示"),
        pick_text("First change the resolution to %1x%2", "请先将分辨率切换至%1x%2！！")
            .arg(size.width())
            .arg(size.height()),
        QMessageBox::Ok);
}
