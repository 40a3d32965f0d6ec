// Mode buttons, mode selection, the window tree and mode copy.

#include <QApplication>
#include <QCursor>
#include <QMenu>
#include <QTreeWidget>

#include "app/tesselview.h"
#include "app/texts.h"
#include "device/codec.h"
#include "layout/cled.h"
#include "layout/itembox.h"
#include "layout/layout_codec.h"
#include "layout/source_menu.h"
#include "widgets/group_styles.h"

namespace {

constexpr int kSelectModeDelayMs = 1200;
constexpr int kCopyModeDelayMs = 500;

} // namespace

void TesselView::clicked_mode_btn(int mode)
{
    device_data.cur_mul_mode = mode;
    select_mode(mode);
}

bool TesselView::read_window_rects(int mode)
{
    if (direct_read(proto::kReadWindows, static_cast<uint8_t>(mode)) != proto::kWindowsReplyLength)
        return false;
    return codec::decode_windows(rx_reply(), mode, ui.frame->width(), ui.frame->height(),
                                 device_data);
}

void TesselView::select_mode(int mode)
{
    setEnabled(false);
    // A missing reply keeps the records; the selection goes on.
    read_window_rects(mode);
    // The window stays disabled through the select's own wait.
    TxWait wait = TxWait::delay(proto::kWaitSelectMode, kSelectModeDelayMs);
    wait.disable_window = false;
    if (transmit_short(proto::kCmdSelectMode, 0, static_cast<uint8_t>(mode), wait)) {
        show_canvas(mode);
        close_all_items();
        rebuild_items(mode);
        highlight_mode_button(mode);
    }
    refresh_window_tree();
    setEnabled(true);
}

void TesselView::highlight_mode_button(int mode)
{
    for (int i = 0; i < m_mode_buttons.size(); ++i)
        m_mode_buttons[i]->setStyleSheet(i == mode ? group_style::on() : group_style::off());
}

void TesselView::refresh_window_tree()
{
    ui.treeWidget->clear();
    const ModeData &m = device_data.mode_data[device_data.cur_mul_mode];
    for (int32_t w : m.win_layers) {
        const int source = w >= 0 && w < kWindowCount ? m.win_source[w] : -1;
        auto *row = new QTreeWidgetItem(ui.treeWidget);
        row->setText(0, codec::tree_row_text(w, source));
    }
}

void TesselView::rebuild_layout_page()
{
    const int mode = device_data.cur_mul_mode;
    build_canvases(mode);
    rebuild_items(mode);
    ui.comboBox->setCurrentIndex(device_data.switch_effect);
    highlight_mode_button(mode);
    refresh_window_tree();
}

// ---- Window tree ----------------------------------------------------------

int TesselView::tree_window() const
{
    const int row = ui.treeWidget->indexOfTopLevelItem(ui.treeWidget->currentItem());
    const QVector<int32_t> &layers = device_data.mode_data[device_data.cur_mul_mode].win_layers;
    if (row < 0 || row >= layers.size())
        return -1;
    const int win = layers[row];
    return win >= 0 && win < kWindowCount ? win : -1;
}

void TesselView::itemPressedSlot(QTreeWidgetItem *pressedItem, int)
{
    if (QApplication::mouseButtons() != Qt::RightButton || !pressedItem)
        return;
    ui.treeWidget->setCurrentItem(pressedItem);
    const int win = tree_window();
    QMenu menu(ui.treeWidget);
    menu.addAction(pick_text("Up", "置顶"), this, &TesselView::up_win);
    menu.addAction(pick_text("Down", "置底"), this, &TesselView::down_win);
    QMenu *sources = menu.addMenu(pick_text("Sources", "输入源"));
    if (win >= 0) {
        add_source_entries(sources, win, this, &TesselView::triggered_inA,
                           &TesselView::triggered_inB, &TesselView::triggered_inC,
                           &TesselView::triggered_inD);
    }
    menu.exec(QCursor::pos());
}

void TesselView::up_win()
{
    const int win = tree_window();
    if (win >= 0)
        Up_Win(win);
}

void TesselView::down_win()
{
    const int win = tree_window();
    if (win >= 0)
        Down_Win(win);
}

void TesselView::set_tree_source(int card)
{
    const int win = tree_window();
    if (win < 0)
        return;
    const int mode = device_data.cur_mul_mode;
    device_data.mode_data[mode].win_source[win] = card;
    if (itemBox *item = window_item(mode, win))
        item->relabel_source(mode);
    send_sources();
    refresh_window_tree();
}

void TesselView::triggered_inA()
{
    set_tree_source(0);
}

void TesselView::triggered_inB()
{
    set_tree_source(1);
}

void TesselView::triggered_inC()
{
    set_tree_source(2);
}

void TesselView::triggered_inD()
{
    set_tree_source(3);
}

// ---- Mode copy ------------------------------------------------------------

void TesselView::clicked_copy_mul_btn()
{
    m_copy_mul.prepare(device_data.cur_mul_mode);
    m_copy_mul.exec();
}

void TesselView::copy_mul_mode(int _source_mode, int _target_mode)
{
    // Nothing about the target changes here: it is read back when next selected.
    transmit(proto::kCmdCopyMode, codec::copy_mode_payload(_source_mode, _target_mode),
             TxWait::delay(proto::kWaitCopyMode, kCopyModeDelayMs));
}
