#include "office/PlaceholderPass.h"

namespace orvel {

namespace {

// What a cell holds while the replacements are applied.
struct Model {
    PlaceholderCell::Kind kind = PlaceholderCell::Empty;
    QString text;
    // The text was typed without an apostrophe: the office may have made a
    // number or a formula of it, whose text it knows better than we do.
    bool typed = false;
    bool changed = false;
    QString written; // the last replaced text, as Replace types it
};

// The characters of a number as the office writes its input text.
bool couldBeInNumber(const QString &what)
{
    for (QChar c : what)
        if (!c.isDigit() && c != QLatin1Char('.') && c != QLatin1Char('-') && c != QLatin1Char('+')
            && c.toLower() != QLatin1Char('e'))
            return false;
    return true;
}

bool isFormula(const QString &typed) { return typed.size() > 1 && typed.startsWith(QLatin1Char('=')); }

// Whether `what` may be found in the cell by the office though the model
// can't say: a number or formula read from the sheet, or a typed text.
bool uncertain(const Model &m, const QString &what)
{
    if (m.kind == PlaceholderCell::Other)
        return m.text.contains(what, Qt::CaseInsensitive);
    if (!m.typed)
        return false;
    return isFormula(m.text) || m.text.contains(what, Qt::CaseInsensitive) || couldBeInNumber(what);
}

// Gives the cell the replacement, as Replace types the replaced text.
void replaceIn(Model &m, const Replacement &r)
{
    QString after = m.text;
    after.replace(r.first, r.second, Qt::CaseInsensitive);
    if (after == m.text)
        return;
    m.changed = true;
    m.written = after;
    if (after.startsWith(QLatin1Char('\''))) {
        // Kept as the text after the apostrophe; none makes the cell empty.
        m.text = after.mid(1);
        m.kind = m.text.isEmpty() ? PlaceholderCell::Empty : PlaceholderCell::Text;
    } else {
        m.text = after;
        m.typed = !after.isEmpty();
        m.kind = after.isEmpty() ? PlaceholderCell::Empty : PlaceholderCell::Text;
    }
}

// The replacements applied in order to the model; false when the office
// may find a text the model can't be sure of.
bool applyReplacements(QVector<Model> &model, const QList<Replacement> &work)
{
    for (const Replacement &r : work) {
        for (Model &m : model) {
            if (m.kind == PlaceholderCell::Empty)
                continue;
            if (uncertain(m, r.first))
                return false;
            if (m.kind != PlaceholderCell::Text || m.typed || !m.text.contains(r.first, Qt::CaseInsensitive))
                continue;
            replaceIn(m, r);
        }
    }
    return true;
}

// A write that fails part of the way leaves the calls one by one to do
// the rest over the cells already written: they must find nothing there.
bool nothingLeftToFind(const QVector<Model> &model, const QList<Replacement> &work)
{
    for (const Model &m : model) {
        if (!m.changed || m.kind == PlaceholderCell::Empty)
            continue;
        for (const Replacement &r : work)
            if (uncertain(m, r.first) || m.text.contains(r.first, Qt::CaseInsensitive))
                return false;
    }
    return true;
}

// The writes of one row's changed cells: runs of the row, and the cells
// with a comment on their own.
void planRow(const QVector<PlaceholderCell> &cells, const QVector<Model> &model, int columns, int row,
             PlaceholderPlan &plan)
{
    PlaceholderRun run;
    int lastChanged = -1;
    auto close = [&] {
        if (!run.inputs.isEmpty())
            plan.runs << run;
        run = PlaceholderRun();
        lastChanged = -1;
    };
    for (int col = 0; col < columns; ++col) {
        const int i = row * columns + col;
        const Model &m = model[i];
        if (!m.changed) {
            // Only empty cells without a comment may lie inside a run.
            if (cells[i].kind != PlaceholderCell::Empty || cells[i].note)
                close();
            continue;
        }
        ++plan.changed;
        if (cells[i].note) {
            close();
            plan.single << PlaceholderCellWrite{row, col, m.written};
            continue;
        }
        if (run.inputs.isEmpty()) {
            run.row = row;
            run.firstColumn = col;
        } else {
            for (int between = lastChanged + 1; between < col; ++between)
                run.inputs << QString();
        }
        // "'" alone is an empty text; the office would keep it as typed.
        run.inputs << (m.written == QLatin1String("'") ? QString() : m.written);
        lastChanged = col;
    }
    close();
}

} // namespace

PlaceholderPlan planPlaceholderPass(const QVector<PlaceholderCell> &cells, int columns,
                                    const QList<Replacement> &replacements)
{
    PlaceholderPlan plan;
    if (columns <= 0 || cells.size() % columns != 0)
        return plan;
    QList<Replacement> work;
    for (const Replacement &r : replacements)
        if (!r.first.isEmpty())
            work << r;

    QVector<Model> model(cells.size());
    for (int i = 0; i < cells.size(); ++i) {
        model[i].kind = cells[i].kind;
        model[i].text = cells[i].text;
    }
    if (!applyReplacements(model, work) || !nothingLeftToFind(model, work))
        return plan;

    const int rows = int(cells.size()) / columns;
    for (int row = 0; row < rows; ++row)
        planRow(cells, model, columns, row, plan);
    plan.onePass = true;
    return plan;
}

} // namespace orvel
