// File > Export > PDF Report, Map and CSV and Window > Compare Traces, run through their actions.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMenuBar>
#include <QProcess>

#include "AppTestUtil.h"
#include "CompareDialog.h"

namespace fl {

class SurveyTest : public QObject {
    Q_OBJECT

    static QString Sample(const char* name) { return QString::fromStdString(test::SamplePath(name)); }

    static int PdfPages(const QString& pdf) {
        QProcess p;
        p.start("pdfinfo", {pdf});
        p.waitForFinished();
        const QString out = QString::fromUtf8(p.readAllStandardOutput());
        const qsizetype at = out.indexOf("Pages:");
        return at < 0 ? -1 : out.mid(at + 6).section('\n', 0, 0).trimmed().toInt();
    }

  private slots:
    void initTestCase() { test::UseTestHome(m_home); }

    void theCommandsAreInTheirMenus() {
        test::Shell f;
        QStringList file, window;
        for (QAction* top : f->menuBar()->actions()) {
            if (!top->menu()) continue;
            for (QAction* a : top->menu()->actions()) {
                if (a->menu())
                    for (QAction* sub : a->menu()->actions())
                        file << sub->objectName();
                if (top->text() == "&Window") window << a->objectName();
            }
        }
        for (const char* id : {"exportcsv", "exportreport", "exportmap"})
            QVERIFY2(file.contains(id), id);
        QVERIFY(window.contains("compare"));
    }

    void compareOverlaysTheOtherTraces() {
        test::Shell f;
        QVERIFY(f->Documents().OpenFile(Sample("SPECTRUM_A.qtm")));
        QVERIFY(f->Documents().OpenFile(Sample("SPECTRUM_B.qtm")));
        QVERIFY(f->Documents().OpenFile(Sample("SPECTRUM.qtr")));
        f.onDialog = [](QDialog& d) {
            auto* c = qobject_cast<CompareDialog*>(&d);
            return c && c->Checked().size() == 2 ? int(QDialog::Accepted) : int(QDialog::Rejected);
        };
        f.Trigger("compare");
        QCOMPARE(f->Frames().size(), 4);
        const CMyQuarnDoc& shown = f->ActiveFrame()->Document();
        QCOMPARE(shown.m_overlays.size(), size_t(2));
        QCOMPARE(QString::fromStdString(shown.m_overlays[0].name), QString("SPECTRUM_A.qtm"));
        QCOMPARE(QString::fromStdString(shown.m_strCompareName), QString("SPECTRUM.qtr"));
        QVERIFY(!shown.IsModified());  // closing the comparison asks nothing
        QVERIFY(f.dialogs.contains("fl::CompareDialog"));
    }

    void compareRefusesAnotherModeAndSaysWhy() {
        test::Shell f;
        QVERIFY(f->Documents().OpenFile(Sample("ACPR.qtr")));
        QVERIFY(f->Documents().OpenFile(Sample("SPECTRUM.qtr")));
        // The dialog offers ACPR unchecked; checked anyway, the refusal says why.
        bool offeredUnchecked = false;
        f.onDialog = [&](QDialog& d) {
            auto* c = qobject_cast<CompareDialog*>(&d);
            if (!c) return int(QDialog::Rejected);
            offeredUnchecked = c->Checked().isEmpty();
            c->SetChecked(0, true);
            return int(QDialog::Accepted);
        };
        f.Trigger("compare");
        QCOMPARE(f->Frames().size(), 2);
        QVERIFY2(
            !f.messages.isEmpty() && f.messages.last().contains("ACPR.qtr: the mode is Channel Power, not "
                                                                "Spectrum Analysis"),
            qPrintable(f.messages.join("|")));
    }

    void differenceOpensADbWindow() {
        test::Shell f;
        QVERIFY(f->Documents().OpenFile(Sample("SPECTRUM_A.qtm")));
        QVERIFY(f->Documents().OpenFile(Sample("SPECTRUM.qtr")));
        f.onDialog = [](QDialog& d) {
            auto* c = qobject_cast<CompareDialog*>(&d);
            if (!c) return int(QDialog::Rejected);
            c->SetDifference(true);
            return int(QDialog::Accepted);
        };
        f.Trigger("compare");
        QCOMPARE(f->Frames().size(), 3);
        const CMyQuarnDoc& diff = f->ActiveFrame()->Document();
        QCOMPARE(QString::fromStdString(diff.DisplayUnit()), QString("DB"));
        // The same trace twice: nothing but zeros where both have points.
        for (double v : diff.m_arrTraceA)
            QVERIFY(v == kNoPoint || v == 0.0);
    }

    void reportOfTheOpenTraces() {
        test::Shell f;
        QVERIFY(f->Documents().OpenFile(Sample("SPECTRUM.qtr")));
        QVERIFY(f->Documents().OpenFile(Sample("CPOWER.qtr")));
        f->NewWindow();  // a second window on CPOWER: still one report page
        test::TempDir out;
        f.files->save = QString::fromStdString(out / "report.pdf");
        f.Trigger("exportreport");
        QVERIFY2(QFileInfo::exists(f.files->save), qPrintable(f.messages.join("|")));
        QCOMPARE(PdfPages(f.files->save), 3);
        // Again, answering No to the overwrite question, leaves the file alone.
        const QDateTime before = QFileInfo(f.files->save).lastModified();
        f.answer = [](const QString& q) { return !q.contains("already exists"); };
        f.Trigger("exportreport");
        QCOMPARE(QFileInfo(f.files->save).lastModified(), before);
    }

    void reportOfChosenFilesWithoutWindows() {
        test::Shell f;
        test::TempDir out;
        test::WriteFile(out / "BAD.qtr", "garbage");
        f.files->open = {Sample("OBW.qtr"), QString::fromStdString(out / "BAD.qtr"), Sample("EMF.qtr")};
        f.files->save = QString::fromStdString(out / "chosen.pdf");
        f.Trigger("exportreport");
        QCOMPARE(PdfPages(f.files->save), 3);  // the summary, OBW and EMF
        QVERIFY2(f.messages.join("|").contains("BAD.qtr"), qPrintable(f.messages.join("|")));
        QCOMPARE(f->Frames().size(), 0);
    }

    void mapOfTheOpenTraces() {
        test::Shell f;
        QVERIFY(f->Documents().OpenFile(Sample("SPECTRUM.qtr")));
        QVERIFY(f->Documents().OpenFile(Sample("SPECTRUM_U.qtm")));  // carries no fix
        test::TempDir out;
        f.files->save = QString::fromStdString(out / "sites");
        f.files->filter = "GeoJSON (*.geojson)";
        f.Trigger("exportmap");
        QFile json(QString::fromStdString(out / "sites.geojson"));
        QVERIFY2(json.open(QIODevice::ReadOnly), qPrintable(f.messages.join("|")));
        const QJsonArray features = QJsonDocument::fromJson(json.readAll()).object()["features"].toArray();
        QCOMPARE(features.size(), 1);
        const QJsonArray c = features[0].toObject()["geometry"].toObject()["coordinates"].toArray();
        QCOMPARE(c[0].toDouble(), 11.516667);  // longitude first
        QCOMPARE(c[1].toDouble(), 48.1173);
        QVERIFY(f.messages.last().startsWith("Left out, without a valid GPS position:"));
    }

    void mapAsKmlByDefault() {
        test::Shell f;
        QVERIFY(f->Documents().OpenFile(Sample("SPECTRUM.qtr")));
        QVERIFY(f->Documents().OpenFile(Sample("ACPR.qtr")));
        test::TempDir out;
        f.files->save = QString::fromStdString(out / "sites");  // the preselected KML filter adds .kml
        f.Trigger("exportmap");
        const QString kml = QString::fromStdString(test::ReadFile(out / "sites.kml"));
        QCOMPARE(kml.count("<Placemark>"), 2);
        QVERIFY(kml.contains("<coordinates>11.516667,48.117300,545.4</coordinates>"));
        // SPECTRUM's instrument reported no verdict ("NA"): no site is marked failed.
        QVERIFY(!kml.contains("<styleUrl>#fail</styleUrl>"));
        // With nothing to map, nothing is asked and nothing written.
        test::Shell g;
        QVERIFY(g->Documents().OpenFile(Sample("SPECTRUM_U.qtm")));
        g.files->save = QString::fromStdString(out / "none.kml");
        g.Trigger("exportmap");
        QVERIFY(!QFileInfo::exists(g.files->save));
        QVERIFY(g.messages.last().startsWith("None of these traces carries a valid GPS position"));
    }

    void csvOfTheActiveTrace() {
        test::Shell f;
        QVERIFY(f->Documents().OpenFile(Sample("SPECTRUM.qtr")));
        test::TempDir out;
        f.files->save = QString::fromStdString(out / "spectrum.csv");
        f.files->filter = "CSV, semicolon and decimal comma (*.csv)";
        f.Trigger("exportcsv");
        const QStringList lines =
            QString::fromStdString(test::ReadFile(out / "spectrum.csv")).split("\r\n", Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 502);
        QCOMPARE(lines[0], QString("Frequency (Hz);Trace A min (dBm);Trace A max (dBm)"));
        QVERIFY2(lines[1].startsWith("945000000;") && lines[1].contains(','), qPrintable(lines[1]));
    }

  private:
    test::TempDir m_home;
};

}  // namespace fl

QTEST_MAIN(fl::SurveyTest)
#include "SurveyTest.moc"
