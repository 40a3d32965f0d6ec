#include <QApplication>
#include <QCommandLineParser>
#include <QStyleFactory>

#include <memory>

#include "app/tesselview.h"

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("windows")));

    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption portOption(QStringLiteral("port"),
                                        QStringLiteral("Network port shown instead of 7."),
                                        QStringLiteral("N"));
    const QCommandLineOption serialOption(QStringLiteral("serial-port"),
                                          QStringLiteral("Extra serial port to list."),
                                          QStringLiteral("PATH"));
    parser.addOption(portOption);
    parser.addOption(serialOption);
    parser.process(app);

    auto window = std::make_unique<TesselView>();
    for (const QString &path : parser.values(serialOption))
        window->add_extra_serial_port(path);
    if (parser.isSet(portOption))
        window->set_port_text(parser.value(portOption));
    window->show();
    const int code = app.exec();
    window.reset(); // the window goes before the application
    return code;
}
