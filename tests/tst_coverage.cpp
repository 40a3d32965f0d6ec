// Wall coverage: gaps, overlaps, outside parts, shares, mode walls, new problems.

#include <QtTest>

#include "output/coverage_codec.h"

using namespace codec;
using Units = QVector<CoverageUnit>;

namespace {

// 960 x 1080 units tiling 3840 x 2160, OutA on top; port = card * 4 + DVI index.
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

QString rect(const DevRect &r)
{
    return QString::asprintf("%d,%d %dx%d", r.x, r.y, r.w, r.h);
}

// A report in one line: size, ports in use, gap pixels and rectangles, overlap
// pixels / ports, outside pixels and parts, the first port's pixels.
QString text(const WallReport &r)
{
    QString ports, gaps, outside;
    for (const CoverageUnit &u : r.units)
        ports += QString::number(u.port);
    for (const DevRect &g : r.gaps)
        gaps += ' ' + rect(g);
    for (const OutsidePart &o : r.outside)
        outside += ' ' + rect(o.rect);
    return QString::asprintf("%dx%d p%s gap %lld%s over %lld/%x out %lld%s", r.size.w, r.size.h,
                             qPrintable(ports), r.gap_pixels, qPrintable(gaps), r.overlap_pixels,
                             r.overlap_ports, r.outside_pixels, qPrintable(outside)) +
           (r.shares.isEmpty() ? "" : QString::asprintf(" share %lld", r.shares[0].pixels));
}

} // namespace

class TestCoverage : public QObject
{
    Q_OBJECT

private slots:
    void wall()
    {
        const auto check = [](int w, int h, const Units &units, const char *report, double share) {
            const WallReport r = wall_coverage(WallLayout{{w, h}, units});
            QCOMPARE(text(r), QString(report));
            QCOMPARE(r.shares.value(0).share, share);
            // Painted once, more often (extra coats taken off) and open make up the wall.
            qint64 sum = r.gap_pixels;
            for (const PortShare &s : r.shares)
                sum += s.pixels;
            for (const OverlapRegion &o : r.overlaps)
                sum -= qint64(o.rect.w) * o.rect.h * (qPopulationCount(o.ports) - 1);
            QCOMPARE(sum, qint64(std::max(0, w)) * h);
        };
        check(3840, 2160, tiled(), "3840x2160 p01234567 gap 0 over 0/0 out 0 share 1036800", 0.125);
        // OutA:DVI-2 one pixel to the left: it overlaps DVI-1 and leaves a column open.
        check(3840, 2160, with(tiled(), 1, {959, 0, 960, 1080}),
              "3840x2160 p01234567 gap 1080 1919,0 1x1080 over 1080/3 out 0 share 1036800", 0.125);
        // Three ports on the same pixels count once: 100 * 100 * 2 - 50 * 50.
        check(1920, 1080, {{0, {0, 0, 1920, 1080}}, {5, {0, 0, 100, 100}}, {6, {50, 50, 100, 100}}},
              "1920x1080 p056 gap 0 over 17500/61 out 0 share 2073600", 1.0);
        // A quarter inside: outside below and right, open above and left.
        check(1920, 1080, {{2, {960, 540, 1920, 1080}}},
              "1920x1080 p2 gap 1555200 0,0 1920x540 0,540 960x540 over 0/0 out 1555200 "
              "960,1080 1920x540 1920,540 960x540 share 518400",
              0.25);
        check(960, 1080, {{7, {-10, 0, 970, 1080}}},
              "960x1080 p7 gap 0 over 0/0 out 10800 -10,0 10x1080 share 1036800", 1.0);
        // Sizes 0 are unused ports; a wall without units is one gap.
        check(1920, 1080,
              {{0, {}}, {1, {0, 0, 1920, 1080}}, {2, {0, 0, 1920, 0}}, {3, {5, 5, 0, 1080}}},
              "1920x1080 p1 gap 0 over 0/0 out 0 share 2073600", 1.0);
        check(1920, 1080, {{4, {}}}, "1920x1080 p gap 2073600 0,0 1920x1080 over 0/0 out 0", 0.0);
        check(0, 0, {{0, {0, 0, 1920, 1080}}},
              "0x0 p0 gap 0 over 0/0 out 2073600 0,0 1920x1080 share 0", 0.0);
        // Edges far beyond 32 bits when added, as a damaged record may hold.
        check(65535, 65535, {{1, {0, 0, 2147483647, 65535}}},
              "65535x65535 p1 gap 0 over 0/0 out 140731045969920 65535,0 2147418112x65535 "
              "share 4294836225",
              1.0);
    }

    void mode_walls()
    {
        DeviceData d;
        d.out_card_present[0] = d.out_card_present[1] = d.mosaic_on = 1;
        ModeData &m = d.mode_data[5];
        m.out_total_w = 3840;
        m.out_total_h = 1080;
        // Wall w, 1920 + w wide, tiled by ports 2w and 2w + 1; port 7's wall damaged.
        for (int i = 0; i < 8; ++i) {
            m.wall_size[i / 2] = {1920 + i / 2, 1080};
            m.led_screen[i] = i == 7 ? 9 : i / 2;
            m.unit_rect[i / 4][i % 4] = DevRect{(i % 2) * 960, 0, 960 + (i % 2) * (i / 2), 1080};
        }
        const auto walls = [&d] {
            QStringList t;
            for (const WallReport &r : mode_coverage(d, 5))
                t << text(r);
            return t;
        };
        QStringList four{"1920x1080 p01 gap 0 over 0/0 out 0 share 1036800",
                         "1921x1080 p23 gap 0 over 0/0 out 0 share 1036800",
                         "1922x1080 p45 gap 0 over 0/0 out 0 share 1036800",
                         "1923x1080 p67 gap 0 over 0/0 out 0 share 1036800"};
        QCOMPARE(walls(), four);
        // Without OutB its ports paint nothing.
        d.out_card_present[1] = 0;
        four[2] = "1922x1080 p gap 2075760 0,0 1922x1080 over 0/0 out 0";
        four[3] = "1923x1080 p gap 2076840 0,0 1923x1080 over 0/0 out 0";
        QCOMPARE(walls(), four);
        // One wall: every fitted port on it, whatever led_screen says.
        d.mosaic_on = 0;
        QCOMPARE(walls(), QStringList{"3840x1080 p0123 gap 2072520 1921,0 1919x1080 "
                                      "over 2073600/f out 0 share 1036800"});
    }

    void new_problems()
    {
        const auto check = [](const QVector<WallLayout> &before, const QVector<WallLayout> &after,
                              const QStringList &expected) {
            QStringList seen;
            for (const CoverageProblem &p : new_coverage_problems(before, after)) {
                const char *kind = p.kind == CoverageProblem::Gap ? "gap" : "overlap";
                seen << QString::asprintf("%s w%d %d/%d ", kind, p.wall, p.port_a, p.port_b) +
                            rect(p.rect);
            }
            QCOMPARE(seen, expected);
        };
        const Units pair{{0, {0, 0, 1920, 1080}}, {1, {1920, 0, 1920, 1080}}};
        const auto one = [](const Units &u) { return QVector<WallLayout>{{{3840, 1080}, u}}; };
        const auto moved = [&](DevRect rect) { return one(with(pair, 1, rect)); };

        check(one(pair), one(pair), {});
        check(one(pair), moved({1919, 0, 1920, 1080}),
              {"overlap w0 0/1 1919,0 1x1080", "gap w0 0/0 3839,0 1x1080"});
        // A smaller old overlap is no news, a growing one is; so is a narrower old gap.
        check(moved({1918, 0, 1922, 1080}), moved({1919, 0, 1921, 1080}), {});
        check(moved({1919, 0, 1921, 1080}), moved({1918, 0, 1922, 1080}),
              {"overlap w0 0/1 1918,0 2x1080"});
        check(moved({1922, 0, 1918, 1080}), moved({1921, 0, 1919, 1080}), {});
        check(moved({}), moved({1000, 0, 1920, 1080}),
              {"overlap w0 0/1 1000,0 920x1080"}); // new port
        // A unit set to size 0, or moved outside the wall (which is no overlap).
        check(one(pair), one(with(pair, 0, {0, 0, 0, 1080})), {"gap w0 0/0 0,0 1920x1080"});
        check(one(pair), one(with(pair, 0, {3840, 0, 1920, 1080})), {"gap w0 0/0 0,0 1920x1080"});

        // A port moved to another wall leaves its old place open there.
        const CoverageUnit a{0, {0, 0, 1920, 1080}}, b{4, {0, 0, 1920, 1080}};
        check({{{1920, 1080}, {a}}, {{1920, 1080}, {b}}},
              {{{1920, 1080}, {}}, {{1920, 1080}, {b, {0, {0, 540, 1920, 540}}}}},
              {"gap w0 0/0 0,0 1920x1080", "overlap w1 0/4 0,540 1920x540"});
    }
};

QTEST_GUILESS_MAIN(TestCoverage)
#include "tst_coverage.moc"
