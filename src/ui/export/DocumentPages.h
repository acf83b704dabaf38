#pragma once
// A document laid out on pages (a PDF or a printer): the title, the inputs,
// the chart, each table over as many pages as it needs with its header on
// each, its totals row, the lines under the tables, and page numbers.
#include "ui/export/ExportDocument.h"

#include <QFont>
#include <QLocale>

class QPagedPaintDevice;

namespace orvel {

class DocumentPages {
public:
    // Without a painter it only counts the pages; with one it paints them,
    // numbering them "of `pages`".
    DocumentPages(QPagedPaintDevice &device, QPainter *painter, const ExportDocument &document, const QLocale &locale,
                  int pages);

    // Lays the document out; the number of pages. Throws OrvelError when the
    // device refuses a new page.
    int run();

private:
    qreal lineHeight(const QFont &font) const;
    qreal bottom() const { return m_height - m_footer; }
    bool room(qreal height);
    void paragraph(const QString &text, const QFont &font);
    void chart();
    void table(const ExportTable &table);
    void setColumns(const ExportTable &table);
    void header(const ExportTable &table);
    qreal rowHeight(const ExportTable &table, const QStringList &cells, const QFont &font) const;
    void tableRow(const ExportTable &table, const QStringList &cells, const QFont &font, const QColor &shade,
                  int align = 0, qreal lines = 1);
    void footer();
    void newPage();

    QPagedPaintDevice &m_device;
    QPainter *m_painter;
    const ExportDocument &m_document;
    const QLocale &m_locale;
    const int m_pages;
    qreal m_width = 0, m_height = 0, m_rowHeight = 0, m_pad = 0, m_footer = 0, m_y = 0;
    std::vector<qreal> m_columns; // widths of the table being laid out
    bool m_wrapping = false;      // it has columns whose texts wrap
    QFont m_body, m_bold, m_text, m_title;
    int m_page = 1;
};

} // namespace orvel
