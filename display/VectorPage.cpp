#include "VectorPage.h"

#include <QBuffer>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>

#include "CMyQuarnDoc.h"
#include "FileIo.h"
#include "QtText.h"
#include "Text.h"

namespace fl {

bool IsVectorPageName(const std::string& path) {
    return EndsWithNoCase(path, ".pdf") || EndsWithNoCase(path, ".svg");
}

bool SaveVectorPage(const CMyQuarnDoc& doc, const std::string& path, int width, int height,
                    const RenderOptions& options, std::string* error, bool replace) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    bool drawn = false;
    if (EndsWithNoCase(path, ".pdf")) {
        QPdfWriter pdf(&buffer);
        pdf.setCreator("Quarn Fieldlink Software");
        pdf.setTitle(FromCp1252(doc.GetTitle()));
        pdf.setPageSize(QPageSize(QSizeF(width, height), QPageSize::Point));
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        pdf.setResolution(300);
        QPainter p;
        if (p.begin(&pdf)) {
            const QRect area = pdf.pageLayout().paintRectPixels(pdf.resolution());
            RenderPage(p, QRectF(0, 0, area.width(), area.height()), doc, options);
            drawn = p.end();
        }
    } else if (EndsWithNoCase(path, ".svg")) {
        QSvgGenerator svg;
        svg.setOutputDevice(&buffer);
        svg.setSize(QSize(width, height));
        svg.setViewBox(QRect(0, 0, width, height));
        svg.setTitle(FromCp1252(doc.GetTitle()));
        svg.setDescription("Quarn Fieldlink Software");
        QPainter p;
        if (p.begin(&svg)) {
            p.fillRect(QRectF(0, 0, width, height), Qt::white);  // a page, not a transparent sheet
            RenderPage(p, QRectF(0, 0, width, height), doc, options);
            drawn = p.end();
        }
    }
    if (!drawn) {
        if (error) *error = "The page could not be drawn as " + path;
        return false;
    }
    return WriteWholeFileAtomically(path, std::string(bytes.constData(), static_cast<size_t>(bytes.size())),
                                    error, replace);
}

}  // namespace fl
