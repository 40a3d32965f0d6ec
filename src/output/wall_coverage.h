#pragma once

#include <QDialog>
#include <QList>
#include <QVector>

#include "output/coverage_codec.h"
#include "ui_wallcoverage.h"

class QLabel;

// One LED wall drawn to scale: the wall, each unit with its port and
// rectangle, gaps hatched red, overlaps hatched orange, the parts of units
// outside the wall outlined.
class WallPicture : public QWidget
{
public:
    explicit WallPicture(QWidget *parent = nullptr);
    void set_report(const codec::WallReport &report);
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    codec::WallReport m_report;
};

// The coverage map of the current output mode's walls: one picture and one
// summary line (`summaryLabel`) per wall. It reads the records only.
class WallCoverage : public QDialog
{
    Q_OBJECT

public:
    explicit WallCoverage(QWidget *parent = nullptr);

    // Rebuilds the walls of `mode` from the records.
    void show_mode(const DeviceData &d, int mode);
    // Captions and summaries in the current language.
    void apply_texts();

private:
    void rebuild_walls();

    Ui::WallCoverageClass ui;
    QVector<codec::WallReport> m_reports;
    QList<WallPicture *> m_pictures;
    QList<QLabel *> m_summaries;
    int m_mode = 0;
};

// "Wall 1: 3840 x 2160, 8 ports, no gaps, no overlaps", or the gap and
// overlap pixel counts with the ports involved, in the interface language.
QString coverage_summary(int wall, const codec::WallReport &report);
// "OutA:DVI-2" for port card * 4 + port.
QString coverage_port_name(int port);
