// The refused cell and the question every write asks; the tests set the
// cell through office/LibreOfficeTesting.h, which declares it.
#include "office/RefusedWrites.h"

#include "office/CellAddress.h"
#include "office/LibreOfficeTesting.h"

#include <com/sun/star/uno/RuntimeException.hpp>

#include <mutex>

namespace orvel {

namespace {

std::mutex &refusedMutex()
{
    static std::mutex m;
    return m;
}
QString &refusedCell()
{
    static QString cell;
    return cell;
}

} // namespace

void refuseWritesTo(const QString &cell)
{
    std::lock_guard<std::mutex> lock(refusedMutex());
    refusedCell() = cell;
}

void refuseIfAsked(int firstCol, int firstRow, int lastCol, int lastRow)
{
    std::lock_guard<std::mutex> lock(refusedMutex());
    int col = 0, row = 0;
    if (!refusedCell().isEmpty() && singleCell(refusedCell(), col, row) && col >= firstCol && col <= lastCol
        && row >= firstRow && row <= lastRow)
        throw css::uno::RuntimeException(rtl::OUString());
}

} // namespace orvel
