// The link as the operator sees it: the status line, a lost link noticed at
// once, and the read-only connection that refuses every command.

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>
#include <QThread>
#include <QTimer>

#include "app/tesselview.h"
#include "app/texts.h"

namespace {

// How often a refusal looks again whether the operator's action is over.
constexpr int kRefusalRetryMs = 50;

const QString kSeparator = QStringLiteral(" · ");

int loop_level()
{
    return static_cast<int>(QThread::currentThread()->loopLevel());
}

} // namespace

void TesselView::setup_link_status()
{
    m_link_state_label = new QLabel(ui.statusBar);
    m_link_state_label->setObjectName(QStringLiteral("linkStateLabel"));
    m_last_reply_label = new QLabel(ui.statusBar);
    m_last_reply_label->setObjectName(QStringLiteral("lastReplyLabel"));
    ui.statusBar->addWidget(m_link_state_label, 1);
    ui.statusBar->addPermanentWidget(m_last_reply_label);

    connect(&m_link, &DeviceLink::state_changed, this, &TesselView::show_link_state);
    connect(&m_link, &DeviceLink::reply_taken, this, [this] {
        m_last_reply = QDateTime::currentDateTime();
        show_link_state();
    });
    connect(&m_link, &DeviceLink::write_refused, this, &TesselView::on_write_refused);
    connect(ui.readOnlyBox, &QCheckBox::toggled, this, [this](bool on) {
        set_read_only(on);
        // Kept at once: the choice holds for the next connection and the next start.
        write_settings();
    });
}

QList<QWidget *> TesselView::writing_controls() const
{
    return {ui.importBtn,      ui.initdevBtn,  ui.inALDButton,    ui.inACTButton,
            ui.inAColorButton, ui.inBLDButton, ui.inBCTButton,    ui.inBColorButton,
            ui.pushBtn_set,    ui.pushButton,  ui.setButton_size, ui.btn_dpi};
}

void TesselView::set_read_only(bool on)
{
    m_link.set_read_only(on);
    {
        const QSignalBlocker quiet(ui.readOnlyBox);
        ui.readOnlyBox->setChecked(on);
    }
    for (QWidget *control : writing_controls())
        control->setEnabled(!on);
    show_link_state();
}

void TesselView::apply_link_status_texts()
{
    ui.readOnlyBox->setText(pick_text("Read only", "只读"));
    show_link_state();
}

void TesselView::show_link_state()
{
    // Called from the constructor's language pass before the labels exist.
    if (!m_link_state_label)
        return;
    const QString device = pick_text("device %1", "设备 %1").arg(m_link.device_id());
    QStringList parts;
    switch (m_link.transport()) {
    case Transport::None:
        parts << pick_text("Not connected", "未连接");
        break;
    case Transport::Serial:
        parts << pick_text("Serial %1", "串口 %1").arg(m_link.endpoint()) << device;
        break;
    case Transport::Network:
        parts << pick_text("Network %1", "网口 %1").arg(m_link.endpoint()) << device;
        break;
    case Transport::Offline:
        parts << offline_state_text();
        break;
    }
    if (m_link.is_open() && m_link.read_only())
        parts << pick_text("Read only", "只读");
    m_link_state_label->setText(parts.join(kSeparator));

    const QString time = m_last_reply.isValid() ? m_last_reply.toString(QStringLiteral("HH:mm:ss"))
                                                : QStringLiteral("—");
    m_last_reply_label->setText(pick_text("Last reply: %1", "最后应答：%1").arg(time));
    // The kind of a connection is chosen before it is opened.
    ui.readOnlyBox->setEnabled(!m_link.is_open());
}

// The link has closed itself and ended its waits; the window follows: any busy
// dialog ends, the items go as with Disconnect, the records stay.
void TesselView::on_link_lost()
{
    close_busy_dialog();
    close_all_items();
    close_link();
    setEnabled(true);
    show_link_notice(pick_text("The connection to the device was lost.", "与设备的连接已断开！"));
}

void TesselView::on_write_refused()
{
    const int level = loop_level();
    if (m_refusal_pending) {
        m_refusal_level = qMin(m_refusal_level, level);
        return;
    }
    m_refusal_pending = true;
    m_refusal_level = level;
    QTimer::singleShot(0, this, &TesselView::finish_refused_action);
}

// Once per operator action: the page on screen read again from the device, so
// that neither the records nor the page keep a value the slot set before its
// command was refused (dialogs read theirs on opening), then the notice.
void TesselView::finish_refused_action()
{
    // Still inside the action (one of its reads, or a dialog it opened).
    if (loop_level() > m_refusal_level) {
        QTimer::singleShot(kRefusalRetryMs, this, &TesselView::finish_refused_action);
        return;
    }
    switch (ui.stackedWidget->currentIndex()) {
    case kPageMultiWindow:
        wins_set_clicked();
        break;
    case kPageInput:
        setInputCard();
        break;
    case kPageOutput:
        // The output mode and resolution come with the status.
        refresh_status();
        output_card_set();
        break;
    default:
        break;
    }
    // Reads are never refused, so the re-read cannot start another round.
    m_refusal_pending = false;
    show_link_notice(
        pick_text("Read-only connection: nothing was sent.", "只读连接：未发送任何命令。"));
}

// Not modal in the sense of a nested loop: whatever wait the news ended
// unwinds at once. One notice at a time; a newer one replaces its text.
void TesselView::show_link_notice(const QString &text)
{
    if (m_link_notice) {
        m_link_notice->setText(text);
        return;
    }
    QWidget *parent = QApplication::activeModalWidget();
    auto *box = new QMessageBox(QMessageBox::Warning, pick_text("Warning", "警告"), text,
                                QMessageBox::Ok, parent ? parent : this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    m_link_notice = box;
    box->open();
}
