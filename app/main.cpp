// fieldlink: the desktop application.
#include <QApplication>
#include <QCommandLineParser>

#include "CMainFrame.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setOrganizationName("Zarnell");
    QApplication::setApplicationName("Fieldlink");
    QApplication::setApplicationDisplayName("Quarn Fieldlink Software");
    QApplication::setApplicationVersion("5.10");

    QCommandLineParser parser;
    parser.setApplicationDescription("Quarn Fieldlink Software");
    parser.addHelpOption();
    parser.addVersionOption();
    QCommandLineOption demo("demo", "Start with a simulated instrument on this computer and connect to it.");
    parser.addOption(demo);
    parser.addPositionalArgument("file", "A trace file (.qtr, .qtm) or an editor file to open.");
    parser.process(app);

    fl::CMainFrame frame;
    frame.showMaximized();
    const QStringList files = parser.positionalArguments();
    frame.StartUp(files.isEmpty() ? QString() : files.first(), parser.isSet(demo));
    return app.exec();
}
