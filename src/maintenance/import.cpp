#include <QFile>
#include <QFileDialog>
#include <QMessageBox>

#include "app/app_paths.h"
#include "app/tesselview.h"
#include "app/texts.h"
#include "device/device_data.h"

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
    // Armed before the first step: a block that never leaves ends at the bound too.
    arm_busy_bound();
    upload_input_block();
}

std::optional<codec::ConfigValues> TesselView::read_import_file(const QString &caption)
{
    const QString name = QFileDialog::getOpenFileName(this, caption, tessel_app_dir(),
                                                      QStringLiteral("Files(*.txt)"));
    if (name.isEmpty())
        return std::nullopt;
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return codec::read_config_file(read_config_bytes(file));
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
        resolution_hint_text({format, m_import_custom_w, m_import_custom_h}), QMessageBox::Ok);
}

QString TesselView::resolution_hint_text(const codec::ImportPending &pending)
{
    const QSize size = codec::import_hint_size(pending);
    return pick_text("First change the resolution to %1x%2", "请先将分辨率切换至%1x%2！！")
        .arg(size.width())
        .arg(size.height());
}
