#include "support/sim_process.h"

#include <QElapsedTimer>

bool start_sim_process(QProcess &device, const QString &program, const QStringList &args,
                       quint16 &port, QString *pty)
{
    device.start(program, args);
    QElapsedTimer started;
    started.start();
    port = 0;
    if (pty)
        pty->clear();
    while ((port == 0 || (pty && pty->isEmpty())) && started.elapsed() < 10000) {
        if (!device.canReadLine()) {
            device.waitForReadyRead(500);
            continue;
        }
        const QString line = QString::fromUtf8(device.readLine()).trimmed();
        if (line.startsWith(QLatin1String("tcp ")))
            port = quint16(line.section(QLatin1Char(':'), -1).toUInt());
        else if (pty && line.startsWith(QLatin1String("serial ")))
            *pty = line.section(QLatin1Char(' '), 1, 1);
    }
    return port != 0 && (!pty || !pty->isEmpty());
}

QStringList sim_on_both_links(const QStringList &extra)
{
    return QStringList{"--tcp-port", "0", "--serial"} + extra;
}
