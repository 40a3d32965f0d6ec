#include "support/link_setup.h"

#include <QTest>

#include "app/tesselview.h"
#include "device/device_data.h"
#include "widgets/qiplineedit.h"

bool connect_view(TesselView &view, quint16 tcp_port, const QString &pty, bool serial)
{
    auto &ui = view.form();
    if (serial) {
        if (pty.isEmpty())
            return false;
        view.add_extra_serial_port(pty);
        ui.serialradioBtn->click();
        ui.serialBox->setCurrentText(pty);
    } else {
        ui.webradioBtn->click();
        view.set_port_text(QString::number(tcp_port));
        view.ip_editor()->setText(QStringLiteral("127.0.0.1"));
    }
    QTest::mouseClick(ui.connectBtn, Qt::LeftButton);
    return serial ? device_data.serial_open == 1 : device_data.net_open == 1;
}

void add_link_rows()
{
    QTest::addColumn<bool>("serial");
    QTest::newRow("serial") << true;
    QTest::newRow("network") << false;
}
