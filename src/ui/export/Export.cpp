#include "ui/export/Export.h"

#include "calc/AtomicFile.h"
#include "calc/Csv.h"
#include "calc/OrvelError.h"
#include "ui/export/DocumentPages.h"
#include "ui/export/XlsxBook.h"
#include "ui/FileDialogs.h"
#include "ui/OverrideCursor.h"
#include "ui/PrintDialog.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPalette>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QTemporaryDir>

namespace orvel {

namespace {

// A4 upright with margins of 15 mm, for the PDF and the printer alike.
QPageLayout a4() { return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter); }

} // namespace

QByteArray documentXlsx(const ExportDocument &document)
{
    // libxlsxwriter writes to a file of its own; it goes to a private folder
    // and the caller stores the bytes where the user asked.
    QTemporaryDir dir;
    if (!dir.isValid())
        throw OrvelError(QStringLiteral("Не удалось составить книгу .xlsx: %1").arg(dir.errorString()));
    const QString path = dir.filePath(QStringLiteral("document.xlsx"));
    {
        XlsxBook book(path);
        book.write(document);
        book.close();
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw OrvelError(QStringLiteral("Не удалось составить книгу .xlsx: %1").arg(file.errorString()));
    return file.readAll();
}

QByteArray documentCsv(const ExportDocument &document)
{
    CsvText out;
    bool first = true;
    if (document.csvWhole) {
        for (const ExportInput &input : document.inputs) {
            if (input.where == ExportInput::OnPaper)
                continue;
            QStringList fields{input.unit.isEmpty() ? input.label : input.label + QStringLiteral(", ") + input.unit};
            for (const ExportCell &value : input.values)
                fields << csvText(value);
            out.addLine(fields);
            first = false;
        }
    }
    for (const ExportTable &table : document.tables) {
        if (!first)
            out.addLine({});
        first = false;
        if (!table.title.isEmpty())
            out.addLine({table.title});
        QStringList titles;
        for (const ExportColumn &column : table.columns)
            titles << column.title;
        out.addLine(titles);
        const auto line = [&out](const std::vector<ExportCell> &cells) {
            QStringList fields;
            for (const ExportCell &cell : cells)
                fields << csvText(cell);
            out.addLine(fields);
        };
        for (const ExportRow &row : table.rows)
            line(row.cells);
        if (!table.totals.empty())
            line(table.totals);
    }
    if (document.csvWhole && !document.notes.isEmpty()) {
        out.addLine({});
        for (const QString &note : document.notes)
            out.addLine({note});
    }
    return out.bytes();
}

void paintDocument(QPagedPaintDevice &device, const ExportDocument &document, const QLocale &locale)
{
    const int pages = DocumentPages(device, nullptr, document, locale, 0).run();
    QPainter painter;
    if (!painter.begin(&device))
        throw OrvelError(QStringLiteral("Не удалось начать печать"));
    painter.setRenderHint(QPainter::Antialiasing);
    DocumentPages(device, &painter, document, locale, pages).run();
    if (!painter.end())
        throw OrvelError(QStringLiteral("Не удалось закончить печать"));
}

QByteArray documentPdf(const ExportDocument &document, const QLocale &locale)
{
    QByteArray bytes;
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        writer.setTitle(document.title);
        writer.setCreator(QStringLiteral("Orvel"));
        writer.setResolution(300);
        writer.setPageLayout(a4());
        paintDocument(writer, document, locale);
    }
    return bytes;
}

QByteArray documentPng(const ExportDocument &document)
{
    if (!document.chart || document.chartSize.isEmpty())
        return QByteArray();
    const qreal ratio = qGuiApp->devicePixelRatio();
    QImage picture(document.chartSize * ratio, QImage::Format_ARGB32_Premultiplied);
    picture.setDevicePixelRatio(ratio);
    // The window's background around the chart, as on screen.
    picture.fill(QGuiApplication::palette().window().color());
    {
        QPainter painter(&picture);
        painter.setRenderHint(QPainter::Antialiasing);
        document.chart(painter, QRectF(QPointF(0, 0), QSizeF(document.chartSize)));
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::WriteOnly) || !picture.save(&buffer, "PNG"))
        return QByteArray();
    return bytes;
}

QByteArray documentBytes(const ExportDocument &document, ExportFormat format)
{
    switch (format) {
    case ExportFormat::Xlsx: return documentXlsx(document);
    case ExportFormat::Csv: return documentCsv(document);
    case ExportFormat::Pdf: return documentPdf(document);
    case ExportFormat::Png: return documentPng(document);
    }
    return QByteArray();
}

QString askExportPath(QWidget *parent, ExportFormat format, const QString &dialogName, const QString &fileName)
{
    FileDialogRequest request;
    request.kind = FileDialogRequest::Save;
    request.name = dialogName;
    request.fileName = fileName;
    switch (format) {
    case ExportFormat::Xlsx: request.filter = QStringLiteral("Книга Excel|*.xlsx"); break;
    case ExportFormat::Csv: request.filter = QStringLiteral("Текст CSV|*.csv"); break;
    case ExportFormat::Pdf: request.filter = QStringLiteral("Документ PDF|*.pdf"); break;
    case ExportFormat::Png: request.filter = QStringLiteral("Рисунок PNG|*.png"); break;
    }
    request.defaultSuffix = request.filter.section(QLatin1Char('.'), -1);
    return runFileDialog(parent, request);
}

void saveDocument(const QString &path, const ExportDocument &document, ExportFormat format)
{
    const OverrideCursor wait(Qt::WaitCursor);
    const QByteArray bytes = documentBytes(document, format);
    // Only a picture can come out empty: every other format has a header.
    if (bytes.isEmpty())
        throw OrvelError(QStringLiteral("Не удалось сохранить файл \"%1\": рисунок не удалось составить")
                             .arg(QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath())));
    saveFileAtomically(path, bytes);
}

bool printDocument(QWidget *parent, const ExportDocument &document)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(document.name.isEmpty() ? document.title : document.name);
    printer.setPageLayout(a4());
    if (!runPrintDialog(parent, printer))
        return false;
    const OverrideCursor wait(Qt::WaitCursor);
    paintDocument(printer, document);
    return true;
}

} // namespace orvel
