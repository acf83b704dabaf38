#pragma once
// Replacements in one range of the active sheet wait here, in the order
// of their calls, and are carried out together by the next other call:
// the range is read once, and only the cells they change are written
// (see PlaceholderPass.h). When the pass can't promise the result of the
// calls one by one, or fails, the calls are made one by one.
#include "office/PlaceholderPass.h"

#include <QString>

#include <com/sun/star/table/CellRangeAddress.hpp>
#include <com/sun/star/table/XCellRange.hpp>

namespace orvel {

class CalcSession;

class ReplaceBatch {
public:
    // One more Replace call in the range; the ones that wait in another
    // range are carried out first.
    void add(CalcSession &office, const QString &range, const QString &what, const QString &replacement);
    // Carries out the replacements that wait. A call that fails leaves its
    // placeholder, as a Replace call of its own would.
    void flush(CalcSession &office);
    // The office has ended: nothing waits any more.
    void clear();

    // In one pass (the default) or by one office search each, as the
    // pass's reference and fallback.
    void setOnePass(bool onePass) { m_onePass = onePass; }
    // Replace calls carried out so far in one pass, and one by one.
    int onePassCalls() const { return m_onePassCalls; }
    int eachCalls() const { return m_eachCalls; }

private:
    struct Pending {
        QString range;
        css::uno::Reference<css::table::XCellRange> cells;
        css::table::CellRangeAddress address;
        QList<Replacement> list;
    };

    static QVector<PlaceholderCell> readForReplacing(const Pending &r);
    static bool replaceInOnePass(CalcSession &office, const Pending &r);
    static void replaceEach(const css::uno::Reference<css::table::XCellRange> &range,
                            const QString &what, const QString &replacement);

    Pending m_pending;
    bool m_onePass = true;
    int m_onePassCalls = 0;
    int m_eachCalls = 0;
};

} // namespace orvel
