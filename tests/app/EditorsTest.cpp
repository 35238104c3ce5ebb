// The graph editors as a user works them: opened from the Tools menu, the command line and the Data
// Transfer dialog; rows inserted through the line dialog, a point dragged on the real graph widget at two
// window sizes, saved under an upper-case name and read back.
#include <QPushButton>
#include <QtTest>
#include <filesystem>

#include "AppTestUtil.h"
#include "DataTransferDialog.h"
#include "EmfLimitEditor.h"
#include "FactorEditor.h"
#include "FormEditors.h"
#include "LimitEditor.h"

using namespace fl;
using fl::test::Shell;

namespace {

void Click(SegmentEditor& e, const char* name) {
    QPushButton* b = e.Button(name);
    QVERIFY2(b, name);
    QTest::mouseClick(b, Qt::LeftButton);
}

// The widget point over area pixel (x, y) of the editor's graph.
QPoint Over(SegmentEditor& e, double x, double y) {
    return e.Graph()->WidgetPoint(x, y).toPoint();
}

}  // namespace

class EditorsTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { test::UseTestHome(m_home); }

    void limitEditorFromTheToolsMenu_data() {
        QTest::addColumn<QSize>("size");
        QTest::newRow("small") << QSize(900, 500);
        QTest::newRow("large") << QSize(1500, 1000);
    }

    void limitEditorFromTheToolsMenu() {
        QFETCH(QSize, size);
        Shell f;
        test::TempDir dir;
        s_settings.folderLimits = dir.path();
        f.files->save = QString::fromStdString(dir / "site7.qlm");
        QString title, savedTitle;
        QList<QStringList> rows;
        std::string written;
        f.onDialog = [&](QDialog& d) {
            if (auto* line = qobject_cast<LimitLineDialog*>(&d)) {
                // The second segment: a lower limit at 2 divisions, typed over the proposal.
                if (line->Field(0)->value() > 0) {
                    line->Lower()->setChecked(true);
                    line->Field(1)->setValue(2.0);
                    line->Field(3)->setValue(2.0);
                    line->Field(2)->setValue(10.0);
                }
                return int(QDialog::Accepted);
            }
            auto* e = qobject_cast<LimitEditor*>(&d);
            if (!e) return int(QDialog::Rejected);
            e->resize(size);
            e->show();
            if (!QTest::qWaitForWindowExposed(e)) return int(QDialog::Rejected);
            Click(*e, "insert");  // (0, 0) to (1, 0), upper
            Click(*e, "insert");  // from (1, 0): changed to a lower limit (1, 2) to (10, 2)
            title = e->windowTitle();
            // Drag the end point of row 1, (1.0, 0.0) at pixel (41, 320), to (5.0, 6.0), pixel (205, 80).
            QTest::mouseMove(e->Graph(), Over(*e, 41, 319));
            QTest::mousePress(e->Graph(), Qt::LeftButton, {}, Over(*e, 41, 319));
            QMouseEvent move(QEvent::MouseMove, QPointF(Over(*e, 205, 80)),
                             QPointF(e->Graph()->mapToGlobal(Over(*e, 205, 80))), Qt::LeftButton,
                             Qt::LeftButton, {});
            QApplication::sendEvent(e->Graph(), &move);
            const QString shownX = e->PositionX()->text();
            QTest::mouseRelease(e->Graph(), Qt::LeftButton, {}, Over(*e, 205, 80));
            for (int r = 0; r < e->Table()->rowCount(); ++r) {
                QStringList cells;
                for (int c = 0; c < 5; ++c)
                    cells << e->Table()->text(r, c);
                rows << cells;
            }
            rows << QStringList{shownX, e->PositionX()->text()};
            e->Comment()->setText("Mask A");
            Click(*e, "save");
            savedTitle = e->windowTitle();
            written = test::ReadFile(dir / "SITE7.QLM");
            return int(QDialog::Rejected);
        };
        f.Trigger("limiteditor");
        QCOMPARE(f.dialogs.first(), QString("fl::LimitEditor"));
        QCOMPARE(title, QString("Limit Lines"));  // the second insert changed a proposed value
        QCOMPARE(rows.size(), 3);
        QCOMPARE(rows[0], QStringList({"0.0", "0.0", "5.0", "6.0", "upper"}));
        QCOMPARE(rows[1], QStringList({"1.0", "2.0", "10.0", "2.0", "lower"}));
        QCOMPARE(rows[2], QStringList({"x=5.0", ""}));  // shown while dragging, cleared on release
        QCOMPARE(savedTitle, QString("Limit Lines - SITE7.QLM"));
        QCOMPARE(written, std::string("Mask A\r\nmax,0.0,0.0,5.0,6.0\r\nmin,1.0,2.0,10.0,2.0\r\n"));
        QCOMPARE(s_settings.folderLimits, dir.path());
    }

    void limitEditorFromTheCommandLineAndDataTransfer() {
        test::TempDir dir;
        test::WriteFile(dir / "MASK.QLM", "Mask B\r\nmax,0.0,6.0,5.0,6.0\r\nmin,5.0,2.0,10.0,2.0\r\n");
        Shell f;
        QString title;
        int rows = -1;
        bool transfer = true;
        f.onDialog = [&](QDialog& d) {
            auto* e = qobject_cast<LimitEditor*>(&d);
            if (!e) return int(QDialog::Rejected);
            title = e->windowTitle();
            rows = e->Table()->rowCount();
            transfer = e->Button("dataTransfer")->isEnabled();
            return int(QDialog::Rejected);
        };
        f->StartUp(QString::fromStdString(dir / "MASK.QLM"), false);
        QCOMPARE(title, QString("Limit Lines - MASK.QLM"));
        QCOMPARE(rows, 2);
        QVERIFY(!transfer);  // started from the command line: no Data Transfer
        QVERIFY(f.messages.isEmpty());
        // From the Data Transfer dialog: started with the file, Data Transfer enabled and closing it.
        title.clear();
        QVERIFY(f->OpenEditorFile(QString::fromStdString(dir / "MASK.QLM")));
        QCOMPARE(title, QString("Limit Lines - MASK.QLM"));
        QVERIFY(transfer);
    }

    void emfEditorFromTheToolsMenuAndTheCommandLine() {
        Shell f;
        test::TempDir dir;
        s_settings.folderLimits = dir.path();
        f.files->save = QString::fromStdString(dir / "emf1.qel");
        QStringList seen;
        bool closedBySave = false;
        f.onDialog = [&](QDialog& d) {
            if (auto* p = qobject_cast<EmfLimitPointsDialog*>(&d)) {
                // 100 MHz to 5 GHz: refused in the 4 GHz range, then 1 GHz is taken.
                p->Lower()->setChecked(true);
                p->Frequency(0)->setValue(100);
                p->FrequencyUnit(0)->setCurrentText("MHz");
                p->Frequency(1)->setValue(5);
                p->FrequencyUnit(1)->setCurrentText("GHz");
                p->Level(0)->setValue(120);
                p->Level(1)->setValue(120);
                p->accept();
                if (p->result() == QDialog::Accepted) return int(QDialog::Accepted);
                p->Frequency(1)->setValue(1);
                p->accept();
                return p->result();
            }
            auto* e = qobject_cast<EmfLimitEditor*>(&d);
            if (!e) return int(QDialog::Rejected);
            seen << e->windowTitle();
            Click(*e, "insert");
            for (int c = 0; c < 5; ++c)
                seen << e->Table()->text(0, c);
            e->UnitList()->setCurrentIndex(3);  // V/m: 120 dBuV/m is 1 V/m
            seen << e->Table()->text(0, 1) << e->Reference()->text();
            Click(*e, "save");  // saving closes this editor
            closedBySave = e->result() == QDialog::Accepted;
            return e->result();
        };
        f.Trigger("emflimiteditor");
        QCOMPARE(f.messages, QStringList({"Please insert a value between 0 Hz and 4000000000 Hz     "}));
        QCOMPARE(seen, QStringList({"EMF Limit Lines", "100000000", "120.0", "1000000000", "120.0", "lower",
                                    "1.000", "0.224"}));
        QVERIFY(closedBySave);
        const std::string written = test::ReadFile(dir / "EMF1.QEL");
        QVERIFY2(written.rfind("\r\nmin,100000000,", 0) == 0, written.c_str());
        QVERIFY2(written.find("PARAM=0.224000,2,3,0") != std::string::npos, written.c_str());
        QVERIFY(written.back() != '\n');
        // Opened again from the command line: the rows and the unit of the file.
        QString title, unit;
        f.onDialog = [&](QDialog& d) {
            auto* e = qobject_cast<EmfLimitEditor*>(&d);
            if (!e) return int(QDialog::Rejected);
            title = e->windowTitle();
            unit = e->UnitList()->currentText();
            return int(QDialog::Rejected);
        };
        f->StartUp(QString::fromStdString(dir / "EMF1.QEL"), false);
        QCOMPARE(title, QString("EMF Limit Lines - EMF1.QEL"));
        QCOMPARE(unit, QString("V/m"));
    }

    void limitEditorFromTheDataTransferDialogsOpenButton() {
        test::TempDir dir;
        test::WriteFile(dir / "MASK.QLM", "Mask C\r\nmax,0.0,6.0,5.0,6.0\r\n");
        Shell f;
        QVERIFY(f->Inst().StartDemo());
        QString title;
        bool transferClosed = false;
        f.onDialog = [&](QDialog& d) {
            if (auto* t = qobject_cast<DataTransferDialog*>(&d)) {
                t->SelectTab(2);
                t->SetPcFolder(QString::fromStdString(dir.path()));
                t->SelectPc({"MASK.QLM"});
                for (QPushButton* b : t->findChildren<QPushButton*>())
                    if (b->text() == "O") QTest::mouseClick(b, Qt::LeftButton);
                return int(QDialog::Rejected);
            }
            if (auto* e = qobject_cast<LimitEditor*>(&d)) {
                title = e->windowTitle();
                // Started with a file: Data Transfer closes the editor for the dialog that opened it.
                QTest::mouseClick(e->Button("dataTransfer"), Qt::LeftButton);
                transferClosed = e->result() == QDialog::Rejected && !e->isVisible();
                return e->result();
            }
            return int(QDialog::Rejected);
        };
        f.Trigger("transfer");
        QCOMPARE(f.dialogs, QStringList({"fl::DataTransferDialog", "fl::LimitEditor"}));
        QCOMPARE(title, QString("Limit Lines - MASK.QLM"));
        QVERIFY(transferClosed);
    }

    void overlayAndTheUnsavedQuestion() {
        Shell f;
        f.files->open = {QString::fromStdString(test::SamplePath("SPECTRUM.qtr"))};
        bool overlaid = false, cleared = false;
        int darkBefore = 0, darkWith = 0;
        f.onDialog = [&](QDialog& d) {
            if (qobject_cast<LimitLineDialog*>(&d)) return int(QDialog::Accepted);
            auto* e = qobject_cast<LimitEditor*>(&d);
            if (!e) return int(QDialog::Rejected);
            auto dark = [&] {
                int n = 0;
                const QImage& a = e->Graph()->Area();
                for (int y = 1; y < 319; ++y)
                    for (int x = 1; x < 409; ++x)
                        n += a.pixelColor(x, y).lightness() < 60;
                return n;
            };
            darkBefore = dark();
            QTest::mouseClick(e->Button("overlay"), Qt::LeftButton);
            overlaid = e->HasOverlay() && e->Button("overlay")->text() == "Clear Trace";
            darkWith = dark();
            QTest::mouseClick(e->Button("overlay"), Qt::LeftButton);
            cleared = !e->HasOverlay() && e->Button("overlay")->text() == "Overlay Trace";
            QTest::mouseClick(e->Button("insert"), Qt::LeftButton);
            QTest::mouseClick(e->Button("cancel"), Qt::LeftButton);  // unsaved: asked, "No"
            return e->result();
        };
        f.Trigger("limiteditor");
        QVERIFY(overlaid);
        QVERIFY(cleared);
        QCOMPARE(darkBefore, 0);
        QVERIFY(darkWith > 300);  // the trace drawn in black behind the segments
        QCOMPARE(f.files->lastTitle, QString("Open Trace File..."));
        QCOMPARE(f.messages, QStringList({"Limits not saved!\nSave limits?"}));
    }

    void emfPointDraggedOnTheGraph() {
        Shell f;
        QString start, level, expectedStart, expectedLevel;
        f.onDialog = [&](QDialog& d) {
            if (auto* p = qobject_cast<EmfLimitPointsDialog*>(&d)) {
                // 1 GHz to 2 GHz at 67 dBuV/m: pixels (102, 160) and (205, 160) at reference 107, 10 dB.
                p->Frequency(0)->setValue(1);
                p->FrequencyUnit(0)->setCurrentText("GHz");
                p->Frequency(1)->setValue(2);
                p->FrequencyUnit(1)->setCurrentText("GHz");
                p->Level(0)->setValue(67);
                p->Level(1)->setValue(67);
                p->accept();
                return p->result();
            }
            auto* e = qobject_cast<EmfLimitEditor*>(&d);
            if (!e) return int(QDialog::Rejected);
            e->resize(1200, 700);
            e->show();
            if (!QTest::qWaitForWindowExposed(e)) return int(QDialog::Rejected);
            Click(*e, "insert");
            // Drag the start point to (0.5 of the width, 0.75 of the height up): 2 GHz, 107 - 2 x 10 = 87.
            QTest::mouseMove(e->Graph(), Over(*e, 102.5, 160));
            QTest::mousePress(e->Graph(), Qt::LeftButton, {}, Over(*e, 102.5, 160));
            QMouseEvent move(QEvent::MouseMove, QPointF(Over(*e, 205, 80)),
                             QPointF(e->Graph()->mapToGlobal(Over(*e, 205, 80))), Qt::LeftButton,
                             Qt::LeftButton, {});
            QApplication::sendEvent(e->Graph(), &move);
            QTest::mouseRelease(e->Graph(), Qt::LeftButton, {}, Over(*e, 205, 80));
            start = e->Table()->text(0, 0);
            level = e->Table()->text(0, 1);
            // The pointer lands on a whole widget pixel: where that is on the area, by the Part's units.
            const QPointF a = e->Graph()->AreaPoint(QPointF(Over(*e, 205, 80)));
            const double uy = (320 - a.y()) * 1000 / 320, ux = a.x() * 1000 / 410;
            expectedLevel = QString::asprintf("%4.1f", 107 - (1000 - uy) * 8 * 10 / 1000);
            expectedStart = QString::asprintf("%.0f", 4e9 * ux * 0.001);
            return int(QDialog::Rejected);
        };
        f.Trigger("emflimiteditor");
        QCOMPARE(start, expectedStart);
        QCOMPARE(level, expectedLevel);
        QVERIFY(std::abs(start.toDouble() - 2e9) < 2e7);
        QVERIFY(std::abs(level.toDouble() - 87) < 0.5);
    }

    void dataTransferFromAnEditorAsksToConnectFirst() {
        Shell f;  // not connected
        test::TempDir dir;
        s_settings.folderLimits = dir.path();
        f.files->save = QString::fromStdString(dir / "t.qlm");
        f.answer = [](const QString& q) { return q.startsWith("Limits not saved!"); };  // save, don't connect
        f.onDialog = [&](QDialog& d) {
            if (qobject_cast<LimitLineDialog*>(&d)) return int(QDialog::Accepted);
            auto* e = qobject_cast<LimitEditor*>(&d);
            if (!e) return int(QDialog::Rejected);
            QTest::mouseClick(e->Button("dataTransfer"), Qt::LeftButton);  // empty: nothing to send
            QTest::mouseClick(e->Button("insert"), Qt::LeftButton);
            QTest::mouseClick(e->Button("dataTransfer"), Qt::LeftButton);
            return int(QDialog::Rejected);
        };
        f.Trigger("limiteditor");
        QCOMPARE(f.messages,
                 QStringList({"Create or open limits first   \r\n", "Limits not saved!\nSave limits?",
                              "Not connected.\nConnect now?"}));
        QVERIFY(std::filesystem::exists(dir / "T.QLM"));
        QVERIFY(!f.dialogs.contains("fl::DataTransferDialog"));
    }

    void channelSystemEditor() {
        Shell f;
        test::TempDir dir;
        s_settings.folderSystems = dir.path();
        f.files->save = QString::fromStdString(dir / "gsm900.qsy");
        QString title, box;
        f.onDialog = [&](QDialog& d) {
            auto* e = qobject_cast<ChannelSystemEditor*>(&d);
            if (!e) return int(QDialog::Rejected);
            e->First()->setValue(10);
            e->Last()->setValue(10);
            QTest::mouseClick(e->Button("save"), Qt::LeftButton);  // refused: first = last
            e->First()->setValue(1);
            e->Last()->setValue(124);
            e->Width()->SetHz(200e3);
            e->Spacing()->SetHz(200e3);
            e->Center()->SetHz(935.2e6);
            QTest::mouseClick(e->Button("save"), Qt::LeftButton);
            title = e->windowTitle();
            box = e->NameBox()->title();
            return int(QDialog::Rejected);
        };
        f.Trigger("channeleditor");
        QCOMPARE(f.messages, QStringList({"Last channel < first channel"}));
        QCOMPARE(title, QString("Channel System - GSM900.QSY"));
        // The name is the chosen name up to its first full stop, as typed; the file name is upper-cased.
        QCOMPARE(box, QString("gsm900"));
        QCOMPARE(test::ReadFile(dir / "GSM900.QSY"),
                 std::string("Name gsm900\r\nChCnt 124\r\nChStart 1\r\nChWidth 200000\r\nChSpace 200000\r\n"
                             "FStart 9.352e+08\r\nSysLvl 0\r\nMaxFreq 4 GHz\r\n"));
        // From the command line: read back, shown in its best units.
        QString width;
        f.onDialog = [&](QDialog& d) {
            auto* e = qobject_cast<ChannelSystemEditor*>(&d);
            if (!e) return int(QDialog::Rejected);
            title = e->windowTitle();
            width = e->Width()->Unit()->currentText();
            return int(QDialog::Rejected);
        };
        f->StartUp(QString::fromStdString(dir / "GSM900.QSY"), false);
        QCOMPARE(title, QString("Channel System - GSM900.QSY"));
        QCOMPARE(width, QString("kHz"));
    }

    void cableTypeEditor() {
        Shell f;
        test::TempDir dir;
        s_settings.folderCableTypes = dir.path();
        f.files->save = QString::fromStdString(dir / "cablea.qct");
        QString velocity, dielectric;
        f.onDialog = [&](QDialog& d) {
            auto* e = qobject_cast<CableTypeEditor*>(&d);
            if (!e) return int(QDialog::Rejected);
            e->Dielectric()->setValue(2.25);
            velocity = e->Velocity()->text();
            e->Velocity()->setValue(0.5);
            dielectric = e->Dielectric()->text();
            e->Dielectric()->setValue(1.38);
            e->Description()->setText("CableA");
            e->Attenuation()->setValue(700);
            e->LengthUnit()->setCurrentIndex(1);  // ft: 700 is too much
            QTest::mouseClick(e->Button("save"), Qt::LeftButton);
            e->Attenuation()->setValue(6.8);
            e->Cutoff()->SetHz(6e9);
            QTest::mouseClick(e->Button("save"), Qt::LeftButton);
            return int(QDialog::Rejected);
        };
        f.Trigger("cableeditor");
        QCOMPARE(velocity, QString("0.67"));
        QCOMPARE(dielectric, QString("4.00"));
        QCOMPARE(f.messages,
                 QStringList({"Please insert a \"Cable Attenuation\" between 0 dB/ft and 609 dB/ft    "}));
        QCOMPARE(
            test::ReadFile(dir / "CABLEA.QCT"),
            std::string("Name CableA\r\nCDielec 1.38\r\nCAttn 6.8\r\nCUnit 1\r\nCCutFrq 6000000000\r\n"));
    }

    void settingsChooserHandsFilesToTheSystem() {
        Shell f;
        test::TempDir dir;
        s_settings.folderSettings = dir.path();
        test::WriteFile(dir / "NEWSET004.QST", "");
        QStringList opened;
        f->openExternally = [&](const QString& p) { opened << QFileInfo(p).fileName(); };
        f.files->open = {QString::fromStdString(dir / "NEWSET004.QST")};
        f.onDialog = [&](QDialog& d) {
            auto* c = qobject_cast<SettingsChooser*>(&d);
            if (!c) return int(QDialog::Rejected);
            QTest::mouseClick(c->Button("new"), Qt::LeftButton);
            QTest::mouseClick(c->Button("new"), Qt::LeftButton);
            QTest::mouseClick(c->Button("open"), Qt::LeftButton);
            return int(QDialog::Rejected);
        };
        f.Trigger("settingeditor");
        QCOMPARE(opened, QStringList({"NEWSET005.QST", "NEWSET006.QST", "NEWSET004.QST"}));
        QVERIFY(std::filesystem::exists(dir / "NEWSET006.QST"));
        QCOMPARE(f.files->lastTitle, QString("Open Settings File..."));
    }

    void factorEditorInItsThreeModes() {
        Shell f;
        test::TempDir dir;
        s_settings.folderExtDev = dir.path();
        f.files->save = QString::fromStdString(dir / "amp1.qed");
        std::vector<std::pair<double, double>> entries = {{1e9, 12.5}, {1e8, 10}, {5e9, 1}};
        QString title;
        QStringList rows;
        f.onDialog = [&](QDialog& d) {
            if (auto* e = qobject_cast<FactorEntryDialog*>(&d)) {
                const auto [hz, level] = entries.front();
                entries.erase(entries.begin());
                e->Frequency()->SetHz(hz);
                e->LevelField()->setValue(level);
                e->accept();  // 5 GHz is refused in the 4 GHz range
                return e->result();
            }
            auto* e = qobject_cast<FactorEditor*>(&d);
            if (!e) return int(QDialog::Rejected);
            title = e->windowTitle();
            for (int i = 0; i < 3; ++i)
                QTest::mouseClick(e->Button("insert"), Qt::LeftButton);
            for (int r = 0; r < e->Table()->rowCount(); ++r)
                rows << e->Table()->text(r, 0) + ";" + e->Table()->text(r, 1);
            QTest::mouseClick(e->Button("offsetUp"), Qt::LeftButton);  // +1 dB on every level
            QTest::mouseClick(e->Button("save"), Qt::LeftButton);
            return int(QDialog::Rejected);
        };
        f.Trigger("extdeveditor");
        QCOMPARE(title, QString("External Device Compensation"));
        QCOMPARE(rows, QStringList({"100000000;10.0", "1000000000;12.5"}));  // sorted, 5 GHz refused
        QCOMPARE(f.messages, QStringList({"Please insert a value between 0 Hz and 4000000000 Hz     "}));
        const std::string written = test::ReadFile(dir / "AMP1.QED");
        QVERIFY2(
            written.find("\r\n100000000;11.0\r\n1000000000;13.5\r\n4000000000;0\r\n") != std::string::npos,
            written.c_str());
        QVERIFY(written.find("k-antenna table, temperature:0  frequency; delta;   created: ") !=
                std::string::npos);
        // The other two modes from their Tools entries, and the saved file from the command line.
        QStringList titles;
        f.onDialog = [&](QDialog& d) {
            if (auto* e = qobject_cast<FactorEditor*>(&d))
                titles << e->windowTitle() << QString::number(e->Table()->rowCount());
            return int(QDialog::Rejected);
        };
        f.Trigger("antennaeditor");
        f.Trigger("cablefactoreditor");
        f->StartUp(QString::fromStdString(dir / "AMP1.QED"), false);
        QCOMPARE(titles, QStringList({"EMF Antenna Factor", "0", "EMF Cable Factor", "0",
                                      "External Device Compensation - AMP1.QED", "2"}));
    }

    void saveAsksAboutTheFinalNameAndSaysWhenItFails() {
        Shell f;
        test::TempDir dir;
        s_settings.folderExtDev = dir.path();
        test::WriteFile(dir / "AMP1.QED", "mine");
        QStringList titles;
        f.onDialog = [&](QDialog& d) {
            if (auto* e = qobject_cast<FactorEntryDialog*>(&d)) {
                e->Frequency()->SetHz(1e9);
                e->LevelField()->setValue(2.0);
                e->accept();
                return e->result();
            }
            auto* e = qobject_cast<FactorEditor*>(&d);
            if (!e) return int(QDialog::Rejected);
            QTest::mouseClick(e->Button("insert"), Qt::LeftButton);
            // Typed without extension and in lower case: the file written is AMP1.QED, which is there.
            f.files->save = QString::fromStdString(dir / "amp1");
            QTest::mouseClick(e->Button("save"), Qt::LeftButton);
            titles << e->windowTitle();
            // A folder that is not there: the failure is said and the edits stay unsaved.
            f.files->save = QString::fromStdString(dir / "missing/amp2.qed");
            QTest::mouseClick(e->Button("save"), Qt::LeftButton);
            titles << e->windowTitle();
            return int(QDialog::Rejected);
        };
        f.answer = [](const QString&) { return false; };  // keep the file that is there
        f.Trigger("extdeveditor");
        QCOMPARE(test::ReadFile(dir / "AMP1.QED"), std::string("mine"));
        QCOMPARE(f.messages.value(0), QString("AMP1.QED already exists.\nDo you want to replace it?"));
        QVERIFY2(f.messages.value(1).startsWith("Cannot write "), qPrintable(f.messages.join("|")));
        QCOMPARE(titles, QStringList({"External Device Compensation", "External Device Compensation"}));
    }

    // Three rows in each graph editor's file; the user clicks row 1, presses Down and Delete: row 2 goes.
    void downThenDeleteRemovesTheHighlightedRow_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QStringList>("left");  // first column of the rows left
        QTest::newRow("limits") << "M.QLM"
                                << QByteArray(
                                       "c\r\nmax,1.0,1.0,2.0,1.0\r\nmax,2.0,1.0,3.0,1.0\r\n"
                                       "max,3.0,1.0,4.0,1.0\r\n")
                                << QStringList({"1.0", "3.0"});
        QTest::newRow("emf limits") << "M.QEL"
                                    << QByteArray(
                                           "c\r\nmax,1000000,100,2000000,100\r\nmax,2000000,100,3000000,"
                                           "100\r\nmax,3000000,100,4000000,100\r\nPARAM=107.000000,2,0,0")
                                    << QStringList({"1000000", "3000000"});
        QTest::newRow("factors") << "M.QED"
                                 << QByteArray("c\r\nh\r\n1000000;1.0\r\n2000000;2.0\r\n3000000;3.0\r\n")
                                 << QStringList({"1000000", "3000000"});
    }

    void downThenDeleteRemovesTheHighlightedRow() {
        QFETCH(QString, file);
        QFETCH(QByteArray, content);
        QFETCH(QStringList, left);
        Shell f;
        test::TempDir dir;
        test::WriteFile(dir / file.toStdString(), content.toStdString());
        QStringList rows;
        f.onDialog = [&](QDialog& d) {
            RowTable* table = d.findChild<RowTable*>("rows");
            if (!table) return int(QDialog::Rejected);
            d.show();
            if (!QTest::qWaitForWindowExposed(&d)) return int(QDialog::Rejected);
            const QRect first = table->visualRect(table->model()->index(0, 0));
            QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, first.center());
            QTest::keyClick(table, Qt::Key_Down);
            QTest::mouseClick(d.findChild<QPushButton*>("delete"), Qt::LeftButton);
            for (int r = 0; r < table->rowCount(); ++r)
                rows << table->text(r, 0);
            return int(QDialog::Rejected);
        };
        f->StartUp(QString::fromStdString(dir / file.toStdString()), false);
        QCOMPARE(rows, left);
    }

    // Opening an entry dialog on a row read from a file and pressing OK changes nothing: not the value,
    // not the modified mark, and no range message for a row outside the range chosen now.
    void okWithoutAnEditKeepsTheRowAsRead_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("row");  // the first row's texts after OK
        QTest::newRow("factor at 1234567891 Hz")
            << "F.QED" << QByteArray("c\r\nh\r\n1234567891;2.5\r\n") << "1234567891;2.5";
        QTest::newRow("emf row beyond 4 GHz")
            << "E.QEL" << QByteArray("c\r\nmax,1001000000,100,4100000000,100\r\nPARAM=107.000000,2,0,0")
            << "1001000000;100";
        QTest::newRow("limit segment")
            << "L.QLM" << QByteArray("c\r\nmax,2.35,1.0,7.0,1.0\r\n") << "2.35;1.0";
    }

    void okWithoutAnEditKeepsTheRowAsRead() {
        QFETCH(QString, file);
        QFETCH(QByteArray, content);
        QFETCH(QString, row);
        Shell f;
        test::TempDir dir;
        test::WriteFile(dir / file.toStdString(), content.toStdString());
        QString title, seen;
        f.onDialog = [&](QDialog& d) {
            if (d.findChild<NumberField*>()) {
                QTest::keyClick(&d, Qt::Key_Return);  // OK, the dialog's default button
                return d.result();
            }
            RowTable* table = d.findChild<RowTable*>("rows");
            if (!table) return int(QDialog::Rejected);
            QTest::mouseClick(d.findChild<QPushButton*>("edit"), Qt::LeftButton);
            title = d.windowTitle();
            seen = table->text(0, 0) + ";" + table->text(0, 1);
            return int(QDialog::Rejected);
        };
        f->StartUp(QString::fromStdString(dir / file.toStdString()), false);
        QCOMPARE(f.messages, QStringList());  // no range message, and Cancel did not ask to save
        QVERIFY2(title.endsWith(" - " + file), qPrintable(title));
        // The limit editor shows its texts as read; the others show the values as read.
        QCOMPARE(seen, row);
    }

    // Values from a file are shown as they are: a channel number out of range is refused on Save, not
    // clamped; a cable dielectric with three decimals is written back with them.
    void formValuesAreKeptAndCheckedOnSave() {
        Shell f;
        test::TempDir dir;
        s_settings.folderSystems = s_settings.folderCableTypes = dir.path();
        test::WriteFile(dir / "BIG.QSY", "Name Big\r\nChCnt 200000\r\nChStart 1\r\n");
        test::WriteFile(dir / "C.QCT", "Name C\r\nCDielec 2.345\r\nCAttn 6.8\r\nCUnit 0\r\nCCutFrq 4e9\r\n");
        QStringList shown;
        f.onDialog = [&](QDialog& d) {
            if (auto* e = qobject_cast<ChannelSystemEditor*>(&d)) {
                shown << e->Last()->text() << e->NameBox()->title();
                QTest::mouseClick(e->Button("save"), Qt::LeftButton);
            } else if (auto* c = qobject_cast<CableTypeEditor*>(&d)) {
                shown << c->Dielectric()->text();
                f.files->save = QString::fromStdString(dir / "C2.QCT");
                QTest::mouseClick(c->Button("save"), Qt::LeftButton);
            }
            return int(QDialog::Rejected);
        };
        f->StartUp(QString::fromStdString(dir / "BIG.QSY"), false);
        f->StartUp(QString::fromStdString(dir / "C.QCT"), false);
        QCOMPARE(shown, QStringList({"200000", "Big", "2.345"}));
        QCOMPARE(f.messages, QStringList({"Please enter an integer between 0 and 100000."}));
        QVERIFY(!std::filesystem::exists(dir / "BIG2.QSY"));
        const std::string cable = test::ReadFile(dir / "C2.QCT");
        QVERIFY2(cable.find("CDielec 2.345\r\n") != std::string::npos, cable.c_str());
    }

    void factorPointDraggedAndDataTransferTabs() {
        Shell f;
        test::TempDir dir;
        test::WriteFile(dir / "AMP.QED",
                        "Amp\r\nheader\r\n1000000000;10.0\r\n2000000000;-10.0\r\n4000000000;0\r\n");
        QStringList rows;
        f.onDialog = [&](QDialog& d) {
            auto* e = qobject_cast<FactorEditor*>(&d);
            if (!e) return int(QDialog::Rejected);
            e->resize(1200, 700);
            e->show();
            if (!QTest::qWaitForWindowExposed(e)) return int(QDialog::Rejected);
            // S = 16 for +-10 dB: 1 GHz at 10 dB lies at pixel (102.5, 60); dragged to 3 GHz (307.5) at
            // 0 dB (160), it sorts after the 2 GHz entry.
            auto at = [&](double x, double y) { return e->Graph()->WidgetPoint(x, y).toPoint(); };
            QTest::mouseMove(e->Graph(), at(102.5, 60));
            QTest::mousePress(e->Graph(), Qt::LeftButton, {}, at(102.5, 60));
            QMouseEvent move(QEvent::MouseMove, QPointF(at(307.5, 160)),
                             QPointF(e->Graph()->mapToGlobal(at(307.5, 160))), Qt::LeftButton, Qt::LeftButton,
                             {});
            QApplication::sendEvent(e->Graph(), &move);
            QTest::mouseRelease(e->Graph(), Qt::LeftButton, {}, at(307.5, 160));
            for (int r = 0; r < e->Table()->rowCount(); ++r)
                rows << e->Table()->text(r, 0) + ";" + e->Table()->text(r, 1);
            // Not saved since the drag: Data Transfer asks (No), then asks to connect (No).
            QTest::mouseClick(e->Button("dataTransfer"), Qt::LeftButton);
            return int(QDialog::Rejected);
        };
        f->OpenFactorEditor(FactorMode::ExternalDevice, QString::fromStdString(dir / "AMP.QED"), true);
        QCOMPARE(rows.size(), 2);
        QCOMPARE(rows[0], QString("2000000000;-10.0"));
        QVERIFY2(rows[1].startsWith("30") && rows[1].endsWith(";0.0"), qPrintable(rows[1]));
        // Started with a file it closes for the Data Transfer dialog; here it was, so no connect question.
        QCOMPARE(f.messages, QStringList({"External Device Compensation not saved.   \nSave?"}));
        // From Tools, connected: the Data Transfer dialog opens on the editor's own tab.
        QVERIFY(f->Inst().StartDemo());
        int tab = -1;
        f.messages.clear();
        f.onDialog = [&](QDialog& d) {
            if (auto* t = qobject_cast<DataTransferDialog*>(&d)) {
                tab = t->Kind().tab;
                return int(QDialog::Rejected);
            }
            if (auto* c = qobject_cast<ChannelSystemEditor*>(&d)) {
                QTest::mouseClick(c->Button("dataTransfer"), Qt::LeftButton);
                return int(QDialog::Rejected);
            }
            return int(QDialog::Rejected);
        };
        f.Trigger("channeleditor");
        QCOMPARE(tab, 3);
    }

  private:
    test::TempDir m_home;
};

QTEST_MAIN(EditorsTest)
#include "EditorsTest.moc"
