// fieldlink-helpdoc MARKDOWN PDF: the user guide as the help document About's Help button opens, laid out
// by Qt's own text engine (no other toolchain at build time).
#include <QFile>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextDocument>
#include <cstdio>

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: fieldlink-helpdoc GUIDE.md OUT.pdf\n");
        return 2;
    }
    QFile in(QString::fromLocal8Bit(argv[1]));
    if (!in.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "fieldlink-helpdoc: cannot read %s\n", argv[1]);
        return 1;
    }
    QTextDocument doc;
    QFont font("Liberation Sans");
    font.setPointSizeF(10);
    doc.setDefaultFont(font);
    doc.setDefaultStyleSheet(
        "h1 { color: #223c60; } h2 { color: #223c60; } code, pre { font-family: 'Liberation Mono'; }"
        "table { border-collapse: collapse; } td, th { padding: 3px; }");
    doc.setMarkdown(QString::fromUtf8(in.readAll()));
    // Written beside the target first, so a failed run leaves no half document behind.
    const QString target = QString::fromLocal8Bit(argv[2]);
    const QString part = target + ".part";
    {
        QPdfWriter writer(part);
        writer.setTitle("Quarn Fieldlink Software - user guide");
        writer.setCreator("Fieldlink");
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                         QMarginsF(18, 18, 18, 18), QPageLayout::Millimeter));
        doc.print(&writer);
    }
    QFile::remove(target);
    if (!QFile::rename(part, target)) {
        std::fprintf(stderr, "fieldlink-helpdoc: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
