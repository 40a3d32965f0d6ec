#include "output/coverage_codec.h"

#include <QtAlgorithms>

#include <algorithm>
#include <functional>

#include "output/output_codec.h"

namespace codec {

namespace {

// Edges in 64 bits: x + w of a damaged record may not fit in 32.
struct Box {
    qint64 x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    bool empty() const { return x1 <= x0 || y1 <= y0; }
    qint64 area() const { return empty() ? 0 : (x1 - x0) * (y1 - y0); }
};

Box box_of(const DevRect &r)
{
    return {r.x, r.y, qint64(r.x) + r.w, qint64(r.y) + r.h};
}

Box wall_box(SizePair size)
{
    return {0, 0, std::max<qint64>(0, size.w), std::max<qint64>(0, size.h)};
}

Box intersect(const Box &a, const Box &b)
{
    return {std::max(a.x0, b.x0), std::max(a.y0, b.y0), std::min(a.x1, b.x1), std::min(a.y1, b.y1)};
}

bool contains(const Box &outer, const Box &inner)
{
    return inner.empty() || (!outer.empty() && outer.x0 <= inner.x0 && outer.y0 <= inner.y0 &&
                             inner.x1 <= outer.x1 && inner.y1 <= outer.y1);
}

// Every piece handed out lies inside a wall or a unit, so it fits in 32 bits.
DevRect rect_of(const Box &b)
{
    return {int32_t(b.x0), int32_t(b.y0), int32_t(b.x1 - b.x0), int32_t(b.y1 - b.y0)};
}

// The wall cut along every edge of the given boxes: cells in which each box
// is either wholly present or wholly absent.
struct Grid {
    QVector<qint64> xs, ys;

    Grid(const Box &wall, const QVector<Box> &boxes)
    {
        xs = {wall.x0, wall.x1};
        ys = {wall.y0, wall.y1};
        for (const Box &b : boxes) {
            const Box in = intersect(b, wall);
            if (in.empty())
                continue;
            xs << in.x0 << in.x1;
            ys << in.y0 << in.y1;
        }
        for (QVector<qint64> *v : {&xs, &ys}) {
            std::sort(v->begin(), v->end());
            v->erase(std::unique(v->begin(), v->end()), v->end());
        }
    }
    int columns() const { return std::max(0, int(xs.size()) - 1); }
    int rows() const { return std::max(0, int(ys.size()) - 1); }
    Box cell(int col, int row) const { return {xs[col], ys[row], xs[col + 1], ys[row + 1]}; }
};

// Bit i set when boxes[i] covers the cell.
unsigned cell_mask(const Box &cell, const QVector<Box> &boxes)
{
    unsigned mask = 0;
    for (int i = 0; i < boxes.size(); ++i)
        if (contains(boxes[i], cell))
            mask |= 1u << i;
    return mask;
}

struct Region {
    Box box;
    int key = 0;
};

// Cells with the same key (-1: not wanted) merged into rectangles: runs along
// each row, then runs of equal span down the rows.
QVector<Region> merge_cells(const Grid &g, const std::function<int(int col, int row)> &key_of)
{
    QVector<Region> done;
    QVector<Region> open; // regions that reach the row above
    for (int row = 0; row < g.rows(); ++row) {
        QVector<Region> spans;
        for (int col = 0; col < g.columns(); ++col) {
            const int key = key_of(col, row);
            if (key < 0)
                continue;
            const Box c = g.cell(col, row);
            if (!spans.isEmpty() && spans.last().key == key && spans.last().box.x1 == c.x0)
                spans.last().box.x1 = c.x1;
            else
                spans.append({c, key});
        }
        QVector<Region> next;
        for (Region span : spans) {
            for (int i = 0; i < open.size(); ++i) {
                const Region &o = open[i];
                if (o.key == span.key && o.box.x0 == span.box.x0 && o.box.x1 == span.box.x1) {
                    span.box.y0 = o.box.y0;
                    open.removeAt(i);
                    break;
                }
            }
            next.append(span);
        }
        done += open;
        open = next;
    }
    done += open;
    std::sort(done.begin(), done.end(), [](const Region &a, const Region &b) {
        return a.box.y0 != b.box.y0 ? a.box.y0 < b.box.y0 : a.box.x0 < b.box.x0;
    });
    return done;
}

// The parts of a unit outside the wall: the bands above and below it, then
// left and right of it within the wall's rows.
QVector<Box> outside_parts(const Box &unit, const Box &wall)
{
    if (wall.empty())
        return {unit};
    QVector<Box> parts;
    const auto add = [&](const Box &b) {
        if (!b.empty())
            parts.append(b);
    };
    add({unit.x0, unit.y0, unit.x1, std::min(unit.y1, wall.y0)});
    add({unit.x0, std::max(unit.y0, wall.y1), unit.x1, unit.y1});
    const qint64 top = std::max(unit.y0, wall.y0);
    const qint64 bottom = std::min(unit.y1, wall.y1);
    add({unit.x0, top, std::min(unit.x1, wall.x0), bottom});
    add({std::max(unit.x0, wall.x1), top, unit.x1, bottom});
    return parts;
}

QVector<Box> unit_boxes(const WallLayout &wall)
{
    QVector<Box> boxes;
    for (const CoverageUnit &u : wall.units)
        boxes.append(box_of(u.rect));
    return boxes;
}

// A unit with a side of 0 (or less) belongs to an unused port.
bool unit_in_use(const DevRect &unit)
{
    return unit.w > 0 && unit.h > 0;
}

// The units in use, in port order, so that reports do not depend on the
// order the caller listed them in.
WallLayout used_units(const WallLayout &wall)
{
    WallLayout used{wall.size, {}};
    for (const CoverageUnit &u : wall.units)
        if (unit_in_use(u.rect))
            used.units.append(u);
    std::sort(used.units.begin(), used.units.end(),
              [](const CoverageUnit &a, const CoverageUnit &b) { return a.port < b.port; });
    return used;
}

Box pair_overlap(const Box &a, const Box &b, const Box &wall)
{
    return intersect(intersect(a, b), wall);
}

const CoverageUnit *unit_of_port(const WallLayout &wall, int port)
{
    for (const CoverageUnit &u : wall.units)
        if (u.port == port)
            return &u;
    return nullptr;
}

} // namespace

QVector<WallLayout> mode_walls(const DeviceData &d, int mode)
{
    return mode_walls(d.mode_data[std::clamp(mode, 0, kModeCount - 1)], d.mosaic_on != 0,
                      d.out_card_present);
}

QVector<WallLayout> mode_walls(const ModeData &m, bool four,
                               const uint8_t (&card_present)[kOutputCardCount])
{
    QVector<WallLayout> walls(four ? kWallCount : 1);
    for (int w = 0; w < walls.size(); ++w)
        walls[w].size = wall_total(m, four, w);
    for (int card = 0; card < kOutputCardCount; ++card) {
        if (!card_present[card])
            continue;
        for (int port = 0; port < kPortCount; ++port) {
            const int index = card * kPortCount + port;
            const int wall = four ? std::clamp(m.led_screen[index], 0, kWallCount - 1) : 0;
            walls[wall].units.append({index, m.unit_rect[card][port]});
        }
    }
    return walls;
}

WallReport wall_coverage(const WallLayout &layout)
{
    const WallLayout wall = used_units(layout);
    WallReport r;
    r.size = wall.size;
    r.units = wall.units;
    const Box area = wall_box(wall.size);
    const QVector<Box> boxes = unit_boxes(wall);

    const Grid grid(area, boxes);
    QVector<unsigned> masks(grid.columns() * grid.rows());
    for (int row = 0; row < grid.rows(); ++row)
        for (int col = 0; col < grid.columns(); ++col)
            masks[row * grid.columns() + col] = cell_mask(grid.cell(col, row), boxes);
    const auto mask_at = [&](int col, int row) { return masks[row * grid.columns() + col]; };
    // Masks over unit positions become masks over port numbers.
    const auto ports_of = [&](unsigned mask) {
        unsigned ports = 0;
        for (int i = 0; i < wall.units.size(); ++i)
            if (mask & (1u << i))
                ports |= 1u << wall.units[i].port;
        return ports;
    };

    for (const Region &g :
         merge_cells(grid, [&](int c, int row) { return mask_at(c, row) == 0 ? 0 : -1; })) {
        r.gaps.append(rect_of(g.box));
        r.gap_pixels += g.box.area();
    }
    for (const Region &o : merge_cells(grid, [&](int c, int row) {
             const unsigned mask = mask_at(c, row);
             return qPopulationCount(mask) >= 2 ? int(mask) : -1;
         })) {
        const unsigned ports = ports_of(unsigned(o.key));
        r.overlaps.append({rect_of(o.box), ports});
        r.overlap_pixels += o.box.area();
        r.overlap_ports |= ports;
    }
    for (int a = 0; a < boxes.size(); ++a)
        for (int b = a + 1; b < boxes.size(); ++b) {
            const Box both = pair_overlap(boxes[a], boxes[b], area);
            if (!both.empty())
                r.overlap_pairs.append({wall.units[a].port, wall.units[b].port, rect_of(both)});
        }

    const qint64 wall_area = area.area();
    for (int i = 0; i < boxes.size(); ++i) {
        const int port = wall.units[i].port;
        for (const Box &part : outside_parts(boxes[i], area)) {
            r.outside.append({port, rect_of(part)});
            r.outside_pixels += part.area();
            r.outside_ports |= 1u << port;
        }
        const qint64 inside = intersect(boxes[i], area).area();
        r.shares.append({port, inside, wall_area > 0 ? double(inside) / double(wall_area) : 0.0});
    }
    return r;
}

QVector<WallReport> mode_coverage(const DeviceData &d, int mode)
{
    QVector<WallReport> reports;
    for (const WallLayout &wall : mode_walls(d, mode))
        reports.append(wall_coverage(wall));
    return reports;
}

QVector<CoverageProblem> new_coverage_problems(const QVector<WallLayout> &before_walls,
                                               const QVector<WallLayout> &after_walls)
{
    QVector<CoverageProblem> problems;
    const int count = int(std::min(before_walls.size(), after_walls.size()));
    for (int w = 0; w < count; ++w) {
        const WallLayout before = used_units(before_walls[w]);
        const WallLayout after = used_units(after_walls[w]);
        const Box area = wall_box(after.size);
        const QVector<Box> old_boxes = unit_boxes(before);
        const QVector<Box> new_boxes = unit_boxes(after);

        for (int a = 0; a < after.units.size(); ++a)
            for (int b = a + 1; b < after.units.size(); ++b) {
                const Box now = pair_overlap(new_boxes[a], new_boxes[b], area);
                if (now.empty())
                    continue;
                const CoverageUnit *old_a = unit_of_port(before, after.units[a].port);
                const CoverageUnit *old_b = unit_of_port(before, after.units[b].port);
                const Box was = old_a && old_b
                                    ? pair_overlap(box_of(old_a->rect), box_of(old_b->rect), area)
                                    : Box{};
                if (!contains(was, now))
                    problems.append({CoverageProblem::Overlap, w, after.units[a].port,
                                     after.units[b].port, rect_of(now)});
            }

        // Pixels that something covered and nothing covers now.
        const Grid grid(area, old_boxes + new_boxes);
        for (const Region &g : merge_cells(grid, [&](int c, int row) {
                 const Box cell = grid.cell(c, row);
                 return cell_mask(cell, old_boxes) != 0 && cell_mask(cell, new_boxes) == 0 ? 0 : -1;
             }))
            problems.append({CoverageProblem::Gap, w, 0, 0, rect_of(g.box)});
    }
    return problems;
}

} // namespace codec
