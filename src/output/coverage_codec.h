#pragma once

// Coverage of the LED walls of an output mode: which pixels of each wall no
// unit screen paints (gaps), which two or more paint (overlaps), which parts of
// units lie outside their wall, and the share of the wall each port paints.
// Pure and exact: the walls are cut along the unit edges (at most 18 cuts per
// axis for eight units), never walked pixel by pixel.

#include <QVector>

#include "device/device_data.h"

namespace codec {

// Ports are numbered card * 4 + port (0 = OutA DVI-1 .. 7 = OutB DVI-4), as
// the settings keys number them; a set of ports is a bit mask over those.
constexpr int kCoveragePorts = kOutputCardCount * kPortCount;

struct CoverageUnit {
    int port = 0;
    DevRect rect; // in pixels of its wall
};

// What one wall is made of: its total size and the units of the ports on it.
struct WallLayout {
    SizePair size;
    QVector<CoverageUnit> units;
};

struct OverlapRegion {
    DevRect rect;
    unsigned ports = 0; // two or more bits
};

// Two units that paint the same pixels: the intersection of their
// rectangles inside the wall.
struct OverlapPair {
    int port_a = 0; // the lower port number
    int port_b = 0;
    DevRect rect;
};

struct OutsidePart {
    int port = 0;
    DevRect rect;
};

struct PortShare {
    int port = 0;
    qint64 pixels = 0; // of the wall that the unit covers
    double share = 0;  // pixels / wall area; 0 for a wall without area
};

struct WallReport {
    SizePair size;
    QVector<CoverageUnit> units; // the units in use (both sides above 0)
    QVector<DevRect> gaps;
    qint64 gap_pixels = 0;
    QVector<OverlapRegion> overlaps;
    qint64 overlap_pixels = 0;
    unsigned overlap_ports = 0;
    QVector<OverlapPair> overlap_pairs;
    QVector<OutsidePart> outside;
    qint64 outside_pixels = 0;
    unsigned outside_ports = 0;
    QVector<PortShare> shares; // one per unit in use, in unit order
};

// The walls of `mode` as the records describe them: one wall of the single
// totals, or four walls of wall_size with each port on its led_screen wall (a
// damaged value is clamped to 0..3). Ports of a card that is not fitted paint
// nothing and are left out.
QVector<WallLayout> mode_walls(const ModeData &m, bool four_walls,
                               const uint8_t (&card_present)[kOutputCardCount]);
QVector<WallLayout> mode_walls(const DeviceData &d, int mode);

WallReport wall_coverage(const WallLayout &wall);
QVector<WallReport> mode_coverage(const DeviceData &d, int mode);

// A gap or an overlap that a change brings where there was none before.
struct CoverageProblem {
    enum Kind { Gap, Overlap };
    Kind kind = Gap;
    int wall = 0;
    int port_a = 0; // Overlap: the two ports; Gap: unused
    int port_b = 0;
    DevRect rect; // Overlap: the whole intersection after the change; Gap: a new gap region
};

// Problems of `after` that `before` did not have, wall by wall: pairs of ports
// whose overlap reaches pixels it did not reach, then regions that were
// covered and are not. Both lists describe the same walls (count and sizes).
QVector<CoverageProblem> new_coverage_problems(const QVector<WallLayout> &before,
                                               const QVector<WallLayout> &after);

} // namespace codec
