// The coverage map on the output page and the question before a unit change
// that opens a gap or an overlap on a wall. Both read the records only.

#include <QMessageBox>
#include <QPushButton>
#include <QStringList>

#include "app/tesselview.h"
#include "app/texts.h"
#include "device/device_data.h"
#include "output/coverage_codec.h"

namespace {

// More lines than this make the question too tall to read under pressure.
constexpr int kMaxProblemLines = 6;

// One sentence per problem; the changed port is named first.
QString describe(const codec::CoverageProblem &p, int changed_port)
{
    if (p.kind == codec::CoverageProblem::Overlap) {
        const bool swap = p.port_b == changed_port;
        const int first = swap ? p.port_b : p.port_a;
        const int second = swap ? p.port_a : p.port_b;
        return pick_text("%1 overlaps %2 by %3 x %4 pixels.", "%1 与 %2 重叠 %3 x %4 像素。")
            .arg(coverage_port_name(first), coverage_port_name(second))
            .arg(p.rect.w)
            .arg(p.rect.h);
    }
    return pick_text("%1 leaves a gap of %2 x %3 pixels at (%4, %5) in wall %6.",
                     "%1 在拼接屏 %6 的 (%4, %5) 处留下 %2 x %3 像素的空隙。")
        .arg(coverage_port_name(changed_port))
        .arg(p.rect.w)
        .arg(p.rect.h)
        .arg(p.rect.x)
        .arg(p.rect.y)
        .arg(p.wall + 1);
}

} // namespace

void TesselView::setup_coverage()
{
    connect(ui.coverageBtn, &QPushButton::clicked, this, &TesselView::clicked_coverage_btn);
    // Connected after the page's own slots, so the map is redrawn from the
    // records those slots have just changed.
    QList<QPushButton *> changers = m_out_mode_buttons;
    changers << ui.outBtn << ui.pushButton << ui.setButton_size << ui.btn_fast_splicing;
    for (QPushButton *button : changers)
        connect(button, &QPushButton::clicked, this, &TesselView::refresh_coverage);
    // The fast mosaic editor is modal, but the map beside it still follows it.
    connect(&m_mosaic, &mosaic::select_port_signal, this, &TesselView::refresh_coverage);
    connect(&m_mosaic, &mosaic::send_size_signal, this, &TesselView::refresh_coverage);
    connect(&m_mosaic, &mosaic::total_size_signal, this, &TesselView::refresh_coverage);
    m_mosaic.set_assignment_check([this](int card, int port, const DevRect &unit, int wall) {
        return confirm_unit_change(&m_mosaic, card, port, unit, wall);
    });
}

void TesselView::clicked_coverage_btn()
{
    m_coverage.show_mode(device_data, device_data.cur_out_mode);
    m_coverage.show();
    m_coverage.raise();
    m_coverage.activateWindow();
}

void TesselView::refresh_coverage()
{
    if (m_coverage.isVisible())
        m_coverage.show_mode(device_data, device_data.cur_out_mode);
}

void TesselView::apply_coverage_texts()
{
    ui.coverageBtn->setText(pick_text("Coverage", "覆盖检查"));
    m_coverage.apply_texts();
}

bool TesselView::confirm_unit_change(QWidget *parent, int card, int port, const DevRect &unit,
                                     int wall)
{
    const int mode = device_data.cur_out_mode;
    const int index = card * kPortCount + port;
    ModeData after = device_data.mode_data[mode];
    after.unit_rect[card][port] = unit;
    after.led_screen[index] = wall;
    const QVector<codec::CoverageProblem> problems = codec::new_coverage_problems(
        codec::mode_walls(device_data, mode),
        codec::mode_walls(after, device_data.mosaic_on != 0, device_data.out_card_present));
    if (problems.isEmpty())
        return true;

    QStringList lines;
    for (int i = 0; i < problems.size() && i < kMaxProblemLines; ++i)
        lines << describe(problems[i], index);
    if (problems.size() > kMaxProblemLines)
        lines << pick_text("… and %1 more.", "……另有 %1 处。")
                     .arg(problems.size() - kMaxProblemLines);
    lines << pick_text("Send anyway?", "仍然发送？");
    return QMessageBox::question(parent, pick_text("Reminder", "提示"), lines.join('\n'),
                                 QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
}
