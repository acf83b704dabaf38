#include "ui/export/DocumentPages.h"

#include "calc/OrvelError.h"

#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace orvel {

namespace {

bool isZero(const ExportCell &cell)
{
    if (const auto *k = std::get_if<Kopecks>(&cell))
        return k->value == 0;
    if (const auto *n = std::get_if<std::int64_t>(&cell))
        return *n == 0;
    if (const auto *d = std::get_if<double>(&cell))
        return *d == 0;
    return false;
}

bool wraps(ColumnKind kind) { return kind == ColumnKind::Text || kind == ColumnKind::Formula; }

int alignment(ColumnKind kind)
{
    switch (kind) {
    case ColumnKind::Integer:
    case ColumnKind::Date: return Qt::AlignCenter;
    case ColumnKind::Text:
    case ColumnKind::Formula: return Qt::AlignLeft | Qt::TextWordWrap;
    default: return Qt::AlignRight;
    }
}

} // namespace

DocumentPages::DocumentPages(QPagedPaintDevice &device, QPainter *painter, const ExportDocument &document,
                             const QLocale &locale, int pages)
    : m_device(device), m_painter(painter), m_document(document), m_locale(locale), m_pages(pages)
{
    m_width = device.width();
    m_height = device.height();
    m_body.setPointSizeF(9);
    m_bold = m_body;
    m_bold.setBold(true);
    m_text = m_body;
    m_text.setPointSizeF(10);
    m_title = m_body;
    m_title.setPointSizeF(15);
    m_title.setBold(true);
    const QFontMetricsF fm(m_body, &device);
    m_rowHeight = fm.height() * 1.45;
    m_pad = fm.averageCharWidth() * 0.8;
    m_footer = fm.height() * 2;
}

int DocumentPages::run()
{
    paragraph(m_document.title, m_title);
    m_y += lineHeight(m_text) * 0.3;
    for (const ExportInput &input : m_document.inputs)
        if (input.where != ExportInput::InWorkbook)
            paragraph(inputLine(input, m_locale), m_text);
    m_y += lineHeight(m_text) * 0.5;
    if (m_document.chart)
        chart();
    for (const ExportTable &t : m_document.tables) {
        table(t);
        m_y += lineHeight(m_text) * 0.6;
    }
    room(m_document.notes.size() * lineHeight(m_text));
    for (const QString &line : m_document.notes)
        paragraph(line, m_text);
    footer();
    return m_page;
}

qreal DocumentPages::lineHeight(const QFont &font) const { return QFontMetricsF(font, &m_device).height() * 1.25; }

// Starts a new page unless `height` fits on this one (a page that is still
// empty takes whatever comes); true when it did.
bool DocumentPages::room(qreal height)
{
    if (m_y == 0 || m_y + height <= bottom())
        return false;
    newPage();
    return true;
}

void DocumentPages::paragraph(const QString &text, const QFont &font)
{
    const int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap;
    const QRectF used = QFontMetricsF(font, &m_device).boundingRect(QRectF(0, 0, m_width, m_height), flags, text);
    room(std::max(used.height(), lineHeight(font)));
    const QRectF box(0, m_y, m_width, used.height() + 1);
    if (m_painter) {
        m_painter->setFont(font);
        m_painter->setPen(Qt::black);
        m_painter->drawText(box, flags, text);
    }
    m_y += std::max(used.height(), lineHeight(font));
}

void DocumentPages::chart()
{
    const qreal height = std::min(m_width * 0.55, m_height * 0.42);
    room(height);
    if (m_painter)
        m_document.chart(*m_painter, QRectF(0, m_y, m_width, height));
    m_y += height + lineHeight(m_text) * 0.5;
}

void DocumentPages::table(const ExportTable &t)
{
    setColumns(t);
    if (!t.title.isEmpty()) {
        QFont bold = m_text;
        bold.setBold(true);
        room(lineHeight(bold) + m_rowHeight * 2.8);
        paragraph(t.title, bold);
    }
    room(m_rowHeight * 2.8);
    header(t);
    int i = 0;
    for (const ExportRow &row : t.rows) {
        QStringList cells;
        for (std::size_t c = 0; c < t.columns.size(); ++c) {
            const ExportCell cell = c < row.cells.size() ? row.cells[c] : ExportCell();
            cells << (t.columns[c].blankZeroOnPaper && isZero(cell) ? QString() : paperText(cell, m_locale));
        }
        if (room(rowHeight(t, cells, m_body)))
            header(t);
        const QColor shade = row.marked ? QColor(255, 244, 214) : (i % 2 ? QColor(242, 244, 247) : QColor());
        tableRow(t, cells, m_body, shade);
        ++i;
    }
    if (t.totals.empty())
        return;
    QStringList cells;
    for (const ExportCell &cell : t.totals)
        cells << paperText(cell, m_locale);
    if (room(rowHeight(t, cells, m_bold)))
        header(t);
    if (m_painter) {
        m_painter->setPen(QPen(Qt::black, 0));
        m_painter->drawLine(QPointF(0, m_y), QPointF(m_width, m_y));
    }
    tableRow(t, cells, m_bold, QColor());
}

// Whole numbers get the room of five digits, a column with a sample the room
// of its sample; the other columns share the rest, a spelled-out
// calculation twice as much as a figure.
void DocumentPages::setColumns(const ExportTable &t)
{
    const QFontMetricsF fm(m_body, &m_device);
    const auto fixedWidth = [&](const ExportColumn &c) {
        if (!c.paperSample.isEmpty())
            return fm.horizontalAdvance(c.paperSample) + 2 * m_pad;
        return c.kind == ColumnKind::Integer ? fm.horizontalAdvance(QStringLiteral("00000")) + 2 * m_pad : qreal(0);
    };
    qreal fixed = 0, shares = 0;
    for (const ExportColumn &c : t.columns) {
        fixed += fixedWidth(c);
        if (fixedWidth(c) == 0)
            shares += c.kind == ColumnKind::Formula ? 2 : 1;
    }
    const qreal share = shares > 0 ? std::max<qreal>(m_width - fixed, 0) / shares : 0;
    m_columns.clear();
    m_wrapping = std::any_of(t.columns.begin(), t.columns.end(), [](const ExportColumn &c) { return wraps(c.kind); });
    for (const ExportColumn &c : t.columns) {
        const qreal width = fixedWidth(c);
        m_columns.push_back(width > 0 ? width : share * (c.kind == ColumnKind::Formula ? 2 : 1));
    }
}

// The column titles, on two lines where a title needs them.
void DocumentPages::header(const ExportTable &t)
{
    QStringList titles;
    for (const ExportColumn &c : t.columns)
        titles << c.title;
    tableRow(t, titles, m_bold, QColor(222, 228, 236), Qt::AlignCenter | Qt::TextWordWrap, 1.8);
}

// A row's height: texts that do not fit their column wrap and make it taller.
qreal DocumentPages::rowHeight(const ExportTable &t, const QStringList &cells, const QFont &font) const
{
    qreal height = m_rowHeight;
    if (!m_wrapping)
        return height;
    const QFontMetricsF fm(font, &m_device);
    for (std::size_t c = 0; c < t.columns.size() && c < std::size_t(cells.size()); ++c)
        if (wraps(t.columns[c].kind)) {
            const QRectF box(0, 0, m_columns[c] - 2 * m_pad, m_height);
            const qreal needed = fm.boundingRect(box, Qt::TextWordWrap, cells[int(c)]).height();
            height = std::max(height, needed + m_rowHeight - fm.height());
        }
    return height;
}

// A row of cells; `align` and `lines` for the header's titles.
void DocumentPages::tableRow(const ExportTable &t, const QStringList &cells, const QFont &font, const QColor &shade,
                             int align, qreal lines)
{
    const qreal height = align ? m_rowHeight * lines : rowHeight(t, cells, font);
    if (m_painter) {
        if (shade.isValid())
            m_painter->fillRect(QRectF(0, m_y, m_width, height), shade);
        m_painter->setFont(font);
        m_painter->setPen(Qt::black);
        qreal x = 0;
        for (std::size_t c = 0; c < t.columns.size() && c < std::size_t(cells.size()); ++c) {
            const int a = align ? align : alignment(t.columns[c].kind);
            const QRectF cell(x + m_pad, m_y, m_columns[c] - 2 * m_pad, height);
            m_painter->drawText(cell, a | Qt::AlignVCenter, cells[int(c)]);
            x += m_columns[c];
        }
    }
    m_y += height;
}

void DocumentPages::footer()
{
    if (!m_painter || m_pages <= 0)
        return;
    m_painter->setFont(m_body);
    m_painter->setPen(Qt::darkGray);
    m_painter->drawText(QRectF(0, m_height - m_footer * 0.75, m_width, m_footer * 0.75),
                        int(Qt::AlignRight | Qt::AlignVCenter), QStringLiteral("Страница %1 из %2").arg(m_page).arg(m_pages));
}

void DocumentPages::newPage()
{
    footer();
    if (m_painter && !m_device.newPage())
        throw OrvelError(QStringLiteral("Не удалось начать новую страницу"));
    ++m_page;
    m_y = 0;
}

} // namespace orvel
