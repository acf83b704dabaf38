#include "ui/schedule/ScheduleFiles.h"

#include "calc/Csv.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>

#include <xlsxwriter.h>

namespace orvel {

namespace {

constexpr int kMoneyColumns[] = {ColInterest, ColPrincipal, ColPayment, ColEarly};

QString documentTitle() { return QStringLiteral("График платежей по кредиту"); }

// ---- xlsx ----

// Every call of libxlsxwriter that can fail goes through this.
void check(lxw_error error)
{
    if (error != LXW_NO_ERROR)
        throw OrvelError(QStringLiteral("Не удалось составить книгу .xlsx: %1").arg(QString::fromUtf8(lxw_strerror(error))));
}

// The workbook is freed (and written) by workbook_close() whatever happens;
// only a close that the code asked for reports its outcome.
class Workbook {
public:
    explicit Workbook(const QString &path) : m_path(QFile::encodeName(path)), m_wb(workbook_new(m_path.constData()))
    {
        if (!m_wb)
            throw OrvelError(QStringLiteral("Не удалось составить книгу .xlsx: нет памяти"));
    }
    ~Workbook()
    {
        if (m_wb)
            workbook_close(m_wb);
    }
    Workbook(const Workbook &) = delete;
    Workbook &operator=(const Workbook &) = delete;

    lxw_workbook *get() const { return m_wb; }
    void close()
    {
        lxw_workbook *wb = m_wb;
        m_wb = nullptr;
        check(workbook_close(wb));
    }

private:
    QByteArray m_path;
    lxw_workbook *m_wb;
};

// Cell writes with UTF-8 texts.
class Sheet {
public:
    Sheet(lxw_worksheet *ws, const QByteArray &name) : ws(ws), name(name) {}
    void text(int row, int col, const QString &s, lxw_format *f = nullptr)
    {
        check(worksheet_write_string(ws, lxw_row_t(row), lxw_col_t(col), s.toUtf8().constData(), f));
    }
    void number(int row, int col, double v, lxw_format *f = nullptr)
    {
        check(worksheet_write_number(ws, lxw_row_t(row), lxw_col_t(col), v, f));
    }
    void formula(int row, int col, const QString &s, lxw_format *f, double value)
    {
        check(worksheet_write_formula_num(ws, lxw_row_t(row), lxw_col_t(col), s.toUtf8().constData(), f, value));
    }
    lxw_worksheet *ws;
    QByteArray name;
};

double roubles(std::int64_t kopecks) { return double(kopecks) / 100.0; }

lxw_chart *addChart(lxw_workbook *wb, std::uint8_t type, const char *title)
{
    lxw_chart *chart = workbook_add_chart(wb, type);
    if (!chart)
        throw OrvelError(QStringLiteral("Не удалось составить книгу .xlsx: нет памяти"));
    chart_title_set_name(chart, title);
    return chart;
}

lxw_chart_series *addSeries(lxw_chart *chart, const Sheet &sheet, int firstRow, int lastRow, int column,
                            const QString &name)
{
    lxw_chart_series *s = chart_add_series(chart, nullptr, nullptr);
    if (!s)
        throw OrvelError(QStringLiteral("Не удалось составить книгу .xlsx: нет памяти"));
    chart_series_set_categories(s, sheet.name.constData(), lxw_row_t(firstRow), ColMonth, lxw_row_t(lastRow), ColMonth);
    chart_series_set_values(s, sheet.name.constData(), lxw_row_t(firstRow), lxw_col_t(column), lxw_row_t(lastRow),
                            lxw_col_t(column));
    chart_series_set_name(s, name.toUtf8().constData());
    return s;
}

// Excel's letters of a column of the table (A..G).
QChar columnLetter(int column) { return QChar(u'A' + column); }

// ---- paged document ----

// Lays the document out page by page; run once to count the pages and once
// to paint them.
class DocumentLayout {
public:
    DocumentLayout(QPagedPaintDevice &device, QPainter *painter, const ScheduleReport &report, const QLocale &locale,
                   const ChartPainter &chart, int pages)
        : m_device(device), m_painter(painter), m_report(report), m_locale(locale), m_chart(chart), m_pages(pages)
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
        // The month column holds four digits, the money columns share the rest.
        m_columns[0] = fm.horizontalAdvance(QStringLiteral("00000")) + 2 * m_pad;
        const qreal money = (m_width - m_columns[0]) / (ColCount - 1);
        for (int c = 1; c < ColCount; ++c)
            m_columns[c] = money;
    }

    int run()
    {
        paragraph(documentTitle(), m_title);
        m_y += lineHeight(m_text) * 0.3;
        for (const QString &line : scheduleInputLines(m_report, m_locale))
            paragraph(line, m_text);
        m_y += lineHeight(m_text) * 0.5;

        const qreal chartHeight = std::min(m_width * 0.55, m_height * 0.42);
        room(chartHeight);
        if (m_painter && m_chart)
            m_chart(*m_painter, QRectF(0, m_y, m_width, chartHeight));
        m_y += chartHeight + lineHeight(m_text) * 0.5;

        room(m_rowHeight * 2.8);
        header();
        int i = 0;
        for (const ScheduleRow &row : m_report.schedule.rows) {
            if (room(m_rowHeight))
                header();
            QStringList cells;
            for (int c = 0; c < ColCount; ++c) {
                if (c == ColMonth)
                    cells << QString::number(row.month);
                else if (c == ColEarly && row.early == 0)
                    cells << QString(); // as in the window: only the months that have one
                else
                    cells << moneyText(scheduleFigure(row, c), m_locale);
            }
            const QColor shade = row.early > 0 ? QColor(255, 244, 214) : (i % 2 ? QColor(242, 244, 247) : QColor());
            tableRow(cells, m_body, shade);
            ++i;
        }

        if (room(m_rowHeight))
            header();
        const ScheduleTotals totals = scheduleTotals(m_report.schedule);
        QStringList cells;
        for (int c = 0; c < ColCount; ++c) {
            std::int64_t figure = 0;
            cells << (c == ColMonth ? totalsTitle()
                                    : scheduleTotal(totals, c, &figure) ? moneyText(figure, m_locale) : QString());
        }
        if (m_painter) {
            m_painter->setPen(QPen(Qt::black, 0));
            m_painter->drawLine(QPointF(0, m_y), QPointF(m_width, m_y));
        }
        tableRow(cells, m_bold, QColor());

        m_y += lineHeight(m_text) * 0.6;
        const QStringList summary = scheduleSummaryLines(m_report, m_locale);
        room(summary.size() * lineHeight(m_text));
        for (const QString &line : summary)
            paragraph(line, m_text);
        footer();
        return m_page;
    }

private:
    qreal lineHeight(const QFont &font) const { return QFontMetricsF(font, &m_device).height() * 1.25; }
    qreal bottom() const { return m_height - m_footer; }

    // Starts a new page unless `height` fits on this one (a page that is
    // still empty takes whatever comes); true when it did.
    bool room(qreal height)
    {
        if (m_y == 0 || m_y + height <= bottom())
            return false;
        newPage();
        return true;
    }

    void paragraph(const QString &text, const QFont &font)
    {
        const int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap;
        const QRectF used =
            QFontMetricsF(font, &m_device).boundingRect(QRectF(0, 0, m_width, m_height), flags, text);
        room(std::max(used.height(), lineHeight(font)));
        const QRectF box(0, m_y, m_width, used.height() + 1);
        if (m_painter) {
            m_painter->setFont(font);
            m_painter->setPen(Qt::black);
            m_painter->drawText(box, flags, text);
        }
        m_y += std::max(used.height(), lineHeight(font));
    }

    // The column titles, on two lines where a title needs them.
    void header()
    {
        QStringList titles;
        for (int c = 0; c < ColCount; ++c)
            titles << scheduleColumnTitle(c);
        tableRow(titles, m_bold, QColor(222, 228, 236), Qt::AlignCenter | Qt::TextWordWrap, 1.8);
    }

    void tableRow(const QStringList &cells, const QFont &font, const QColor &shade, int align = 0, qreal lines = 1)
    {
        const qreal height = m_rowHeight * lines;
        if (m_painter) {
            if (shade.isValid())
                m_painter->fillRect(QRectF(0, m_y, m_width, height), shade);
            m_painter->setFont(font);
            m_painter->setPen(Qt::black);
            qreal x = 0;
            for (int c = 0; c < ColCount; ++c) {
                const int a = align ? align : int(c == ColMonth ? Qt::AlignCenter : Qt::AlignRight);
                const QRectF cell(x + m_pad, m_y, m_columns[c] - 2 * m_pad, height);
                m_painter->drawText(cell, a | Qt::AlignVCenter, cells[c]);
                x += m_columns[c];
            }
        }
        m_y += height;
    }

    void footer()
    {
        if (!m_painter || m_pages <= 0)
            return;
        m_painter->setFont(m_body);
        m_painter->setPen(Qt::darkGray);
        m_painter->drawText(QRectF(0, m_height - m_footer * 0.75, m_width, m_footer * 0.75),
                            int(Qt::AlignRight | Qt::AlignVCenter),
                            QStringLiteral("Страница %1 из %2").arg(m_page).arg(m_pages));
    }

    void newPage()
    {
        footer();
        if (m_painter && !m_device.newPage())
            throw OrvelError(QStringLiteral("Не удалось начать новую страницу"));
        ++m_page;
        m_y = 0;
    }

    QPagedPaintDevice &m_device;
    QPainter *m_painter;
    const ScheduleReport &m_report;
    const QLocale &m_locale;
    const ChartPainter &m_chart;
    const int m_pages;
    qreal m_width = 0, m_height = 0, m_rowHeight = 0, m_pad = 0, m_footer = 0, m_y = 0;
    qreal m_columns[ColCount] = {};
    QFont m_body, m_bold, m_text, m_title;
    int m_page = 1;
};

} // namespace

QByteArray scheduleCsv(const ScheduleReport &report)
{
    const QChar comma(u',');
    CsvText out;
    QStringList titles;
    for (int c = 0; c < ColCount; ++c)
        titles << scheduleColumnTitle(c);
    out.addLine(titles);
    for (const ScheduleRow &row : report.schedule.rows) {
        QStringList fields{QString::number(row.month)};
        for (int c = 1; c < ColCount; ++c)
            fields << plainMoneyText(scheduleFigure(row, c), comma);
        out.addLine(fields);
    }
    const ScheduleTotals totals = scheduleTotals(report.schedule);
    QStringList fields{totalsTitle()};
    for (int c = 1; c < ColCount; ++c) {
        std::int64_t figure = 0;
        fields << (scheduleTotal(totals, c, &figure) ? plainMoneyText(figure, comma) : QString());
    }
    out.addLine(fields);
    return out.bytes();
}

QByteArray scheduleXlsx(const ScheduleReport &report)
{
    // libxlsxwriter writes to a file of its own; it goes to a private folder
    // and the caller stores the bytes where the user asked.
    QTemporaryDir dir;
    if (!dir.isValid())
        throw OrvelError(QStringLiteral("Не удалось составить книгу .xlsx: %1").arg(dir.errorString()));
    const QString path = dir.filePath(QStringLiteral("schedule.xlsx"));
    {
        Workbook wb(path);
        const QByteArray sheetName = QStringLiteral("График платежей").toUtf8();
        lxw_worksheet *ws = workbook_add_worksheet(wb.get(), sheetName.constData());
        if (!ws)
            throw OrvelError(QStringLiteral("Не удалось составить книгу .xlsx: нет памяти"));
        Sheet sheet(ws, sheetName);

        lxw_format *title = workbook_add_format(wb.get());
        format_set_bold(title);
        format_set_font_size(title, 14);
        lxw_format *bold = workbook_add_format(wb.get());
        format_set_bold(bold);
        lxw_format *money = workbook_add_format(wb.get());
        format_set_num_format(money, "#,##0.00");
        lxw_format *head = workbook_add_format(wb.get());
        format_set_bold(head);
        format_set_text_wrap(head);
        format_set_align(head, LXW_ALIGN_CENTER);
        format_set_align(head, LXW_ALIGN_VERTICAL_CENTER);
        format_set_bg_color(head, 0xDEE4EC);
        format_set_bottom(head, LXW_BORDER_THIN);
        lxw_format *month = workbook_add_format(wb.get());
        format_set_align(month, LXW_ALIGN_CENTER);
        lxw_format *totalMoney = workbook_add_format(wb.get());
        format_set_num_format(totalMoney, "#,##0.00");
        format_set_bold(totalMoney);
        format_set_top(totalMoney, LXW_BORDER_THIN);
        lxw_format *totalTitle = workbook_add_format(wb.get());
        format_set_bold(totalTitle);
        format_set_top(totalTitle, LXW_BORDER_THIN);
        format_set_align(totalTitle, LXW_ALIGN_CENTER);

        check(worksheet_set_column(ws, 0, 0, 8, nullptr));
        check(worksheet_set_column(ws, 1, ColCount - 1, 17, nullptr));
        check(worksheet_set_column(ws, ColCount + 1, ColCount + 1, 2, nullptr));

        const LoanTerms &t = report.terms;
        const LoanSchedule &s = report.schedule;
        int row = 0;
        sheet.text(row++, 0, documentTitle(), title);
        sheet.text(row, 0, QStringLiteral("Сумма кредита"));
        sheet.number(row++, 2, roubles(s.rows.empty() ? 0 : s.rows.front().debtBefore), money);
        sheet.text(row, 0, QStringLiteral("Процентная ставка, %"));
        sheet.number(row++, 2, t.rate);
        sheet.text(row, 0, QStringLiteral("Срок кредита, мес."));
        sheet.number(row++, 2, t.months);
        sheet.text(row, 0, QStringLiteral("Платежи"));
        sheet.text(row++, 2, repaymentKindText(t.kind));
        if (!t.early.empty()) {
            sheet.text(row, 0, QStringLiteral("Досрочные погашения"), bold);
            sheet.text(row, 2, QStringLiteral("Месяц"), bold);
            sheet.text(row, 3, QStringLiteral("Сумма"), bold);
            sheet.text(row++, 4, QStringLiteral("Способ"), bold);
            for (std::size_t i = 0; i < t.early.size(); ++i) {
                sheet.text(row, 0, QString::number(i + 1));
                sheet.number(row, 2, t.early[i].month);
                sheet.number(row, 3, roubles(t.early[i].kopecks), money);
                sheet.text(row, 4, earlyModeText(t.early[i].mode));
                const QString state = earlyStateText(report, i);
                if (!state.isEmpty())
                    sheet.text(row, 5, state);
                ++row;
            }
        }
        ++row;

        const int headerRow = row;
        check(worksheet_set_row(ws, lxw_row_t(headerRow), 30, nullptr));
        for (int c = 0; c < ColCount; ++c)
            sheet.text(headerRow, c, scheduleColumnTitle(c), head);
        const int first = headerRow + 1;
        row = first;
        for (const ScheduleRow &r : s.rows) {
            sheet.number(row, ColMonth, r.month, month);
            for (int c = 1; c < ColCount; ++c)
                sheet.number(row, c, roubles(scheduleFigure(r, c)), money);
            ++row;
        }
        const int last = row - 1;
        const ScheduleTotals totals = scheduleTotals(s);
        sheet.text(row, ColMonth, totalsTitle(), totalTitle);
        for (int c : {ColDebtBefore, ColDebtAfter})
            check(worksheet_write_blank(ws, lxw_row_t(row), lxw_col_t(c), totalTitle));
        for (int c : kMoneyColumns) {
            std::int64_t figure = 0;
            scheduleTotal(totals, c, &figure);
            const QChar col = columnLetter(c);
            sheet.formula(row, c, QStringLiteral("=SUM(%1%2:%1%3)").arg(col).arg(first + 1).arg(last + 1), totalMoney,
                          roubles(figure));
        }
        row += 2;
        for (const QString &line : scheduleSummaryLines(report))
            sheet.text(row++, 0, line);
        worksheet_freeze_panes(ws, lxw_row_t(first), 0);

        if (!s.rows.empty()) {
            lxw_chart *columns = addChart(wb.get(), LXW_CHART_COLUMN_STACKED, "Платежи по месяцам");
            lxw_chart_series *principal =
                addSeries(columns, sheet, first, last, ColPrincipal, scheduleColumnTitle(ColPrincipal));
            lxw_chart_series *interest =
                addSeries(columns, sheet, first, last, ColInterest, scheduleColumnTitle(ColInterest));
            lxw_chart_fill blue = {0x4678B4, 0, 0};
            lxw_chart_fill orange = {0xE8903A, 0, 0};
            chart_series_set_fill(principal, &blue);
            chart_series_set_fill(interest, &orange);
            chart_set_series_gap(columns, 20);
            chart_axis_set_name(chart_axis_get(columns, LXW_CHART_AXIS_TYPE_X), "Месяц");
            chart_axis_set_num_format(chart_axis_get(columns, LXW_CHART_AXIS_TYPE_Y), "#,##0");
            chart_legend_set_position(columns, LXW_CHART_LEGEND_BOTTOM);
            lxw_chart_options at = {};
            at.x_scale = 2.2;
            at.y_scale = 1.6;
            check(worksheet_insert_chart_opt(ws, lxw_row_t(headerRow), ColCount + 2, columns, &at));

            // Qt's stacked columns carry the debt on a second axis; this
            // libxlsxwriter cannot combine charts, so the debt has its own.
            lxw_chart *debt = addChart(wb.get(), LXW_CHART_LINE, "Остаток долга");
            addSeries(debt, sheet, first, last, ColDebtAfter, scheduleColumnTitle(ColDebtAfter));
            chart_axis_set_name(chart_axis_get(debt, LXW_CHART_AXIS_TYPE_X), "Месяц");
            chart_axis_set_num_format(chart_axis_get(debt, LXW_CHART_AXIS_TYPE_Y), "#,##0");
            chart_legend_set_position(debt, LXW_CHART_LEGEND_NONE);
            check(worksheet_insert_chart_opt(ws, lxw_row_t(headerRow + 25), ColCount + 2, debt, &at));
        }
        wb.close();
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw OrvelError(QStringLiteral("Не удалось составить книгу .xlsx: %1").arg(file.errorString()));
    return file.readAll();
}

void paintScheduleDocument(QPagedPaintDevice &device, const ScheduleReport &report, const QLocale &locale,
                           const ChartPainter &chart)
{
    const int pages = DocumentLayout(device, nullptr, report, locale, chart, 0).run();
    QPainter painter;
    if (!painter.begin(&device))
        throw OrvelError(QStringLiteral("Не удалось начать печать"));
    painter.setRenderHint(QPainter::Antialiasing);
    DocumentLayout(device, &painter, report, locale, chart, pages).run();
    if (!painter.end())
        throw OrvelError(QStringLiteral("Не удалось закончить печать"));
}

QByteArray schedulePdf(const ScheduleReport &report, const QLocale &locale, const ChartPainter &chart)
{
    QByteArray bytes;
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        writer.setTitle(documentTitle());
        writer.setCreator(QStringLiteral("Orvel"));
        writer.setResolution(300);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                         QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter));
        paintScheduleDocument(writer, report, locale, chart);
    }
    return bytes;
}


} // namespace orvel
