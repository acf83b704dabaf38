#include "office/UnoHelpers.h"

#include "office/LibreOfficeInstall.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>

#include <cppuhelper/bootstrap.hxx>
#include <rtl/bootstrap.hxx>

#include <com/sun/star/sheet/XCellRangeAddressable.hpp>
#include <com/sun/star/text/XText.hpp>

namespace orvel {

QString fileUrl(const QString &path)
{
    return QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toString(QUrl::FullyEncoded);
}

css::beans::PropertyValue prop(const char *name, const css::uno::Any &value)
{
    css::beans::PropertyValue p;
    p.Name = OUString::createFromAscii(name);
    p.Value = value;
    return p;
}

css::uno::Sequence<css::beans::PropertyValue> props(std::initializer_list<css::beans::PropertyValue> list)
{
    css::uno::Sequence<css::beans::PropertyValue> s(sal_Int32(list.size()));
    sal_Int32 i = 0;
    for (const css::beans::PropertyValue &p : list)
        s[i++] = p;
    return s;
}

Reference<css::uno::XComponentContext> localContext()
{
    static const Reference<css::uno::XComponentContext> *const context = [] {
        // The office's bootstrap files: fundamentalrc names the type and
        // service libraries that unorc lists.
        const QDir program(libreOfficeProgramDir());
        rtl::Bootstrap::set(OUString("URE_BOOTSTRAP"),
                            ou(QStringLiteral("vnd.sun.star.pathname:")
                               + program.filePath(QStringLiteral("fundamentalrc"))));
        const QString ini = fileUrl(program.filePath(QStringLiteral("unorc")));
        return new Reference<css::uno::XComponentContext>(cppu::defaultBootstrap_InitialComponentContext(ou(ini)));
    }();
    return *context;
}

QString officeReason(const css::uno::Exception &e)
{
    const QString text = qs(e.Message).trimmed();
    static const char *const developerMarks[] = {"::", ".cxx", ".hxx", ".cpp", "0x", "at /", "(Error", "com.sun.star",
                                                 "<", "\n"};
    for (const char *mark : developerMarks)
        if (text.contains(QLatin1String(mark)))
            return QString();
    return text;
}

QString description(QString text)
{
    while (!text.isEmpty()
           && (text.back().isSpace() || text.back() == QLatin1Char('.')))
        text.chop(1);
    return text;
}

void typeInto(const Reference<css::table::XCell> &cell, const QString &text)
{
    if (text.startsWith(QLatin1Char('\''))) {
        Reference<css::text::XText> t(cell, UNO_QUERY_THROW);
        t->setString(ou(text.mid(1)));
    } else {
        cell->setFormula(ou(text));
    }
}

void forEachCell(const Reference<css::table::XCellRange> &r,
                 const std::function<void(const Reference<css::table::XCell> &, int, int)> &f)
{
    Reference<css::sheet::XCellRangeAddressable> addressable(r, UNO_QUERY_THROW);
    const css::table::CellRangeAddress a = addressable->getRangeAddress();
    for (sal_Int32 row = 0; row <= a.EndRow - a.StartRow; ++row)
        for (sal_Int32 col = 0; col <= a.EndColumn - a.StartColumn; ++col)
            f(r->getCellByPosition(col, row), a.StartColumn + col, a.StartRow + row);
}

} // namespace orvel
