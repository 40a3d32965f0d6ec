#pragma once

// Pure computations of the fast mosaic editor: canvas sizes, scaling between
// wall and canvas pixels, the unit size rule, the edge snap of dragged units
// and the edge-corrected port rectangles. No widgets, no I/O; every division
// by a size that may be 0 yields 0 instead.

#include "device/device_data.h"
#include "output/output_codec.h"

namespace codec {

// Canvas limits: a wall canvas is this high or this wide.
constexpr int kMosaicCanvasHigh = 550;
constexpr int kMosaicCanvasWide = 940;
// Smallest unit screen the editor accepts, in wall pixels.
constexpr int kMinUnitSize = 8;

// Canvas of a wall of total W x H for the output resolution res: 550 high when
// the wall is not wider than high or relatively taller than the resolution,
// else 940 wide. A wall without size has no canvas (0 x 0).
SizePair mosaic_canvas_size(SizePair total, int res_w, int res_h);

// A wall rectangle in canvas pixels.
DevRect wall_to_canvas(const DevRect &wall, SizePair canvas, SizePair total);

// The largest unit screen of a wall, also the size proposed for a new one.
SizePair unit_size_limit(SizePair total, int res_w, int res_h);

// Keeps a unit of length len inside [0, extent].
int clamp_to_canvas(int pos, int len, int extent);

// Wall coordinate of a unit's canvas position along one axis. A unit that
// touches the far canvas edge ends exactly at the wall's edge, whatever the
// truncation of the scaling did.
int wall_position(int canvas_pos, int canvas_len, int canvas_extent, int total, int wall_len);

// Input capture and output rectangles of a port whose unit screen is unit in
// a wall of total size, with the unit's canvas rectangle on a canvas: like
// the plain derivation, but a unit touching the right or bottom canvas edge
// captures up to the end of the input frame.
PortRects derive_edge_corrected(const DevRect &unit, const DevRect &canvas_rect, SizePair canvas,
                                SizePair total, int in_w, int in_h);

// Total size of a wall of mode m: wall_size in four-wall mode, else the single totals.
SizePair mosaic_wall_total(const DeviceData &d, int mode, int wall);
// Canvas of a wall: wall_canvas in four-wall mode, else single_canvas.
SizePair mosaic_wall_canvas(const DeviceData &d, int wall);

// The record of a unit in the editor's unit list; null when there is none.
MosaicUnit *find_unit(QVector<MosaicUnit> &units, int id);

} // namespace codec
