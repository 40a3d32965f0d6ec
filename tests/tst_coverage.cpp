// Wall coverage from tables of walls: gaps, overlaps, parts outside the wall
// and shares, the walls of a mode, and the problems a change brings.

#include <QtTest>

#include "output/coverage_codec.h"

using codec::CoverageProblem;
using codec::CoverageUnit;
using codec::WallLayout;
using Units = QVector<CoverageUnit>;
using Rects = QVector<DevRect>;

Q_DECLARE_METATYPE(DevRect)
Q_DECLARE_METATYPE(Units)
Q_DECLARE_METATYPE(Rects)
Q_DECLARE_METATYPE(QVector<WallLayout>)

namespace {

// Port numbers: card * 4 + port (0 = OutA:DVI-1, 7 = OutB:DVI-4).
constexpr unsigned bit(int port)
{
    return 1u << port;
}

// Eight units of 960 x 1080 tiling 3840 x 2160, OutA on the top row.
Units tiled()
{
    Units units;
    for (int port = 0; port < 8; ++port)
        units.append({port, DevRect{960 * (port % 4), 1080 * (port / 4), 960, 1080}});
    return units;
}

Units with(Units units, int port, DevRect rect)
{
    for (CoverageUnit &u : units)
        if (u.port == port)
            u.rect = rect;
    return units;
}

QString problem_text(const CoverageProblem &p)
{
    return QStringLiteral("%1 w%2 %3/%4 %5,%6 %7x%8")
        .arg(p.kind == CoverageProblem::Gap ? "gap" : "overlap")
        .arg(p.wall)
        .arg(p.port_a)
        .arg(p.port_b)
        .arg(p.rect.x)
        .arg(p.rect.y)
        .arg(p.rect.w)
        .arg(p.rect.h);
}

} // namespace

class TestCoverage : public QObject
{
    Q_OBJECT

private slots:
    void wall_data();
    void wall();
    void mode_walls();
    void new_problems_data();
    void new_problems();
};

void TestCoverage::wall_data()
{
    QTest::addColumn<int>("wall_w");
    QTest::addColumn<int>("wall_h");
    QTest::addColumn<Units>("units");
    QTest::addColumn<int>("used");
    QTest::addColumn<Rects>("gaps");
    QTest::addColumn<qint64>("overlap_pixels");
    QTest::addColumn<unsigned>("overlap_ports");
    QTest::addColumn<qint64>("outside_pixels");
    QTest::addColumn<Rects>("outside");
    QTest::addColumn<qint64>("first_share_pixels");
    QTest::addColumn<double>("first_share");

    QTest::newRow("tiled exactly") << 3840 << 2160 << tiled() << 8 << Rects{} << qint64(0) << 0u
                                   << qint64(0) << Rects{} << qint64(960 * 1080) << 0.125;
    QTest::newRow("one unit 1 pixel short")
        << 3840 << 2160 << with(tiled(), 3, {2880, 0, 959, 1080}) << 8 << Rects{{3839, 0, 1, 1080}}
        << qint64(0) << 0u << qint64(0) << Rects{} << qint64(960 * 1080) << 0.125;
    // OutA:DVI-2 one pixel to the left: it overlaps DVI-1 and leaves a column open.
    QTest::newRow("two units overlapping")
        << 3840 << 2160 << with(tiled(), 1, {959, 0, 960, 1080}) << 8 << Rects{{1919, 0, 1, 1080}}
        << qint64(1080) << (bit(0) | bit(1)) << qint64(0) << Rects{} << qint64(960 * 1080) << 0.125;
    // Three ports on the same pixels count once.
    QTest::newRow("three on one spot")
        << 1920 << 1080
        << Units{{0, {0, 0, 1920, 1080}}, {5, {0, 0, 100, 100}}, {6, {50, 50, 100, 100}}} << 3
        << Rects{} << qint64(100 * 100 + 100 * 100 - 50 * 50) << (bit(0) | bit(5) | bit(6))
        << qint64(0) << Rects{} << qint64(1920 * 1080) << 1.0;
    // A quarter inside: the rest is outside below and to the right, and the
    // wall is open above and to the left.
    QTest::newRow("unit past the wall's edge")
        << 1920 << 1080 << Units{{2, {960, 540, 1920, 1080}}} << 1
        << Rects{{0, 0, 1920, 540}, {0, 540, 960, 540}} << qint64(0) << 0u
        << qint64(1920 * 1080 * 3 / 4) << Rects{{960, 1080, 1920, 540}, {1920, 540, 960, 540}}
        << qint64(960 * 540) << 0.25;
    QTest::newRow("unit left of the origin")
        << 960 << 1080 << Units{{7, {-10, 0, 970, 1080}}} << 1 << Rects{} << qint64(0) << 0u
        << qint64(10 * 1080) << Rects{{-10, 0, 10, 1080}} << qint64(960 * 1080) << 1.0;
    QTest::newRow("sizes 0 are unused ports")
        << 1920 << 1080
        << Units{{0, {0, 0, 0, 0}},
                 {1, {0, 0, 1920, 1080}},
                 {2, {0, 0, 1920, 0}},
                 {3, {5, 5, 0, 1080}}}
        << 1 << Rects{} << qint64(0) << 0u << qint64(0) << Rects{} << qint64(1920 * 1080) << 1.0;
    QTest::newRow("wall without units is one gap")
        << 1920 << 1080 << Units{{4, {0, 0, 0, 0}}} << 0 << Rects{{0, 0, 1920, 1080}} << qint64(0)
        << 0u << qint64(0) << Rects{} << qint64(-1) << 0.0;
    QTest::newRow("wall of size 0")
        << 0 << 0 << Units{{0, {0, 0, 1920, 1080}}} << 1 << Rects{} << qint64(0) << 0u
        << qint64(1920 * 1080) << Rects{{0, 0, 1920, 1080}} << qint64(0) << 0.0;
    // Edges far beyond 32 bits when added, as a damaged record may hold.
    QTest::newRow("huge unit") << 65535 << 65535 << Units{{1, {0, 0, 2147483647, 65535}}} << 1
                               << Rects{} << qint64(0) << 0u << qint64(2147483647 - 65535) * 65535
                               << Rects{{65535, 0, 2147483647 - 65535, 65535}}
                               << qint64(65535) * 65535 << 1.0;
}

void TestCoverage::wall()
{
    QFETCH(int, wall_w);
    QFETCH(int, wall_h);
    QFETCH(Units, units);
    const codec::WallReport r = codec::wall_coverage(WallLayout{{wall_w, wall_h}, units});

    QTEST(int(r.units.size()), "used");
    QTEST(r.gaps, "gaps");
    qint64 gap_pixels = 0;
    for (const DevRect &g : r.gaps)
        gap_pixels += qint64(g.w) * g.h;
    QCOMPARE(r.gap_pixels, gap_pixels);
    QTEST(r.overlap_pixels, "overlap_pixels");
    QTEST(r.overlap_ports, "overlap_ports");
    QTEST(r.outside_pixels, "outside_pixels");
    Rects outside;
    for (const codec::OutsidePart &o : r.outside)
        outside.append(o.rect);
    QTEST(outside, "outside");
    QFETCH(qint64, first_share_pixels);
    if (first_share_pixels >= 0) {
        QCOMPARE(r.shares.value(0).pixels, first_share_pixels);
        QTEST(r.shares.value(0).share, "first_share");
    }
    // What is painted once, painted twice or more and left open is the wall.
    qint64 painted = 0;
    for (const codec::PortShare &s : r.shares)
        painted += s.pixels;
    qint64 overlap_depth = 0; // extra coats beyond the first
    for (const codec::OverlapRegion &o : r.overlaps) {
        int coats = 0;
        for (unsigned m = o.ports; m; m &= m - 1)
            ++coats;
        overlap_depth += qint64(o.rect.w) * o.rect.h * (coats - 1);
    }
    QCOMPARE(painted - overlap_depth + r.gap_pixels, qint64(std::max(0, wall_w)) * wall_h);
}

void TestCoverage::mode_walls()
{
    DeviceData d;
    d.out_card_present[0] = d.out_card_present[1] = 1;
    ModeData &m = d.mode_data[5];
    m.out_total_w = 3840;
    m.out_total_h = 1080;
    for (int w = 0; w < 4; ++w)
        m.wall_size[w] = {1920 + w, 1080};
    // Two ports per wall, side by side; the last wall index is damaged.
    const int screens[8] = {0, 0, 1, 1, 2, 2, 3, 9};
    for (int i = 0; i < 8; ++i) {
        m.led_screen[i] = screens[i];
        m.unit_rect[i / 4][i % 4] = DevRect{(i % 2) * 960, 0, 960 + (i % 2) * (i / 2), 1080};
    }

    d.mosaic_on = 1;
    QVector<codec::WallReport> r = codec::mode_coverage(d, 5);
    QCOMPARE(r.size(), 4);
    for (int w = 0; w < 4; ++w) {
        QCOMPARE(r[w].size.w, 1920 + w);
        QCOMPARE((QVector<int>{r[w].units.value(0).port, r[w].units.value(1).port}),
                 (QVector<int>{2 * w, 2 * w + 1}));
        QCOMPARE(r[w].gap_pixels, qint64(0));
        QCOMPARE(r[w].overlap_pixels, qint64(0));
    }

    // Without OutB its ports paint nothing.
    d.out_card_present[1] = 0;
    r = codec::mode_coverage(d, 5);
    QCOMPARE(r[2].units.size(), 0);
    QCOMPARE(r[2].gap_pixels, qint64(1922) * 1080);

    // One wall: every fitted port on it, whatever led_screen says.
    d.mosaic_on = 0;
    r = codec::mode_coverage(d, 5);
    QCOMPARE(r.size(), 1);
    QCOMPARE(r[0].size.w, 3840);
    QCOMPARE(r[0].units.size(), 4);
    QCOMPARE(r[0].overlap_ports, bit(0) | bit(1) | bit(2) | bit(3));
    QCOMPARE(r[0].gap_pixels, qint64(3840 - 1921) * 1080);
}

void TestCoverage::new_problems_data()
{
    QTest::addColumn<QVector<WallLayout>>("before");
    QTest::addColumn<QVector<WallLayout>>("after");
    QTest::addColumn<QStringList>("problems");

    const Units pair{{0, {0, 0, 1920, 1080}}, {1, {1920, 0, 1920, 1080}}};
    const auto one = [](const Units &u) { return QVector<WallLayout>{{{3840, 1080}, u}}; };

    QTest::newRow("no change") << one(pair) << one(pair) << QStringList{};
    QTest::newRow("a shift opens a gap and an overlap")
        << one(pair) << one(with(pair, 1, {1919, 0, 1920, 1080}))
        << QStringList{"overlap w0 0/1 1919,0 1x1080", "gap w0 0/0 3839,0 1x1080"};
    QTest::newRow("a smaller old overlap is no news")
        << one(with(pair, 1, {1918, 0, 1922, 1080})) << one(with(pair, 1, {1919, 0, 1921, 1080}))
        << QStringList{};
    QTest::newRow("a growing overlap is")
        << one(with(pair, 1, {1919, 0, 1921, 1080})) << one(with(pair, 1, {1918, 0, 1922, 1080}))
        << QStringList{"overlap w0 0/1 1918,0 2x1080"};
    QTest::newRow("a narrower old gap is no news")
        << one(with(pair, 1, {1922, 0, 1918, 1080})) << one(with(pair, 1, {1921, 0, 1919, 1080}))
        << QStringList{};
    QTest::newRow("a port used for the first time")
        << one(with(pair, 1, {0, 0, 0, 0})) << one(with(pair, 1, {1000, 0, 1920, 1080}))
        << QStringList{"overlap w0 0/1 1000,0 920x1080"};
    QTest::newRow("a unit set to size 0") << one(pair) << one(with(pair, 0, {0, 0, 0, 1080}))
                                          << QStringList{"gap w0 0/0 0,0 1920x1080"};
    QTest::newRow("outside the wall is not an overlap")
        << one(pair) << one(with(pair, 0, {3840, 0, 1920, 1080}))
        << QStringList{"gap w0 0/0 0,0 1920x1080"};

    // A port moved to another wall leaves its old place open there.
    const QVector<WallLayout> two{{{1920, 1080}, {{0, {0, 0, 1920, 1080}}}},
                                  {{1920, 1080}, {{4, {0, 0, 1920, 1080}}}}};
    QVector<WallLayout> moved = two;
    moved[0].units.clear();
    moved[1].units.append(CoverageUnit{0, {0, 540, 1920, 540}});
    QTest::newRow("moved to another wall")
        << two << moved << QStringList{"gap w0 0/0 0,0 1920x1080", "overlap w1 0/4 0,540 1920x540"};
}

void TestCoverage::new_problems()
{
    QFETCH(QVector<WallLayout>, before);
    QFETCH(QVector<WallLayout>, after);
    QStringList seen;
    for (const CoverageProblem &p : codec::new_coverage_problems(before, after))
        seen << problem_text(p);
    QTEST(seen, "problems");
}

QTEST_GUILESS_MAIN(TestCoverage)
#include "tst_coverage.moc"
