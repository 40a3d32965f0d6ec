// Export, initialization and import against the simulated device on the serial link.

#include "maintenance_roundtrip.h"

class TestRoundTrip : public QObject
{
    Q_OBJECT

private slots:
    void round_trip() { run_round_trip(true); }
};

QTEST_MAIN(TestRoundTrip)
#include "tst_maintenance_roundtrip_serial.moc"
