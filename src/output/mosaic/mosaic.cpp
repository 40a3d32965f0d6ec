// The fast mosaic editor: opening, canvases, wall choice and wall totals.
// The units and what they do live in mosaic_units.cpp.

#include "output/mosaic/mosaic.h"

#include "app/texts.h"
#include "output/mosaic/cframe.h"
#include "output/mosaic/ledscreen.h"
#include "output/mosaic/mosaic_codec.h"
#include "output/mosaic/unit_style.h"
#include "output/mosaic/winclass.h"
#include "widgets/bounded_validator.h"

namespace {

// Canvases sit at this offset inside frame_main.
constexpr int kCanvasOffset = 5;
// Wall totals travel as 16-bit values.
constexpr int kMaxWallSize = 65535;

} // namespace

mosaic::mosaic(QWidget *parent) : QDialog(parent), m_ledsize(this), m_ledtrim(this)
{
    ui.setupUi(this);
    set_edit_range(ui.wEdit, 1, kMaxWallSize);
    set_edit_range(ui.hEdit, 1, kMaxWallSize);
    connect(ui.setButton_size, &QPushButton::clicked, this, &mosaic::clicked_size_set_btn);
    connect(ui.comboBo_select, QOverload<int>::of(&QComboBox::activated), this,
            &mosaic::activated_comboBo_select);
    connect(&m_ledsize, &ledsize::save_led_copy_size_signal, this, &mosaic::create_led_copy);
    connect(&m_ledtrim, &ledtrim::save_led_size_signal, this, &mosaic::save_led_size);
}

cframe *mosaic::canvas(int wall) const
{
    return wall >= 0 && wall < m_canvases.size() ? m_canvases[wall].data() : nullptr;
}

QString mosaic::wall_name(int wall) const
{
    return pick_text("LED Wall %1", "拼接屏 %1").arg(wall + 1);
}

void mosaic::apply_texts()
{
    setWindowTitle(pick_text("Fast Mosaic", "快速拼接"));
    ui.groupBox_led_big->setTitle(pick_text("Large screen size (pixels)", "LED大屏尺寸（像素点）"));
    ui.wlabel_2->setText(pick_text("Total Width", "总宽度"));
    ui.hlabel_2->setText(pick_text("Total Height", "总高度"));
    ui.setButton_size->setText(pick_text("Save", "保存"));
    ui.label_preT->setText(pick_text(
        "Operation step polymerization:1.Right click to create unit screen. 2.Move to the "
        "corresponding position. 3.Right click the unit screen to select the output port.",
        "操作步聚：1、右键创建单元屏。2、移动至对应位置。3、右键单元屏选择输出端口。"));
    const int current = ui.comboBo_select->currentIndex();
    ui.comboBo_select->clear();
    for (int wall = 0; wall < codec::kWallCount; ++wall)
        ui.comboBo_select->addItem(wall_name(wall));
    ui.comboBo_select->setCurrentIndex(current < 0 ? 0 : current);
    ui.label_panel->setText(wall_name(m_shown_wall));
}

void mosaic::prepare_editor()
{
    clear_items();
    device_data.unit_list.clear();
    m_copy_unit_count = 0;
    m_id_counter = 0;
    m_shown_wall = 0;
    ui.comboBo_select->setCurrentIndex(0);
    apply_texts();
    ui.comboBo_select->setEnabled(device_data.mosaic_on != 0);
    show_wall_totals();
    make_canvases();
    show_only_canvas(0);
    place_port_units();
}

void mosaic::show_wall_totals()
{
    const SizePair total =
        codec::mosaic_wall_total(device_data, device_data.cur_out_mode, m_shown_wall);
    ui.wEdit->setText(QString::number(total.w));
    ui.hEdit->setText(QString::number(total.h));
}

void mosaic::clear_items()
{
    for (const PortUnit &u : m_port_units)
        discard_item(u.item);
    for (const CopyUnit &u : m_copy_units)
        discard_item(u.item);
    for (const QPointer<cframe> &c : m_canvases)
        discard_item(c);
    m_port_units.clear();
    m_copy_units.clear();
    m_canvases.clear();
}

void mosaic::make_canvases()
{
    const int count = device_data.mosaic_on ? codec::kWallCount : 1;
    const int mode = device_data.cur_out_mode;
    for (int wall = 0; wall < count; ++wall) {
        const SizePair size =
            codec::mosaic_canvas_size(codec::mosaic_wall_total(device_data, mode, wall),
                                      device_data.out_res_w, device_data.out_res_h);
        if (device_data.mosaic_on)
            device_data.wall_canvas[wall] = size;
        else
            device_data.single_canvas = size;
        auto *c = new cframe(ui.frame_main);
        c->setObjectName(QStringLiteral("canvas_%1").arg(wall + 1));
        c->setGeometry(kCanvasOffset, kCanvasOffset, size.w, size.h);
        connect(c, &cframe::new_create_signal, this, &mosaic::new_create_copy_led);
        m_canvases.append(c);
    }
}

void mosaic::show_only_canvas(int wall)
{
    for (int i = 0; i < m_canvases.size(); ++i)
        if (m_canvases[i])
            m_canvases[i]->setVisible(i == wall);
}

void mosaic::activated_comboBo_select(int index)
{
    if (index < 0 || index >= codec::kWallCount)
        return;
    m_shown_wall = index;
    ui.label_panel->setText(wall_name(index));
    const SizePair &size = device_data.mode_data[device_data.cur_out_mode].wall_size[index];
    ui.wEdit->setText(QString::number(size.w));
    ui.hEdit->setText(QString::number(size.h));
    show_only_canvas(index);
}

void mosaic::clicked_size_set_btn()
{
    if (!all_acceptable({ui.wEdit, ui.hEdit}))
        return;
    remove_units_of_wall(m_shown_wall);
    show_only_canvas(-1);
    setEnabled(false);
    const SizePair total{ui.wEdit->text().toInt(), ui.hEdit->text().toInt()};
    ModeData &m = device_data.mode_data[device_data.cur_out_mode];
    const SizePair size =
        codec::mosaic_canvas_size(total, device_data.out_res_w, device_data.out_res_h);
    if (device_data.mosaic_on) {
        m.wall_size[m_shown_wall] = total;
        device_data.wall_canvas[m_shown_wall] = size;
    } else {
        m.out_total_w = total.w;
        m.out_total_h = total.h;
        device_data.single_canvas = size;
    }
    if (cframe *c = canvas(m_shown_wall)) {
        c->setGeometry(kCanvasOffset, kCanvasOffset, size.w, size.h);
        c->show();
    }
    emit total_size_signal(device_data.mosaic_on ? m_shown_wall : 0);
    setEnabled(true);
}
