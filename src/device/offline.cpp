#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>

#include "app/app_paths.h"
#include "app/tesselview.h"
#include "app/texts.h"
#include "maintenance/config_file.h"

// Preparing a show without the device: the link opens a device inside the
// program, and the pages work on it as on a real one. Only starting, the
// question on closing and the window title know the difference.

void TesselView::clicked_offline_btn()
{
    QMessageBox box(QMessageBox::Question, pick_text("Work offline", "离线编辑"),
                    pick_text("Edit a configuration without the device. Start from a "
                              "configuration file or from factory values?",
                              "不连接设备编辑配置。从配置文件开始，还是从出厂设置开始？"),
                    QMessageBox::Open | QMessageBox::RestoreDefaults | QMessageBox::Cancel, this);
    box.button(QMessageBox::Open)->setText(pick_text("Open file…", "打开文件…"));
    box.button(QMessageBox::RestoreDefaults)->setText(pick_text("Factory values", "出厂设置"));
    box.button(QMessageBox::Cancel)->setText(pick_text("Cancel", "取消"));
    box.setDefaultButton(QMessageBox::Open);
    const int answer = box.exec();
    if (answer != QMessageBox::Open && answer != QMessageBox::RestoreDefaults)
        return;

    codec::ConfigValues values{};
    QString name;
    if (answer == QMessageBox::Open) {
        const QString path =
            QFileDialog::getOpenFileName(this, pick_text("Work offline", "离线编辑"),
                                         tessel_files_dir(), QStringLiteral("Files(*.txt)"));
        if (path.isEmpty())
            return;
        if (!read_config_values(path, values)) {
            QMessageBox::information(
                this, pick_text("Warning", "警告"),
                pick_text("Cannot read %1", "无法读取%1").arg(QDir::toNativeSeparators(path)),
                QMessageBox::Ok);
            return;
        }
        name = QFileInfo(path).fileName();
    }
    // Whatever was open goes first, with the usual question about unexported changes.
    if (m_link.is_open()) {
        if (!confirm_offline_close())
            return;
        close_link();
    }
    setEnabled(false);
    m_link.open_offline(name.isEmpty() ? nullptr : &values, checked_device_id(), name);
    load_device_state();
    set_connect_button_text();
    setEnabled(true);
}

bool TesselView::confirm_offline_close()
{
    if (!m_link.offline_changed())
        return true;
    const QMessageBox::StandardButton answer = QMessageBox::question(
        this, pick_text("Work offline", "离线编辑"),
        pick_text("The offline configuration has changes that were not exported. Export them "
                  "first?",
                  "离线配置有未导出的修改。是否先导出？"),
        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes);
    if (answer == QMessageBox::Yes)
        return export_configuration();
    return answer == QMessageBox::No;
}

QString TesselView::offline_state_text() const
{
    const QString name = m_link.offline_name();
    return pick_text("Offline: %1", "离线：%1")
        .arg(name.isEmpty() ? pick_text("factory values", "出厂设置") : name);
}

void TesselView::after_device_restart()
{
    // The device restarts its outputs: the walls of the units no longer apply.
    reset_led_screen();
    if (active_transport() == Transport::Offline) {
        // The device inside the program is back at once: read it anew and go on.
        load_device_state();
        return;
    }
    close_link();
    QMessageBox::information(this, pick_text("Tip", "提示"),
                             pick_text("Please restart the device!!", "请重启设备！！"),
                             QMessageBox::Ok);
}

void TesselView::closeEvent(QCloseEvent *event)
{
    if (!confirm_offline_close()) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}
