#pragma once

// What a configuration file would change on a device: the device's 2000 values
// (as the export writes them) against a file's, as changes by meaning. Pure:
// no widgets, no I/O, so the command-line tool can use it as it stands.

#include <QString>
#include <QVector>

#include "maintenance/maintenance_codec.h"

namespace codec {

// Areas in the order the preview lists them.
enum class DiffArea {
    InputCards,
    WindowPicture,
    Borders,
    DisplayModes,
    OutputPorts,
    LedWalls,
    Resolution,
};
constexpr int kDiffAreaCount = static_cast<int>(DiffArea::Resolution) + 1;

// One text in both interface languages.
struct BiText {
    QString en;
    QString zh;
    const QString &pick(bool english) const { return english ? en : zh; }
};

struct ConfigChange {
    DiffArea area = DiffArea::InputCards;
    BiText place;  // "M3 · WIN2 · output rectangle"
    BiText before; // what the device holds
    BiText after;  // what the file would put there

    // "M3 · WIN2 · output rectangle (600, 200, 2640, 600) → (0, 0, 1920, 1080)"
    QString line(bool english) const;
};

// Every field the import would write, compared as the device will hold it:
// flags as 0/1, bytes as their low 8 bits, rectangle values clamped to 16 bits,
// the switch effect from the copy the import keeps. Lines the layout fixes at 0
// never count; the lines of one meaning (a rectangle, a colour, a layer order)
// make one change. The resolution counts as one change when the import's
// resolution check would refuse the file.
QVector<ConfigChange> compare_config(const ConfigValues &device, const ConfigValues &file);

BiText diff_area_name(DiffArea area);
// Why an import of a file with this resolution is refused.
BiText resolution_hint(const ImportPending &file);
// The hint above when `changes` (of `file`) hold a refused resolution; empty otherwise.
BiText refusal_hint(const QVector<ConfigChange> &changes, const ConfigValues &file);
int count_changes(const QVector<ConfigChange> &changes, DiffArea area);

struct AreaChanges {
    DiffArea area;
    QVector<ConfigChange> changes; // never empty
};
// The areas that change, in the order above, each with its changes.
QVector<AreaChanges> changes_by_area(const QVector<ConfigChange> &changes);

} // namespace codec
