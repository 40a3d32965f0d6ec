// Item table maintenance and the sixteen canvases of the multi-window page.

#include "app/tesselview.h"
#include "layout/cled.h"
#include "layout/itembox.h"

void TesselView::ItemSlot::remove()
{
    if (present && item) {
        item->close();
        // Deferred: the item may be the sender of the running slot.
        item->deleteLater();
    }
    present = 0;
    item = nullptr;
}

void TesselView::close_all_items()
{
    for (auto &mode : m_items) {
        for (ItemSlot &slot : mode)
            slot.remove();
    }
}

void TesselView::build_canvases(int mode)
{
    device_data.canvas_w = ui.frame->width();
    device_data.canvas_h = ui.frame->height();
    for (cled *old : qAsConst(m_canvases)) {
        old->hide();
        old->deleteLater();
    }
    m_canvases.clear();
    for (int m = 0; m < kModeCount; ++m) {
        auto *c = new cled(ui.frame);
        c->setGeometry(0, 0, device_data.canvas_w, device_data.canvas_h);
        connect(c, &cled::new_create_signal, this, &TesselView::new_create);
        connect(c, &cled::del_all_signal, this, &TesselView::del_all_mul_win);
        c->hide();
        m_canvases.append(c);
    }
    show_canvas(mode);
}

void TesselView::show_canvas(int mode)
{
    for (int m = 0; m < m_canvases.size(); ++m)
        m_canvases[m]->setVisible(m == mode);
}

cled *TesselView::canvas(int mode) const
{
    return mode >= 0 && mode < m_canvases.size() ? m_canvases[mode] : nullptr;
}

itemBox *TesselView::window_item(int mode, int win) const
{
    const ItemSlot &slot = m_items[mode][win];
    return slot.present ? slot.item.data() : nullptr;
}

itemBox *TesselView::make_item(int mode, int win)
{
    auto *item = new itemBox(m_canvases.value(mode, nullptr));
    item->set_window_number(win);
    m_items[mode][win].present = 1;
    m_items[mode][win].item = item;
    item->label_item(mode);
    return item;
}

void TesselView::connect_item(itemBox *item)
{
    connect(item, &itemBox::change_wins_size_signal, this, &TesselView::change_wins_size);
    connect(item, &itemBox::mul_del_select_signal, this, &TesselView::del_mul_win);
    connect(item, &itemBox::mul_del_all_signal, this, &TesselView::del_all_mul_win);
    connect(item, &itemBox::new_win_signal, this, &TesselView::new_win);
    connect(item, &itemBox::mul_trimming_wins_signal, this, &TesselView::mul_trimming_wins);
    connect(item, &itemBox::mul_attribute_signal, this, &TesselView::mul_attribute);
    connect(item, &itemBox::up_win_signal, this, &TesselView::Up_Win);
    connect(item, &itemBox::down_win_signal, this, &TesselView::Down_Win);
    connect(item, &itemBox::send_source_in, this, &TesselView::change_source_in);
}

void TesselView::create_window(int mode)
{
    setEnabled(false);
    ModeData &m = device_data.mode_data[mode];
    int win = -1;
    for (int w = 0; w < kWindowCount && win < 0; ++w) {
        if (!m.win_open[w])
            win = w;
    }
    if (win < 0 || !canvas(mode)) {
        setEnabled(true);
        return;
    }
    itemBox *item = make_item(mode, win);
    m.win_open[win] = 1;
    // No rectangle is sent: the device keeps the one it has for this window number.
    to_canvas(mode, win);
    const DevRect &r = m.win_canvas[win];
    item->setGeometry(r.x, r.y, r.w, r.h);
    send_open_mask();
    connect_item(item);
    show_canvas(mode);
    close_all_items();
    rebuild_items(mode);
    setEnabled(true);
}

void TesselView::rebuild_items(int mode)
{
    if (!canvas(mode))
        return;
    const ModeData &m = device_data.mode_data[mode];
    for (int w = 0; w < kWindowCount; ++w) {
        if (!m.win_open[w])
            continue;
        itemBox *item = make_item(mode, w);
        const DevRect &r = m.win_canvas[w];
        item->setGeometry(r.x, r.y, r.w, r.h);
        connect_item(item);
        item->show();
    }
    apply_layers(mode);
}

void TesselView::apply_layers(int mode)
{
    // Each listed item goes to the bottom in turn, so the first entry ends on top.
    for (int32_t w : qAsConst(device_data.mode_data[mode].win_layers)) {
        if (w < 0 || w >= kWindowCount)
            continue;
        if (itemBox *item = window_item(mode, w)) {
            item->lower();
            item->show();
        }
    }
}
