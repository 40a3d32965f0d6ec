#include <QApplication>
#include <QCommandLineParser>
#include <QPushButton>
#include <QStyleFactory>
#include <QTimer>

#include <memory>

#include "app/tesselview.h"

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    // Names the user's configuration folder, whatever the executable is called.
    QApplication::setApplicationName(QStringLiteral("tessel"));
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("windows")));

    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption portOption(QStringLiteral("port"),
                                        QStringLiteral("Network port shown instead of 7."),
                                        QStringLiteral("N"));
    const QCommandLineOption serialOption(QStringLiteral("serial-port"),
                                          QStringLiteral("Extra serial port to list."),
                                          QStringLiteral("PATH"));
    const QCommandLineOption addressOption(
        QStringLiteral("address"), QStringLiteral("Device address shown instead of the saved one."),
        QStringLiteral("ADDRESS"));
    const QCommandLineOption connectOption(QStringLiteral("connect"),
                                           QStringLiteral("Press Connect once the window is shown."));
    parser.addOptions({portOption, serialOption, addressOption, connectOption});
    parser.process(app);

    auto window = std::make_unique<TesselView>();
    for (const QString &path : parser.values(serialOption))
        window->add_extra_serial_port(path);
    if (parser.isSet(portOption))
        window->set_port_text(parser.value(portOption));
    if (parser.isSet(addressOption))
        window->set_address_text(parser.value(addressOption));
    window->show();
    if (parser.isSet(connectOption)) {
        // The same click an operator makes, from the event loop.
        QTimer::singleShot(0, window.get(), [w = window.get()] {
            if (auto *button = w->findChild<QPushButton *>(QStringLiteral("connectBtn")))
                button->click();
        });
    }
    const int code = app.exec();
    window.reset(); // the window goes before the application
    return code;
}
