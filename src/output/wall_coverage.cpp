// The coverage map dialog: the walls of one output mode drawn to scale with
// their gaps, overlaps and units outside the wall, and a summary per wall.

#include "output/wall_coverage.h"

#include <QLabel>
#include <QPainter>
#include <QStringList>
#include <algorithm>

#include "app/texts.h"
#include "output/mosaic/unit_style.h"

namespace {

constexpr int kMargin = 8;
// A gap or overlap of one wall pixel would vanish at the scale of the
// picture; it is drawn at least this wide, around its true position.
constexpr double kMinMarkPixels = 4.0;
const QColor kWallColor(48, 48, 48);
const QColor kGapColor(230, 30, 30);
const QColor kOverlapColor(255, 150, 0);
// Outside parts lie on the dialog's light background.
const QColor kOutsideColor(20, 20, 20);

// One fixed colour per port, so a port looks the same in every wall and mode.
const QColor kPortColors[codec::kCoveragePorts] = {
    {70, 130, 230}, {60, 180, 120}, {170, 110, 220}, {40, 170, 190},
    {120, 150, 60}, {200, 90, 150}, {90, 110, 170},  {150, 140, 110},
};

// Maps wall pixels to widget pixels, keeping the aspect ratio; the extent
// covers the wall and every unit, so parts outside the wall show too.
class Scale
{
public:
    Scale(const codec::WallReport &r, const QRect &target)
    {
        qint64 x0 = 0, y0 = 0, x1 = std::max(0, r.size.w), y1 = std::max(0, r.size.h);
        for (const codec::CoverageUnit &u : r.units) {
            x0 = std::min<qint64>(x0, u.rect.x);
            y0 = std::min<qint64>(y0, u.rect.y);
            x1 = std::max<qint64>(x1, qint64(u.rect.x) + u.rect.w);
            y1 = std::max<qint64>(y1, qint64(u.rect.y) + u.rect.h);
        }
        m_valid = x1 > x0 && y1 > y0 && target.width() > 0 && target.height() > 0;
        if (!m_valid)
            return;
        m_factor = std::min(target.width() / double(x1 - x0), target.height() / double(y1 - y0));
        m_origin = QPointF(target.x() - x0 * m_factor, target.y() - y0 * m_factor);
    }
    bool valid() const { return m_valid; }
    QRectF map(const DevRect &r) const
    {
        return QRectF(m_origin.x() + r.x * m_factor, m_origin.y() + r.y * m_factor, r.w * m_factor,
                      r.h * m_factor);
    }
    // Thin marks grow to a visible width around their centre.
    QRectF mark(const DevRect &r) const
    {
        QRectF f = map(r);
        const QPointF c = f.center();
        f.setWidth(std::max(f.width(), kMinMarkPixels));
        f.setHeight(std::max(f.height(), kMinMarkPixels));
        f.moveCenter(c);
        return f;
    }

private:
    bool m_valid = false;
    double m_factor = 0;
    QPointF m_origin;
};

} // namespace

QString coverage_port_name(int port)
{
    return port_name(port / kPortCount, port % kPortCount);
}

namespace {

// "OutA:DVI-2, OutB:DVI-1" for a set of ports (bit card * 4 + port).
QString port_list(unsigned ports)
{
    QStringList names;
    for (int p = 0; p < codec::kCoveragePorts; ++p)
        if (ports & (1u << p))
            names << coverage_port_name(p);
    return names.join(pick_text(", ", "、"));
}

} // namespace

QString coverage_summary(int wall, const codec::WallReport &r)
{
    const int count = r.units.size();
    QStringList parts;
    parts << QStringLiteral("%1 x %2").arg(r.size.w).arg(r.size.h);
    if (count == 0)
        parts << pick_text("no ports", "无端口");
    else if (count == 1)
        parts << pick_text("1 port", "1 个端口");
    else
        parts << pick_text("%1 ports", "%1 个端口").arg(count);
    parts << (r.gap_pixels == 0
                  ? pick_text("no gaps", "无空隙")
                  : pick_text("gaps %1 pixels", "空隙 %1 像素").arg(QString::number(r.gap_pixels)));
    parts << (r.overlap_pixels == 0
                  ? pick_text("no overlaps", "无重叠")
                  : pick_text("overlaps %1 pixels (%2)", "重叠 %1 像素（%2）")
                        .arg(QString::number(r.overlap_pixels), port_list(r.overlap_ports)));
    if (r.outside_pixels > 0)
        parts << pick_text("outside the wall %1 pixels (%2)", "墙外 %1 像素（%2）")
                     .arg(QString::number(r.outside_pixels), port_list(r.outside_ports));
    return pick_text("Wall %1: ", "拼接屏 %1：").arg(wall + 1) + parts.join(pick_text(", ", "，"));
}

// ---- WallPicture -------------------------------------------------------------

WallPicture::WallPicture(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("wallPicture"));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void WallPicture::set_report(const codec::WallReport &report)
{
    m_report = report;
    update();
}

QSize WallPicture::sizeHint() const
{
    return {460, 260};
}

QSize WallPicture::minimumSizeHint() const
{
    return {200, 120};
}

void WallPicture::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), palette().window());
    const Scale scale(m_report, rect().adjusted(kMargin, kMargin, -kMargin, -kMargin));
    if (!scale.valid()) {
        p.drawText(rect(), Qt::AlignCenter, pick_text("Nothing to draw", "无可显示内容"));
        return;
    }
    p.setRenderHint(QPainter::Antialiasing, false);

    const QRectF wall = scale.map({0, 0, m_report.size.w, m_report.size.h});
    p.fillRect(wall, kWallColor);

    for (int i = 0; i < m_report.units.size(); ++i) {
        const codec::CoverageUnit &u = m_report.units[i];
        QColor fill = kPortColors[u.port % codec::kCoveragePorts];
        fill.setAlpha(150);
        const QRectF box = scale.map(u.rect);
        p.fillRect(box, fill);
        p.setPen(QPen(fill.darker(160), 1));
        p.drawRect(box.adjusted(0.5, 0.5, -0.5, -0.5));
    }
    for (const DevRect &g : m_report.gaps) {
        const QRectF mark = scale.mark(g);
        p.fillRect(mark, QBrush(kGapColor, Qt::BDiagPattern));
        p.setPen(QPen(kGapColor, 1));
        p.drawRect(mark);
    }
    for (const codec::OverlapRegion &o : m_report.overlaps) {
        const QRectF mark = scale.mark(o.rect);
        p.fillRect(mark, QBrush(kOverlapColor, Qt::FDiagPattern));
        p.setPen(QPen(kOverlapColor, 1));
        p.drawRect(mark);
    }
    p.setPen(QPen(kOutsideColor, 1.5, Qt::DashLine));
    p.setBrush(Qt::NoBrush);
    for (const codec::OutsidePart &o : m_report.outside)
        p.drawRect(scale.map(o.rect));

    // Labels last, so that no hatching hides them.
    p.setPen(Qt::white);
    QFont small = font();
    small.setPointSizeF(std::max(6.0, small.pointSizeF() - 1));
    p.setFont(small);
    for (int i = 0; i < m_report.units.size(); ++i) {
        const codec::CoverageUnit &u = m_report.units[i];
        const double share = i < m_report.shares.size() ? m_report.shares[i].share : 0.0;
        const QString text = QStringLiteral("%1\n(%2, %3) %4 x %5\n%6 %")
                                 .arg(coverage_port_name(u.port))
                                 .arg(u.rect.x)
                                 .arg(u.rect.y)
                                 .arg(u.rect.w)
                                 .arg(u.rect.h)
                                 .arg(share * 100.0, 0, 'f', 1);
        p.drawText(scale.map(u.rect), Qt::AlignCenter | Qt::TextWordWrap, text);
    }
    p.setPen(QPen(Qt::black, 1));
    p.drawRect(wall);
}

// ---- WallCoverage ------------------------------------------------------------

WallCoverage::WallCoverage(QWidget *parent) : QDialog(parent)
{
    ui.setupUi(this);
    setObjectName(QStringLiteral("WallCoverage"));
    connect(ui.closeBtn, &QPushButton::clicked, this, &QDialog::close);
    apply_texts();
}

void WallCoverage::show_mode(const DeviceData &d, int mode)
{
    m_mode = mode;
    m_reports = codec::mode_coverage(d, mode);
    if (m_pictures.size() != m_reports.size())
        rebuild_walls();
    for (int w = 0; w < m_reports.size(); ++w)
        m_pictures[w]->set_report(m_reports[w]);
    apply_texts();
}

// One picture with its summary below it per wall; four walls two by two.
void WallCoverage::rebuild_walls()
{
    qDeleteAll(m_pictures);
    qDeleteAll(m_summaries);
    m_pictures.clear();
    m_summaries.clear();
    const int columns = m_reports.size() > 1 ? 2 : 1;
    for (int w = 0; w < m_reports.size(); ++w) {
        auto *picture = new WallPicture(ui.wallArea);
        auto *summary = new QLabel(ui.wallArea);
        summary->setObjectName(QStringLiteral("summaryLabel"));
        summary->setWordWrap(true);
        summary->setTextInteractionFlags(Qt::TextSelectableByMouse);
        const int row = (w / columns) * 2;
        ui.wallGrid->addWidget(picture, row, w % columns);
        ui.wallGrid->addWidget(summary, row + 1, w % columns);
        m_pictures << picture;
        m_summaries << summary;
    }
}

void WallCoverage::apply_texts()
{
    setWindowTitle(pick_text("Coverage", "覆盖检查"));
    ui.modeLabel->setText(pick_text("Output mode M%1, %2", "显示模式 M%1，%2")
                              .arg(m_mode)
                              .arg(m_reports.size() > 1 ? pick_text("four LED walls", "四个拼接屏")
                                                        : pick_text("one LED wall", "一个拼接屏")));
    ui.legendLabel->setText(pick_text(
        "Red hatching: gap (no port paints it). Orange hatching: overlap (two or more ports). "
        "Dashed outline: part of a unit outside its wall.",
        "红色斜线：空隙（无端口覆盖）。橙色斜线：重叠（两个或以上端口）。虚线框：单元屏超出拼接屏的"
        "部分。"));
    ui.closeBtn->setText(pick_text("Close", "关闭"));
    for (int w = 0; w < m_summaries.size() && w < m_reports.size(); ++w)
        m_summaries[w]->setText(coverage_summary(w, m_reports[w]));
    for (WallPicture *p : m_pictures)
        p->update();
}
