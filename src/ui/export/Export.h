#pragma once
// The one way a window saves or prints what it shows: it describes an
// ExportDocument and hands it here. Each format's bytes are made in memory
// and stored with saveFileAtomically(), so a failed save leaves the old file.
#include "ui/export/ExportDocument.h"

#include <QByteArray>
#include <QLocale>
#include <QString>

class QPagedPaintDevice;
class QWidget;

namespace orvel {

enum class ExportFormat { Xlsx, Csv, Pdf, Png };

// A workbook of one sheet (libxlsxwriter): the title, the inputs, the tables
// with numbers in their formats and summed columns as SUM formulas, the
// lines under them and the workbook charts.
QByteArray documentXlsx(const ExportDocument &document);
// The tables (a table's title on a line of its own, an empty line between
// tables): UTF-8 with a byte-order mark, ";" between fields, decimal commas,
// CRLF line ends. A Russian spreadsheet opens it as it is.
QByteArray documentCsv(const ExportDocument &document);
// A4 pages: see ui/export/DocumentPages.h.
QByteArray documentPdf(const ExportDocument &document, const QLocale &locale = QLocale());
void paintDocument(QPagedPaintDevice &device, const ExportDocument &document, const QLocale &locale = QLocale());
// The chart drawn at its size in the window.
QByteArray documentPng(const ExportDocument &document);
// Any of them. Throws OrvelError when the file cannot be made.
QByteArray documentBytes(const ExportDocument &document, ExportFormat format);

// The save dialog `dialogName` for a format, offering `fileName` (with its
// suffix); the chosen path, or an empty text when it was cancelled.
QString askExportPath(QWidget *parent, ExportFormat format, const QString &dialogName, const QString &fileName);
// Makes the file under the wait cursor and stores it atomically; throws
// OrvelError saying why it could not.
void saveDocument(const QString &path, const ExportDocument &document, ExportFormat format);

// "Печать…": the print dialog (A4, the document's name as the job's name),
// then the pages; false when the dialog was cancelled. Throws OrvelError when
// the printer fails.
bool printDocument(QWidget *parent, const ExportDocument &document);

} // namespace orvel
