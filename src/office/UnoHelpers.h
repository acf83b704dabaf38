#pragma once
// Helpers of the calls into the office over UNO: texts both ways, file
// URLs, property lists, this process's UNO runtime, the office's error
// texts, and cells written as if typed.
#include <QString>

#include <rtl/ustring.hxx>

#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/table/XCell.hpp>
#include <com/sun/star/table/XCellRange.hpp>
#include <com/sun/star/uno/Exception.hpp>
#include <com/sun/star/uno/XComponentContext.hpp>

#include <functional>
#include <initializer_list>

namespace css = com::sun::star;

namespace orvel {

// The UNO names every call into the office uses.
using css::uno::Any;
using css::uno::Reference;
using css::uno::Sequence;
using css::uno::UNO_QUERY;
using css::uno::UNO_QUERY_THROW;
using rtl::OUString;

inline OUString ou(const QString &s)
{
    return OUString(reinterpret_cast<const sal_Unicode *>(s.utf16()), s.size());
}
inline QString qs(const OUString &s)
{
    return QString(reinterpret_cast<const QChar *>(s.getStr()), s.getLength());
}

QString fileUrl(const QString &path);

css::beans::PropertyValue prop(const char *name, const Any &value);
Sequence<css::beans::PropertyValue> props(std::initializer_list<css::beans::PropertyValue> list);

// The UNO runtime of this process, bootstrapped once with the office's own
// types (remote calls need them) and kept until the process ends. Offices
// may be started on other threads than the GUI's: the first caller sets it up.
Reference<css::uno::XComponentContext> localContext();

// The office's exception texts are written for its developers (source
// files, lines, error codes); a user sees them only when they read as a
// sentence.
QString officeReason(const css::uno::Exception &e);

// An application error's description: no trailing blanks, line breaks or
// full stops.
QString description(QString text);

// A text taken as if typed into the cell: "=" makes a formula, digits a
// number, and a leading apostrophe makes the rest a text. The office
// would keep that apostrophe as part of the text whenever the rest is
// not a number; the spreadsheet convention is to drop it always.
void typeInto(const Reference<css::table::XCell> &cell, const QString &text);

// Calls f for every cell of the range, row by row, with the cell's
// column and row on the sheet.
void forEachCell(const Reference<css::table::XCellRange> &r,
                 const std::function<void(const Reference<css::table::XCell> &, int, int)> &f);

} // namespace orvel
