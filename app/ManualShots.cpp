// fieldlink-manualshots OUTDIR TRACE_SAMPLES EDITOR_SAMPLES: the user guide's pictures, grabbed from the
// program's real windows on the offscreen platform, with the demo instrument in-process. A build step; a
// window that could not be grabbed fails it, so the guide never shows a stale or missing picture.
#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <map>
#include <set>

#include "CChildFrame.h"
#include "CMainFrame.h"
#include "CMyQuarnView.h"
#include "GpsWindows.h"
#include "QtPrompts.h"
#include "SelectMarkersDialog.h"

namespace {

void Wait(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Each modal window by its class: the picture's name, and what a user would have done first.
struct Shot {
    QString name;
    int settle = 300;    // ms for the window's first exchange with the instrument
    QString press;       // a button to press first (its caption)
    int afterPress = 0;  // ms for what the button started
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: fieldlink-manualshots OUTDIR TRACE_SAMPLES EDITOR_SAMPLES\n");
        return 2;
    }
    // A fresh data folder and settings: the pictures show what a new user sees.
    QTemporaryDir home;
    if (!home.isValid()) return 1;
    qputenv("FIELDLINK_HOME", home.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (home.path() + "/config").toLocal8Bit());
    qputenv("XDG_DOCUMENTS_DIR", (home.path() + "/Documents").toLocal8Bit());
    qputenv("HOME", home.path().toLocal8Bit());
    QApplication app(argc, argv);
    app.setApplicationName("Fieldlink");
    const QString out = QString::fromLocal8Bit(argv[1]);
    const QString traces = QString::fromLocal8Bit(argv[2]);
    const QString editorFiles = QString::fromLocal8Bit(argv[3]);
    if (!QDir().mkpath(out)) {
        std::fprintf(stderr, "fieldlink-manualshots: cannot make %s\n", argv[1]);
        return 1;
    }

    const std::map<QString, Shot> shots = {
        {"fl::WelcomeDialog", {"welcome", 300, {}, 0}},
        {"fl::ConnectDialog", {"connection-settings", 300, {}, 0}},
        {"fl::GetTraceDialog", {"get-trace", 1500, {}, 0}},
        {"fl::LiveTraceDialog", {"live-trace", 300, {}, 0}},
        {"fl::DataTransferDialog", {"data-transfer", 1500, {}, 0}},
        {"fl::ScreenDumpWindow", {"screen-dump", 300, "Read Screen", 4000}},
        {"fl::LimitEditor", {"limit-editor", 300, {}, 0}},
    };
    std::set<QString> taken;
    bool failed = false;
    auto save = [&](QWidget* w, const QString& name) {
        const QString path = out + "/" + name + ".png";
        if (!w || !w->grab().save(path)) {
            std::fprintf(stderr, "fieldlink-manualshots: no picture %s\n", qPrintable(path));
            failed = true;
            return;
        }
        taken.insert(name);
    };

    fl::CMainFrame w;
    w.resize(1280, 860);
    w.show();
    w.Inst().Prompts().scripted = [](const QString& text) {
        std::fprintf(stderr, "fieldlink-manualshots: message: %s\n", qPrintable(text));
        return false;
    };
    w.Inst().Prompts().scriptedDialog = [&](QDialog& d) {
        const auto it = shots.find(QString::fromLatin1(d.metaObject()->className()));
        if (it == shots.end()) return int(QDialog::Rejected);
        const Shot& s = it->second;
        d.show();
        Wait(s.settle);
        if (!s.press.isEmpty()) {
            for (QAbstractButton* b : d.findChildren<QAbstractButton*>())
                if (b->text().remove('&') == s.press && b->isEnabled()) {
                    b->click();
                    break;
                }
            Wait(s.afterPress);
        }
        save(&d, s.name);
        return int(QDialog::Rejected);
    };
    auto trigger = [&](const char* id) {
        w.RefreshState();
        QAction* a = w.Action(QString::fromLatin1(id));
        if (!a || !a->isEnabled()) {
            std::fprintf(stderr, "fieldlink-manualshots: %s cannot run\n", id);
            failed = true;
            return;
        }
        a->trigger();
        Wait(200);
    };

    w.StartUp({}, false, true);  // the welcome dialog
    trigger("settings");
    if (!w.Inst().StartDemo()) {
        std::fprintf(stderr, "fieldlink-manualshots: the demo instrument did not start\n");
        return 1;
    }
    trigger("gettrace");
    trigger("livetrace");
    trigger("transfer");
    trigger("screendump");

    // A trace window as it opens, and zoomed in on its carrier with a marker window beside it.
    if (!w.Documents().OpenFile(traces + "/SPECTRUM.qtr")) failed = true;
    if (fl::CChildFrame* f = w.ActiveFrame()) {
        f->showMaximized();
        Wait(300);
        save(&w, "trace-window");
        f->View()->SetZoom(fl::ZoomX({}, 0.37, 0.3));
        Wait(200);
        save(&w, "zoomed");
        f->View()->ZoomToFit();
        trigger("markers");
        Wait(300);
        save(w.MarkerWindow(), "markers");
    }
    w.OpenLimitEditor(editorFiles + "/MASK_A.QLM", false);
    trigger("gps");
    for (QWidget* t : QApplication::topLevelWidgets())
        if (auto* gps = qobject_cast<fl::GpsWindow*>(t); gps && gps->isVisible()) save(gps, "gps");
    if (!taken.count("gps")) {
        std::fprintf(stderr, "fieldlink-manualshots: no GPS window\n");
        failed = true;
    }

    for (const auto& [cls, s] : shots)
        if (!taken.count(s.name)) {
            std::fprintf(stderr, "fieldlink-manualshots: %s was never shown\n", qPrintable(cls));
            failed = true;
        }
    if (w.MarkerWindow()) w.CloseMarkerWindow();
    w.Inst().Prompts().scripted = [](const QString&) { return false; };  // no questions on the way out
    for (fl::CChildFrame* f : w.Frames())
        f->Document().SetModifiedFlag(false);
    return failed ? 1 : 0;
}
