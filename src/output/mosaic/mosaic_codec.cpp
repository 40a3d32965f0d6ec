#include "output/mosaic/mosaic_codec.h"

#include <algorithm>

#include "device/codec.h"

namespace codec {

SizePair mosaic_canvas_size(SizePair total, int res_w, int res_h)
{
    if (total.w <= 0 || total.h <= 0)
        return {0, 0};
    // Without a resolution only the wall's own shape decides.
    const bool relatively_tall =
        res_w > 0 && res_h > 0 &&
        static_cast<double>(total.h) / res_h > static_cast<double>(total.w) / res_w;
    if (total.w <= total.h || relatively_tall)
        return {scale(kMosaicCanvasHigh, total.w, total.h), kMosaicCanvasHigh};
    return {kMosaicCanvasWide, scale(kMosaicCanvasWide, total.h, total.w)};
}

DevRect wall_to_canvas(const DevRect &wall, SizePair canvas, SizePair total)
{
    return {scale(wall.x, canvas.w, total.w), scale(wall.y, canvas.h, total.h),
            scale(wall.w, canvas.w, total.w), scale(wall.h, canvas.h, total.h)};
}

SizePair unit_size_limit(SizePair total, int res_w, int res_h)
{
    if (total.w < res_w && total.h > res_h)
        return {total.w, res_h};
    if (total.h < res_h && total.w > res_w)
        return {res_w, total.h};
    if (total.w < res_w && total.h < res_h)
        return {total.w, total.h};
    return {res_w, res_h};
}

int clamp_to_canvas(int pos, int len, int extent)
{
    return std::max(0, std::min(pos, extent - len));
}

int wall_position(int canvas_pos, int canvas_len, int canvas_extent, int total, int wall_len)
{
    if (canvas_extent > 0 && canvas_pos + canvas_len == canvas_extent)
        return total - wall_len;
    return scale(canvas_pos, total, canvas_extent);
}

PortRects derive_edge_corrected(const DevRect &unit, const DevRect &canvas_rect, SizePair canvas,
                                SizePair total, int in_w, int in_h)
{
    PortRects r = derive_port_rects(unit, total.w, total.h, in_w, in_h);
    // A wall without size has no canvas and no edge to snap to.
    if (canvas.w > 0 && canvas_rect.x + canvas_rect.w == canvas.w)
        r.input.w = in_w - r.input.x;
    if (canvas.h > 0 && canvas_rect.y + canvas_rect.h == canvas.h)
        r.input.h = in_h - r.input.y;
    return r;
}

SizePair mosaic_wall_total(const DeviceData &d, int mode, int wall)
{
    return wall_total(d.mode_data[mode], d.mosaic_on != 0, wall);
}

SizePair mosaic_wall_canvas(const DeviceData &d, int wall)
{
    if (d.mosaic_on && wall >= 0 && wall < kWallCount)
        return d.wall_canvas[wall];
    return d.single_canvas;
}

MosaicUnit *find_unit(QVector<MosaicUnit> &units, int id)
{
    for (MosaicUnit &u : units)
        if (u.id == id)
            return &u;
    return nullptr;
}

} // namespace codec
