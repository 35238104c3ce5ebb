// Printing through the real print path into PDF files: one page per trace window, the page orientation of
// each document, and the graph where the print mapping puts it (read back from the rendered PDF page).
//
// The mapping, worked out by hand for pages with every parameter panel hidden:
//  - landscape: page 8300 x 6800 fitted to 800 x 600 (800/600 >= 8300/6800) gives 9066 x 6800;
//  - portrait: page 6700 x 8600 fitted to 664 x 800 (664/800 >= 6700/8600) gives 7138 x 8600;
//  - without header texts the window spans the fitted width and the fitted height + 300 with the origin
//    (-400, 1000); with header texts the fitted height + 2000 with the origin (-400, 2700);
//  - isotropic: one scale s = min(printable width / extent x, printable height / extent y) from the
//    printable area's top-left corner, so the graph's top-left corner (0, 0) lands at (400 s, origin y * s).
#include <QPageSetupDialog>
#include <QPrinter>
#include <QProcess>
#include <QSettings>
#include <QtTest>
#include <filesystem>

#include "AppTestUtil.h"

using namespace fl;
using fl::test::Shell;

namespace {

constexpr int kDpi = 50;

struct Found {
    int left = -1, top = -1, length = 0;
};

// The graph frame's left edge: the leftmost column whose dark run is (nearly) the longest vertical line on
// the page, and the row where that run starts.
Found FindGraph(const QImage& img) {
    std::vector<Found> columns(img.width());
    int longest = 0;
    for (int x = 0; x < img.width(); ++x) {
        int run = 0, start = 0;
        for (int y = 0; y < img.height(); ++y) {
            if (qGray(img.pixel(x, y)) < 110) {
                if (run++ == 0) start = y;
                if (run > columns[x].length) columns[x] = {x, start, run};
            } else {
                run = 0;
            }
        }
        longest = std::max(longest, columns[x].length);
    }
    for (const Found& c : columns)
        if (c.length >= longest * 9 / 10) return c;
    return {};
}

QString Pdfinfo(const QString& pdf) {
    QProcess p;
    p.start("pdfinfo", {"-f", "1", "-l", "9", pdf});
    p.waitForFinished(20000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

QImage RenderPdfPage(const QString& pdf, int page, const std::string& folder) {
    const QString prefix = QString::fromStdString(folder) + "/page";
    QProcess p;
    p.start("pdftoppm", {"-r", QString::number(kDpi), "-f", QString::number(page), "-l",
                         QString::number(page), "-singlefile", "-png", pdf, prefix});
    p.waitForFinished(20000);
    return QImage(prefix + ".png");
}

}  // namespace

class PrintTest : public QObject {
    Q_OBJECT

    void SetHeader(const QString& left, const QString& right) {
        QSettings s("Zarnell", "Fieldlink");
        s.beginGroup("SETTINGS");
        s.setValue("PHeadLeft", left);
        s.setValue("PHeadRight", right);
        s.sync();
        CMyQuarnView::SettingsChanged();  // as the Additional Information dialog does on Save
    }

  private slots:
    void initTestCase() {
        test::UseTestHome(m_home);
        if (QStandardPaths::findExecutable("pdftoppm").isEmpty())
            QSKIP("pdftoppm (poppler-utils) is missing");
    }

    void printedPagePutsTheGraphWhereTheMappingSays_data() {
        QTest::addColumn<bool>("landscape");
        QTest::addColumn<bool>("header");
        QTest::addColumn<double>("extentX");
        QTest::addColumn<double>("extentY");
        QTest::addColumn<double>("originY");
        QTest::newRow("landscape") << true << false << 9066.0 << 7100.0 << 1000.0;
        QTest::newRow("landscape with header") << true << true << 9066.0 << 8800.0 << 2700.0;
        QTest::newRow("portrait") << false << false << 7138.0 << 8900.0 << 1000.0;
        QTest::newRow("portrait with header") << false << true << 7138.0 << 10600.0 << 2700.0;
    }

    void printedPagePutsTheGraphWhereTheMappingSays() {
        QFETCH(bool, landscape);
        QFETCH(bool, header);
        QFETCH(double, extentX);
        QFETCH(double, extentY);
        QFETCH(double, originY);
        SetHeader(header ? "Site survey\nNorth 7" : "", header ? "J. Berg" : "");
        test::TempDir dir;
        Shell f;
        QVERIFY(f->Documents().OpenFile(QString::fromStdString(test::SamplePath("SPECTRUM.qtr"))));
        f.Trigger("view.hide-all-parameters");
        if (!landscape) f.Trigger("view.portrait");
        QCOMPARE(f->ActiveFrame()->Document().m_nOrientation != 0, landscape);
        const QString pdf = QString::fromStdString(dir / "page.pdf");
        QPrinter& printer = f->Documents().Printer();
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        f.onDialog = [](QDialog& d) { return d.inherits("QPrintDialog") ? int(QDialog::Accepted) : 0; };
        f.Trigger("print");
        QCOMPARE(f.dialogs, QStringList({"QPrintDialog"}));
        QVERIFY(QFileInfo::exists(pdf));
        QVERIFY(Pdfinfo(pdf).contains(QRegularExpression("Pages:\\s+1\\n")));

        const QImage img = RenderPdfPage(pdf, 1, dir.path());
        QVERIFY(!img.isNull());
        QCOMPARE(img.width() > img.height(), landscape);
        // The printable area in the rendered page's pixels.
        const QPageLayout layout = printer.pageLayout();
        const QRectF paper = layout.fullRect(QPageLayout::Point);
        const QRectF paint = layout.paintRect(QPageLayout::Point);
        const double px = img.width() / paper.width();
        const double s = std::min(paint.width() / extentX, paint.height() / extentY) * px;
        const Found g = FindGraph(img);
        QVERIFY(g.left >= 0);
        const double expectLeft = paint.left() * px + 400 * s;
        const double expectTop = paint.top() * px + originY * s;
        QVERIFY2(std::abs(g.left - expectLeft) <= 2,
                 qPrintable(QString("left %1, expected %2").arg(g.left).arg(expectLeft)));
        QVERIFY2(std::abs(g.top - expectTop) <= 2,
                 qPrintable(QString("top %1, expected %2").arg(g.top).arg(expectTop)));
        SetHeader("", "");
    }

    void printOpenDocumentsPrintsEveryWindowOnce() {
        test::TempDir dir;
        Shell f;
        QVERIFY(f->Documents().OpenFile(QString::fromStdString(test::SamplePath("SPECTRUM.qtr"))));
        QVERIFY(f->Documents().OpenFile(QString::fromStdString(test::SamplePath("CPOWER.qtm"))));
        f.Trigger("view.portrait");
        QVERIFY(f->Documents().OpenFile(QString::fromStdString(test::SamplePath("EMF.qtr"))));
        const QString pdf = QString::fromStdString(dir / "all.pdf");
        QPrinter& printer = f->Documents().Printer();
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        f.onDialog = [](QDialog& d) { return d.inherits("QPrintDialog") ? int(QDialog::Accepted) : 0; };
        f.Trigger("printall");
        QCOMPARE(f.dialogs, QStringList({"QPrintDialog"}));  // one dialog for all
        const QString info = Pdfinfo(pdf);
        QVERIFY2(info.contains(QRegularExpression("Pages:\\s+3\\n")), qPrintable(info));
        // Each page in its own document's orientation: the active EMF window first, then SPECTRUM
        // (landscape) and CPOWER (portrait) in window order.
        const QList<CChildFrame*> frames = f->Frames();
        const bool landscape[3] = {frames[2]->Document().m_nOrientation != 0, true, false};
        QCOMPARE(frames[0]->Document().m_nOrientation != 0, landscape[1]);
        QCOMPARE(frames[1]->Document().m_nOrientation != 0, landscape[2]);
        for (int page = 1; page <= 3; ++page) {
            const QImage img = RenderPdfPage(pdf, page, dir.path());
            QVERIFY(!img.isNull());
            QCOMPARE(img.width() > img.height(), landscape[page - 1]);
        }
        f.Trigger("view.landscape");  // the default back to landscape
    }

    void printSetupChangesThePrinterEveryPrintUses() {
        Shell f;
        QVERIFY(f->Documents().OpenFile(QString::fromStdString(test::SamplePath("SPECTRUM.qtr"))));
        // The user picks portrait in Page Setup for this landscape trace.
        f.onDialog = [](QDialog& d) {
            if (auto* setup = qobject_cast<QPageSetupDialog*>(&d)) {
                setup->printer()->setPageOrientation(QPageLayout::Portrait);
                return int(QDialog::Accepted);
            }
            return d.inherits("QPrintDialog") ? int(QDialog::Accepted) : int(QDialog::Rejected);
        };
        QPrinter& printer = f->Documents().Printer();
        printer.setPageSize(QPageSize(QPageSize::Letter));
        f.Trigger("printsetup");
        QCOMPARE(f.dialogs, QStringList({"QPageSetupDialog"}));
        QCOMPARE(&f->Documents().Printer(), &printer);  // one printer for the whole run
        QCOMPARE(printer.pageLayout().pageSize().id(), QPageSize::Letter);
        // The print follows the orientation chosen there.
        test::TempDir dir;
        const QString pdf = QString::fromStdString(dir / "setup.pdf");
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        f.Trigger("print");
        const QImage img = RenderPdfPage(pdf, 1, dir.path());
        QVERIFY(!img.isNull());
        QVERIFY(img.width() < img.height());
    }

  private:
    test::TempDir m_home;
};

QTEST_MAIN(PrintTest)
#include "PrintTest.moc"
