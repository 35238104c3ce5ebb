// fieldlink-helpdoc GUIDE.md OUT.pdf [OUT.html]: the user guide as the help document About's Help button
// opens, and as HTML, laid out by Qt's own text engine (no other toolchain at build time). Pictures named
// "images/NAME.png" in the guide are taken from the output's folder first (the build's window grabs),
// then from the guide's own folder.
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextImageFormat>
#include <QUrl>
#include <cstdio>

namespace {

class GuideDocument : public QTextDocument {
  public:
    QStringList folders;
    QStringList missing;

    QString Find(const QString& name) const {
        for (const QString& f : folders)
            if (QFileInfo::exists(f + "/" + name)) return f + "/" + name;
        return {};
    }

  protected:
    QVariant loadResource(int type, const QUrl& url) override {
        if (type == QTextDocument::ImageResource) {
            const QString path = Find(url.toString());
            QImage image;
            if (path.isEmpty() || !image.load(path)) {
                missing << url.toString();
                return {};
            }
            return image;
        }
        return QTextDocument::loadResource(type, url);
    }
};

// Every picture at most `width` wide (page units), keeping its aspect.
void FitImages(GuideDocument& doc, double width) {
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment f = it.fragment();
            if (!f.charFormat().isImageFormat()) continue;
            QTextImageFormat format = f.charFormat().toImageFormat();
            const QImage image =
                doc.resource(QTextDocument::ImageResource, QUrl(format.name())).value<QImage>();
            if (image.isNull()) continue;
            const double w = std::min<double>(width, image.width());
            format.setWidth(w);
            format.setHeight(w * image.height() / image.width());
            QTextCursor c(&doc);
            c.setPosition(f.position());
            c.setPosition(f.position() + f.length(), QTextCursor::KeepAnchor);
            c.setCharFormat(format);
        }
}

bool Replace(const QString& part, const QString& target) {
    QFile::remove(target);
    return QFile::rename(part, target);
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: fieldlink-helpdoc GUIDE.md OUT.pdf [OUT.html]\n");
        return 2;
    }
    QFile in(QString::fromLocal8Bit(argv[1]));
    if (!in.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "fieldlink-helpdoc: cannot read %s\n", argv[1]);
        return 1;
    }
    const QString target = QString::fromLocal8Bit(argv[2]);
    GuideDocument doc;
    doc.folders = {QFileInfo(target).absolutePath(), QFileInfo(in.fileName()).absolutePath()};
    QFont font("Liberation Sans");
    font.setPointSizeF(10);
    doc.setDefaultFont(font);
    doc.setDefaultStyleSheet(
        "h1 { color: #223c60; } h2 { color: #223c60; } code, pre { font-family: 'Liberation Mono'; }"
        "table { border-collapse: collapse; } td, th { padding: 3px; }");
    doc.setMarkdown(QString::fromUtf8(in.readAll()));
    FitImages(doc, 460);
    if (!doc.missing.isEmpty()) {
        std::fprintf(stderr, "fieldlink-helpdoc: no picture %s\n", qPrintable(doc.missing.join(", ")));
        return 1;
    }
    // Written beside the target first, so a failed run leaves no half document behind.
    const QString part = target + ".part";
    {
        QPdfWriter writer(part);
        writer.setTitle("Quarn Fieldlink Software - user guide");
        writer.setCreator("Fieldlink");
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                         QMarginsF(18, 18, 18, 18), QPageLayout::Millimeter));
        doc.print(&writer);
    }
    if (!Replace(part, target)) {
        std::fprintf(stderr, "fieldlink-helpdoc: cannot write %s\n", argv[2]);
        return 1;
    }
    if (argc == 4) {
        const QString html = QString::fromLocal8Bit(argv[3]);
        QFile out(html + ".part");
        if (!out.open(QIODevice::WriteOnly) || out.write(doc.toHtml().toUtf8()) < 0 || !out.flush() ||
            (out.close(), !Replace(html + ".part", html))) {
            std::fprintf(stderr, "fieldlink-helpdoc: cannot write %s\n", argv[3]);
            return 1;
        }
    }
    return 0;
}
