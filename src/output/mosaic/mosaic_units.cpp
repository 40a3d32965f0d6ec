// The units of the fast mosaic editor: placing port units, creating,
// assigning and deleting copy units, trimming port units.

#include "output/mosaic/cframe.h"
#include "output/mosaic/ledscreen.h"
#include "output/mosaic/mosaic.h"
#include "output/mosaic/mosaic_codec.h"
#include "output/mosaic/unit_style.h"
#include "output/mosaic/winclass.h"

void mosaic::place_port_units()
{
    ModeData &m = device_data.mode_data[device_data.cur_out_mode];
    for (int card = 0; card < kOutputCardCount; ++card) {
        if (!device_data.out_card_present[card])
            continue;
        for (int port = 0; port < kPortCount; ++port) {
            int wall = 0;
            // A damaged settings file must not put a unit on a wall that does not exist.
            if (device_data.mosaic_on)
                wall = qBound(0, m.led_screen[card * kPortCount + port], codec::kWallCount - 1);
            const SizePair total =
                codec::mosaic_wall_total(device_data, device_data.cur_out_mode, wall);
            const DevRect &unit = m.unit_rect[card][port];
            m.mosaic_rects[card][port] =
                codec::wall_to_canvas(unit, codec::mosaic_wall_canvas(device_data, wall), total);
            add_port_unit(card, port, wall, unit, m.mosaic_rects[card][port])->lower();
        }
    }
}

ledscreen *mosaic::add_port_unit(int card, int port, int wall, const DevRect &wall_rect,
                                 const DevRect &canvas_rect)
{
    const int id = ++m_id_counter;
    device_data.unit_list.append({id, wall_rect, canvas_rect, wall});
    auto *item = new ledscreen(card, port, id, canvas(wall));
    item->setGeometry(canvas_rect.x, canvas_rect.y, canvas_rect.w, canvas_rect.h);
    m_port_units.append({true, item, wall, id, card, port});
    item->show();
    connect(item, &ledscreen::new_led_2_signal, this, &mosaic::new_create_copy_led);
    connect(item, &ledscreen::trimming_alc_signal, this, &mosaic::rev_trimming_alc_signal);
    connect(item, &ledscreen::del_win_select_signal, this, &mosaic::del_win_select);
    connect(item, &ledscreen::del_all_win_signal, this, &mosaic::del_all_2_win);
    return item;
}

void mosaic::new_create_copy_led()
{
    const SizePair total =
        codec::mosaic_wall_total(device_data, device_data.cur_out_mode, m_shown_wall);
    const SizePair proposal =
        codec::unit_size_limit(total, device_data.out_res_w, device_data.out_res_h);
    m_ledsize.prepare(proposal.w, proposal.h);
    m_ledsize.exec();
}

void mosaic::create_led_copy(int _w, int _h)
{
    ++m_copy_unit_count;
    const int id = ++m_id_counter;
    const int wall = m_shown_wall;
    const DevRect wall_rect{0, 0, _w, _h};
    const DevRect canvas_rect = codec::wall_to_canvas(
        wall_rect, codec::mosaic_wall_canvas(device_data, wall),
        codec::mosaic_wall_total(device_data, device_data.cur_out_mode, wall));
    device_data.unit_list.append({id, wall_rect, canvas_rect, wall});
    auto *item = new winClass(m_copy_unit_count, wall, id, canvas(wall));
    item->setGeometry(0, 0, canvas_rect.w, canvas_rect.h);
    m_copy_units.append({item, wall, id});
    item->raise();
    item->show();
    connect(item, &winClass::change_out_size, this, &mosaic::change_out_2_led_size);
    connect(item, &winClass::del_led_signal, this, &mosaic::del_out_2_led);
    connect(item, &winClass::new_led_signal, this, &mosaic::new_create_copy_led);
    connect(item, &winClass::up_copy_win_signal, this, &mosaic::up_copy_win);
}

void mosaic::change_out_2_led_size(int _out_id, int _win_id, int _len)
{
    const MosaicUnit *found = codec::find_unit(device_data.unit_list, _len);
    if (!found)
        return;
    const MosaicUnit copy = *found;
    const int card = _out_id;
    const int port = _win_id;
    if (m_assignment_check && !m_assignment_check(card, port, copy.wall_rect, m_shown_wall))
        return;
    const int mode = device_data.cur_out_mode;
    ModeData &m = device_data.mode_data[mode];

    remove_port_units([&](const PortUnit &u) { return u.card == card && u.port == port; });
    m.unit_rect[card][port] = copy.wall_rect;
    m.mosaic_rects[card][port] = copy.canvas_rect;
    del_out_2_led(_len);
    add_port_unit(card, port, m_shown_wall, copy.wall_rect, copy.canvas_rect)->raise();

    if (device_data.mosaic_on) {
        m.led_screen[card * kPortCount + port] = m_shown_wall;
        emit led_screen_signal(card * kPortCount + port);
    }
    const codec::PortRects rects = codec::derive_edge_corrected(
        copy.wall_rect, copy.canvas_rect, codec::mosaic_wall_canvas(device_data, m_shown_wall),
        codec::mosaic_wall_total(device_data, mode, m_shown_wall), device_data.in_frame_w,
        device_data.in_frame_h);
    m.led_in_rect[card][port] = rects.input;
    m.led_out_rect[card][port] = rects.output;

    setEnabled(false);
    emit select_port_signal(card, port);
    setEnabled(true);
}

void mosaic::del_out_2_led(int _index)
{
    remove_copy_units([&](const CopyUnit &u) { return u.id == _index; });
}

void mosaic::up_copy_win(int _index)
{
    for (const CopyUnit &u : m_copy_units)
        if (u.id == _index && u.item)
            u.item->raise();
}

void mosaic::del_win_select(int _index)
{
    remove_port_units([&](const PortUnit &u) { return u.id == _index; });
}

void mosaic::del_all_2_win()
{
    remove_units_of_wall(m_shown_wall);
}

void mosaic::remove_units_of_wall(int wall)
{
    remove_port_units([&](const PortUnit &u) { return u.wall == wall; });
    remove_copy_units([&](const CopyUnit &u) { return u.wall == wall; });
}

void mosaic::remove_port_units(const std::function<bool(const PortUnit &)> &match)
{
    for (int i = m_port_units.size() - 1; i >= 0; --i)
        if (match(m_port_units[i])) {
            discard_item(m_port_units[i].item);
            m_port_units.removeAt(i);
        }
}

void mosaic::remove_copy_units(const std::function<bool(const CopyUnit &)> &match)
{
    for (int i = m_copy_units.size() - 1; i >= 0; --i)
        if (match(m_copy_units[i])) {
            discard_item(m_copy_units[i].item);
            m_copy_units.removeAt(i);
            --m_copy_unit_count;
        }
}

void mosaic::rev_trimming_alc_signal(int _out_id, int _win_id, int _index)
{
    m_ledtrim.prepare(_out_id, _win_id, m_shown_wall, _index);
    m_ledtrim.exec();
}

void mosaic::save_led_size(int _out_id, int _win_id, int _index)
{
    emit send_size_signal(_out_id, _win_id, m_shown_wall);
    ModeData &m = device_data.mode_data[device_data.cur_out_mode];
    const DevRect &unit = m.unit_rect[_out_id][_win_id];
    DevRect &on_canvas = m.mosaic_rects[_out_id][_win_id];
    on_canvas = codec::wall_to_canvas(
        unit, codec::mosaic_wall_canvas(device_data, m_shown_wall),
        codec::mosaic_wall_total(device_data, device_data.cur_out_mode, m_shown_wall));
    for (const PortUnit &u : m_port_units)
        if (u.id == _index && u.item)
            u.item->setGeometry(on_canvas.x, on_canvas.y, on_canvas.w, on_canvas.h);
    for (MosaicUnit &record : device_data.unit_list)
        if (record.id == _index) {
            record.wall_rect = unit;
            record.canvas_rect = on_canvas;
        }
}
