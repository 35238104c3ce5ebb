#include "Icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace fl {

namespace {

const QColor kInk(34, 60, 96);
const QColor kAccent(0, 150, 255);
const QColor kGreen(0, 161, 88);
const QColor kRed(214, 48, 49);

void Trace(QPainter& p, const QRectF& r, const QColor& c) {
    QPainterPath path;
    path.moveTo(r.left(), r.bottom() - r.height() * 0.2);
    const int n = 12;
    for (int i = 1; i <= n; ++i) {
        const double x = r.left() + r.width() * i / n;
        const double peak = (i == 6) ? 0.9 : (i == 3 || i == 9) ? 0.5 : 0.2 + 0.08 * (i % 2);
        path.lineTo(x, r.bottom() - r.height() * peak);
    }
    p.setPen(QPen(c, 1.6));
    p.drawPath(path);
}

void Badge(QPainter& p, const QString& text, const QColor& c) {
    QFont f("Liberation Sans");
    f.setPixelSize(9);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawRoundedRect(QRectF(10, 13, 14, 10), 2, 2);
    p.setPen(Qt::white);
    p.drawText(QRectF(10, 13, 14, 10), Qt::AlignCenter, text);
}

}  // namespace

QIcon MakeIcon(const QString& name) {
    QPixmap pm(24, 24);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF screen(2, 3, 20, 15);
    auto display = [&](const QColor& trace) {
        p.setPen(QPen(kInk, 1.4));
        p.setBrush(QColor(245, 248, 252));
        p.drawRoundedRect(screen, 2, 2);
        Trace(p, screen.adjusted(2, 2, -2, -2), trace);
    };
    if (name == "connect" || name == "disconnect") {
        p.setPen(QPen(name == "connect" ? kGreen : kRed, 2.2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(3, 12), QPointF(9, 12));
        p.drawLine(QPointF(15, 12), QPointF(21, 12));
        p.setBrush(name == "connect" ? kGreen : kRed);
        p.drawRect(QRectF(8, 8, 4, 8));
        p.drawRect(QRectF(name == "connect" ? 12 : 14, 8, 4, 8));
    } else if (name == "settings") {
        p.setPen(QPen(kInk, 2));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(12, 12), 6, 6);
        for (int i = 0; i < 8; ++i) {
            p.save();
            p.translate(12, 12);
            p.rotate(45 * i);
            p.drawLine(QPointF(0, 7), QPointF(0, 10));
            p.restore();
        }
    } else if (name == "open" || name == "save") {
        p.setPen(QPen(kInk, 1.4));
        p.setBrush(name == "open" ? QColor(250, 210, 110) : QColor(200, 220, 245));
        if (name == "open") {
            p.drawRect(QRectF(3, 7, 18, 13));
            p.drawRect(QRectF(3, 5, 8, 3));
        } else {
            p.drawRoundedRect(QRectF(4, 4, 16, 16), 2, 2);
            p.setBrush(Qt::white);
            p.drawRect(QRectF(7, 4, 10, 6));
        }
    } else if (name == "print") {
        p.setPen(QPen(kInk, 1.4));
        p.setBrush(QColor(220, 224, 230));
        p.drawRoundedRect(QRectF(3, 9, 18, 9), 2, 2);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(7, 3, 10, 6));
        p.drawRect(QRectF(7, 15, 10, 6));
    } else if (name == "gettrace" || name == "displaytrace" || name == "livetrace") {
        display(name == "livetrace" ? kRed : kAccent);
        if (name == "gettrace") Badge(p, "M", kInk);
        if (name == "displaytrace") Badge(p, "A", kInk);
        if (name == "livetrace") Badge(p, "L", kRed);
    } else if (name == "transfer") {
        p.setPen(QPen(kInk, 2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(4, 9), QPointF(19, 9));
        p.drawLine(QPointF(15, 5), QPointF(19, 9));
        p.drawLine(QPointF(20, 15), QPointF(5, 15));
        p.drawLine(QPointF(9, 19), QPointF(5, 15));
    } else if (name == "screendump") {
        display(kInk);
        p.setPen(QPen(kInk, 1.4));
        p.drawLine(QPointF(8, 21), QPointF(16, 21));
    } else if (name == "gps") {
        p.setPen(QPen(kGreen, 2));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(12, 10), 5, 5);
        p.drawLine(QPointF(12, 15), QPointF(12, 21));
    } else if (name == "about") {
        p.setPen(Qt::NoPen);
        p.setBrush(kAccent);
        p.drawEllipse(QRectF(3, 3, 18, 18));
        QFont f("Liberation Sans");
        f.setPixelSize(14);
        f.setBold(true);
        p.setFont(f);
        p.setPen(Qt::white);
        p.drawText(QRectF(3, 3, 18, 18), Qt::AlignCenter, "i");
    } else if (name == "app") {
        display(kAccent);
    } else {
        // The editors: a sheet with a coloured initial.
        static const std::pair<const char*, const char*> letters[] = {
            {"settingeditor", "S"},     {"limiteditor", "L"},   {"extdeveditor", "E"},
            {"channeleditor", "C"},     {"cableeditor", "T"},   {"antennaeditor", "A"},
            {"cablefactoreditor", "F"}, {"emflimiteditor", "I"}};
        QString letter = "?";
        for (auto [n, l] : letters)
            if (name == n) letter = l;
        p.setPen(QPen(kInk, 1.4));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(5, 3, 14, 18));
        p.setPen(QPen(QColor(170, 180, 195), 1));
        for (int y = 7; y <= 17; y += 3)
            p.drawLine(QPointF(7, y), QPointF(13, y));
        Badge(p, letter, name == "emflimiteditor" || name == "antennaeditor" ? kGreen : kAccent);
    }
    p.end();
    return QIcon(pm);
}

}  // namespace fl
