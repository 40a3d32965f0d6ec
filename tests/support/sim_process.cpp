#include "support/sim_process.h"

#include <QElapsedTimer>

bool start_sim_process(QProcess &device, const QString &program, const QStringList &extra,
                       quint16 &port, QString &pty)
{
    port = 0;
    pty.clear();
    device.start(program, QStringList{"--tcp-port", "0", "--serial"} + extra);
    QElapsedTimer started;
    started.start();
    while ((port == 0 || pty.isEmpty()) && started.elapsed() < 10000) {
        if (!device.canReadLine()) {
            device.waitForReadyRead(500);
            continue;
        }
        const QString line = QString::fromUtf8(device.readLine()).trimmed();
        if (line.startsWith(QLatin1String("tcp ")))
            port = quint16(line.section(QLatin1Char(':'), -1).toUInt());
        else if (line.startsWith(QLatin1String("serial ")))
            pty = line.section(QLatin1Char(' '), 1, 1);
    }
    return port != 0 && !pty.isEmpty();
}
