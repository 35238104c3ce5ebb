// fieldlink: the desktop application.
#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>

#include "CMainFrame.h"
#include "SingleInstance.h"

namespace {

void Describe(QCommandLineParser& parser, const QCommandLineOption& demo) {
    parser.setApplicationDescription(
        "Quarn Fieldlink Software: fetch, view, print and export the traces of Quarn handheld RF "
        "instruments\n"
        "over a serial line or the LAN, transfer the instrument's files and edit its tables.");
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption(demo);
    parser.addPositionalArgument("file",
                                 "A trace file (.qtr, .qtm) or an editor file (.qlm, .qel, .qsy, .qct, "
                                 ".qaf, .qcf, .qed) to open.");
}

void Name(QCoreApplication& app) {
    app.setOrganizationName("Zarnell");
    app.setApplicationName("Fieldlink");
    app.setApplicationVersion(FIELDLINK_VERSION);
}

}  // namespace

int main(int argc, char** argv) {
    const QCommandLineOption demo("demo",
                                  "Start with a simulated instrument on this computer and connect to it.");
    // --help and --version answer without a display (man pages are made from them at build time).
    for (int i = 1; i < argc; ++i) {
        const QByteArray a(argv[i]);
        if (a == "--help" || a == "-h" || a == "--version" || a == "-v" || a == "--help-all") {
            QCoreApplication core(argc, argv);
            Name(core);
            QCommandLineParser parser;
            Describe(parser, demo);
            parser.process(core);  // prints and exits
        }
    }
    QApplication app(argc, argv);
    Name(app);
    QApplication::setApplicationDisplayName("Quarn Fieldlink Software");

    QCommandLineParser parser;
    Describe(parser, demo);
    parser.process(app);

    QStringList files;
    for (const QString& f : parser.positionalArguments())
        files << QFileInfo(f).absoluteFilePath();
    // Files for a program that runs already go to it; this start ends there.
    if (!files.isEmpty() && !parser.isSet(demo) && fl::SingleInstance::HandOver(files)) return 0;

    fl::CMainFrame frame;
    frame.showMaximized();
    fl::SingleInstance instance([&frame](const QStringList& more) { frame.OpenFromCommandLine(more); });
    frame.StartUp(files.isEmpty() ? QString() : files.first(), parser.isSet(demo));
    if (files.size() > 1) frame.OpenFromCommandLine(files.mid(1));
    return app.exec();
}
