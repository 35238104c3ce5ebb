#include "SurveyReport.h"

#include <QBuffer>
#include <QDateTime>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>

#include "CMyQuarnDoc.h"
#include "FileIo.h"
#include "PageCanvas.h"
#include "Text.h"

namespace fl {

namespace {

constexpr int kDpi = 300;
constexpr double kMarginMm = 12;

double Pt(double points) {
    return points * kDpi / 72.0;
}

QFont ReportFont(double points, bool bold = false) {
    QFont f("Liberation Sans");
    f.setPixelSize(static_cast<int>(Pt(points)));
    f.setBold(bold);
    return f;
}

std::string BaseName(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A cell's text in at most `maxLines` lines of `width`: word by word (a line feed starts a new line), the
// rest of the last line elided.
QStringList CellLines(const QFontMetricsF& fm, const QString& text, double width, int maxLines) {
    QStringList lines;
    const QStringList paragraphs = text.split('\n');
    for (qsizetype p = 0; p < paragraphs.size() && lines.size() < maxLines; ++p) {
        QStringList words = paragraphs[p].split(' ', Qt::SkipEmptyParts);
        while (!words.isEmpty() && lines.size() < maxLines) {
            if (lines.size() == maxLines - 1) {
                QString rest = words.join(' ');
                if (p + 1 < paragraphs.size()) rest += ' ' + paragraphs.mid(p + 1).join(' ');
                lines << fm.elidedText(rest, Qt::ElideRight, width);
                return lines;
            }
            QString line;
            qsizetype used = 0;
            for (; used < words.size(); ++used) {
                const QString next = line.isEmpty() ? words[used] : line + ' ' + words[used];
                if (fm.horizontalAdvance(next) > width) break;
                line = next;
            }
            if (line.isEmpty()) {  // one word wider than the cell
                line = fm.elidedText(words[0], Qt::ElideRight, width);
                used = 1;
            }
            lines << line;
            words = words.mid(used);
        }
    }
    return lines;
}

struct Column {
    const char* caption;
    double share;
};
const Column kColumns[] = {
    {"#", 3},        {"File", 12},   {"Trace", 10},  {"Mode", 10},   {"Date and time", 10},
    {"X range", 17}, {"Result", 18}, {"Limits", 10}, {"Verdict", 7}, {"GPS position", 14}};
constexpr int kColumnCount = static_cast<int>(std::size(kColumns));

std::vector<QString> Cells(const TraceSummary& s, int number) {
    std::vector<QString> c(kColumnCount);
    c[0] = QString::number(number);
    c[1] = FromCp1252(BaseName(s.file));
    if (!s.readable) {
        c[2] = "unreadable: " + FromCp1252(s.message);
        return c;
    }
    c[2] = FromCp1252(s.traceName);
    c[3] = FromCp1252(s.mode);
    c[4] = FromCp1252(s.dateTime);
    c[5] = FromCp1252(s.xRange);
    c[6] = FromCp1252(s.result);
    c[7] = FromCp1252(s.limitSet);
    c[8] = FromCp1252(s.verdict);
    if (s.failCount > 0) c[8] += QString(" (%1)").arg(s.failCount);
    if (s.position) {
        // Latitude on the first line, longitude and altitude on the second.
        const std::string t = PositionText(*s.position);
        const size_t comma = t.find(", ");
        c[9] = FromCp1252(t.substr(0, comma) + "\n" + t.substr(comma + 2));
    }
    return c;
}

class SummaryPages {
  public:
    SummaryPages(double width, double height, const std::vector<TraceSummary>& rows, const std::string& title)
        : m_w(width),
          m_h(height),
          m_rows(rows),
          m_title(title),
          m_cell(ReportFont(width < Pt(600) ? 7 : 8)),
          m_cellFm(m_cell) {
        // A portrait page's narrow columns take three lines a row.
        m_lines = width < Pt(600) ? 3 : 2;
        m_rowH = m_lines * m_cellFm.lineSpacing() + Pt(5);
        m_headH = 2 * m_cellFm.lineSpacing() + Pt(4);
        m_tableTop = Pt(62);
        const double bottom = m_h - Pt(20);
        m_perPage = std::max(1, static_cast<int>((bottom - m_tableTop - m_headH) / m_rowH));
    }
    int PageCount() const {
        return std::max(1, static_cast<int>((m_rows.size() + static_cast<size_t>(m_perPage) - 1) /
                                            static_cast<size_t>(m_perPage)));
    }
    void Draw(QPainter& p, int page) const;

  private:
    double m_w, m_h;
    const std::vector<TraceSummary>& m_rows;
    std::string m_title;
    QFont m_cell;
    QFontMetricsF m_cellFm;
    double m_rowH = 0, m_headH = 0, m_tableTop = 0;
    int m_lines = 2;
    int m_perPage = 1;
};

void SummaryPages::Draw(QPainter& p, int page) const {
    p.setPen(Qt::black);
    p.setFont(ReportFont(16, true));
    p.drawText(QRectF(0, 0, m_w, Pt(22)), Qt::AlignLeft | Qt::AlignVCenter, FromCp1252(m_title));
    int pass = 0, fail = 0, unreadable = 0, placed = 0;
    for (const TraceSummary& s : m_rows) {
        if (!s.readable) ++unreadable;
        if (s.verdict == "PASS") ++pass;
        if (s.verdict == "FAIL") ++fail;
        if (s.position) ++placed;
    }
    QString stats = QString("%1 traces: %2 pass, %3 fail, %4 without a verdict")
                        .arg(m_rows.size())
                        .arg(pass)
                        .arg(fail)
                        .arg(static_cast<int>(m_rows.size()) - pass - fail - unreadable);
    if (unreadable) stats += QString(", %1 unreadable").arg(unreadable);
    stats += QString("; %1 with a GPS position").arg(placed);
    p.setFont(ReportFont(9));
    p.drawText(QRectF(0, Pt(24), m_w, Pt(13)), Qt::AlignLeft | Qt::AlignVCenter, stats);
    p.drawText(QRectF(0, Pt(37), m_w, Pt(13)), Qt::AlignLeft | Qt::AlignVCenter,
               "Created " + QDateTime::currentDateTime().toString("dd.MM.yyyy hh:mm"));

    double total = 0;
    for (const Column& c : kColumns)
        total += c.share;
    std::vector<double> x(kColumnCount + 1, 0);
    for (int i = 0; i < kColumnCount; ++i)
        x[static_cast<size_t>(i) + 1] = x[static_cast<size_t>(i)] + m_w * kColumns[i].share / total;
    const double pad = Pt(2.5);
    // The caption row.
    double y = m_tableTop;
    p.fillRect(QRectF(0, y, m_w, m_headH), QColor(40, 60, 90));
    p.setPen(Qt::white);
    QFont head = m_cell;
    head.setBold(true);
    p.setFont(head);
    const QFontMetricsF headFm(head);
    for (int i = 0; i < kColumnCount; ++i) {
        const size_t k = static_cast<size_t>(i);
        const QStringList lines = CellLines(headFm, kColumns[i].caption, x[k + 1] - x[k] - 2 * pad, 2);
        for (int l = 0; l < lines.size(); ++l)
            p.drawText(QPointF(x[k] + pad, y + Pt(2) + headFm.ascent() + l * headFm.lineSpacing()), lines[l]);
    }
    y += m_headH;
    const size_t first = static_cast<size_t>(page) * static_cast<size_t>(m_perPage);
    for (size_t r = first; r < m_rows.size() && r < first + static_cast<size_t>(m_perPage); ++r) {
        const TraceSummary& s = m_rows[r];
        // Failing rows stand out in red, unreadable ones in grey; the others alternate lightly.
        QColor band = r % 2 ? QColor(244, 246, 250) : QColor(Qt::white);
        if (s.verdict == "FAIL") band = QColor(255, 218, 218);
        if (!s.readable) band = QColor(225, 225, 225);
        p.fillRect(QRectF(0, y, m_w, m_rowH), band);
        const std::vector<QString> cells = Cells(s, static_cast<int>(r) + 1);
        for (int i = 0; i < kColumnCount; ++i) {
            const size_t k = static_cast<size_t>(i);
            double left = x[k] + pad, width = x[k + 1] - x[k] - 2 * pad;
            QFont f = m_cell;
            QColor ink = Qt::black;
            if (!s.readable && i == 2) {
                width = m_w - left - pad;  // the message spans the rest of the row
                f.setItalic(true);
                ink = QColor(150, 0, 0);
            }
            if (i == 8 && !s.verdict.empty()) {
                f.setBold(true);
                ink = s.verdict == "PASS" ? QColor(0, 130, 60) : QColor(200, 0, 0);
            }
            p.setFont(f);
            p.setPen(ink);
            const QStringList lines = CellLines(QFontMetricsF(f), cells[k], width, m_lines);
            for (int l = 0; l < lines.size(); ++l)
                p.drawText(QPointF(left, y + Pt(2.5) + m_cellFm.ascent() + l * m_cellFm.lineSpacing()),
                           lines[l]);
            if (!s.readable && i == 2) break;
        }
        p.setPen(QPen(QColor(200, 200, 200), Pt(0.4)));
        p.drawLine(QPointF(0, y + m_rowH), QPointF(m_w, y + m_rowH));
        y += m_rowH;
    }
}

void Footer(QPainter& p, double w, double h, const std::string& left, int page, int pages) {
    p.setPen(QColor(90, 90, 90));
    p.setFont(ReportFont(7.5));
    const QRectF band(0, h - Pt(11), w, Pt(11));
    const QString right = QString("Page %1 of %2").arg(page).arg(pages);
    const double rightW = QFontMetricsF(p.font()).horizontalAdvance(right) + Pt(10);
    p.drawText(QRectF(band.left(), band.top(), w - rightW, band.height()), Qt::AlignLeft | Qt::AlignVCenter,
               QFontMetricsF(p.font()).elidedText(FromCp1252(left), Qt::ElideMiddle, w - rightW));
    p.drawText(band, Qt::AlignRight | Qt::AlignVCenter, right);
}

}  // namespace

std::vector<TraceSummary> ReportSummaries(const std::vector<ReportItem>& items) {
    std::vector<TraceSummary> rows;
    rows.reserve(items.size());
    for (const ReportItem& it : items)
        rows.push_back(it.doc ? Summarise(*it.doc, it.path) : UnreadableSummary(it.path, it.message));
    return rows;
}

std::vector<ReportItem> LoadReportItems(const std::vector<std::string>& paths) {
    std::vector<ReportItem> items;
    for (const std::string& path : paths) {
        auto doc = std::make_shared<CMyQuarnDoc>();
        const LoadResult r = doc->Load(path);
        if (r.ok())
            items.push_back({path, doc, {}});
        else
            items.push_back({path, nullptr, r.message.empty() ? std::string("cannot be read") : r.message});
    }
    return items;
}

ReportResult WriteSurveyReport(const std::string& path, const std::vector<ReportItem>& items,
                               const ReportOptions& options) {
    ReportResult result;
    const std::vector<TraceSummary> rows = ReportSummaries(items);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setResolution(kDpi);
    writer.setTitle(FromCp1252(options.title));
    writer.setCreator("Fieldlink");
    auto orientationOf = [&](const CMyQuarnDoc* d) {
        const int o = options.orientation >= 0 ? options.orientation : d ? d->m_nOrientation : 1;
        return o ? QPageLayout::Landscape : QPageLayout::Portrait;
    };
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), orientationOf(nullptr),
                                     QMarginsF(kMarginMm, kMarginMm, kMarginMm, kMarginMm),
                                     QPageLayout::Millimeter));
    QPainter p;
    if (!p.begin(&writer)) {
        result.error = "The PDF writer could not start.";
        return result;
    }
    auto size = [&] { return QSizeF(writer.width(), writer.height()); };
    SummaryPages summary(size().width(), size().height(), rows, options.title);
    int traces = 0;
    for (const ReportItem& it : items)
        traces += it.doc ? 1 : 0;
    const int pages = summary.PageCount() + traces;
    int page = 0;
    auto next = [&](const CMyQuarnDoc* d) {
        if (options.progress && !options.progress(page, pages)) return false;
        if (page > 0) {
            writer.setPageOrientation(orientationOf(d));
            writer.newPage();
        }
        ++page;
        return true;
    };
    for (int i = 0; i < summary.PageCount(); ++i) {
        if (!next(nullptr)) {
            p.end();
            result.error = "Cancelled.";
            return result;
        }
        summary.Draw(p, i);
        Footer(p, size().width(), size().height(), options.title, page, pages);
    }
    RenderOptions pageOptions = options.page;
    pageOptions.showFilePath = true;
    pageOptions.places = nullptr;
    pageOptions.textBoxes = nullptr;
    for (const ReportItem& it : items) {
        if (!it.doc) continue;
        if (!next(it.doc.get())) {
            p.end();
            result.error = "Cancelled.";
            return result;
        }
        const QSizeF s = size();
        const QRectF area(0, 0, s.width(), s.height() - Pt(14));
        if (options.orientation >= 0 && options.orientation != it.doc->m_nOrientation) {
            CMyQuarnDoc turned = *it.doc;
            turned.m_nOrientation = options.orientation;
            turned.UpdatePageSize();
            RenderPrintPage(p, area, turned, pageOptions);
        } else {
            RenderPrintPage(p, area, *it.doc, pageOptions);
        }
        Footer(p, s.width(), s.height(), options.title + "  -  " + it.path, page, pages);
    }
    if (!p.end()) {
        result.error = "The PDF could not be completed.";
        return result;
    }
    buffer.close();
    if (!WriteWholeFileAtomically(
            path, std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())), &result.error))
        return result;
    result.ok = true;
    result.pages = pages;
    result.summaryPages = summary.PageCount();
    return result;
}

}  // namespace fl
