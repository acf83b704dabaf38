#include "calc/ScheduleReport.h"

#include "calc/Numbers.h"

namespace orvel {

namespace {

QString money(std::int64_t kopecks, const QLocale &locale, bool grouped)
{
    // Whole kopecks, so the text is exact however large the figure: the
    // roubles through the locale's integer format, the kopecks by hand.
    const bool negative = kopecks < 0;
    const std::uint64_t magnitude = negative ? 0 - std::uint64_t(kopecks) : std::uint64_t(kopecks);
    QLocale l = locale;
    l.setNumberOptions(grouped ? QLocale::DefaultNumberOptions : QLocale::OmitGroupSeparator);
    QString text = l.toString(qulonglong(magnitude / 100));
    text += l.decimalPoint();
    const unsigned cents = unsigned(magnitude % 100);
    text += QChar(u'0' + cents / 10);
    text += QChar(u'0' + cents % 10);
    return negative ? l.negativeSign() + text : text;
}

} // namespace

ScheduleReport makeScheduleReport(const LoanTerms &terms)
{
    ScheduleReport r{terms, {}, {}};
    r.schedule = loanSchedule(terms, &r.applied);
    return r;
}

QString moneyText(std::int64_t kopecks, const QLocale &locale) { return money(kopecks, locale, true); }

QString plainMoneyText(std::int64_t kopecks, QChar decimal)
{
    QString text = money(kopecks, QLocale::c(), false);
    text.replace(QLatin1Char('.'), decimal);
    return text;
}

QString scheduleColumnTitle(int column)
{
    switch (column) {
    case ColMonth: return QStringLiteral("№");
    case ColDebtBefore: return QStringLiteral("Остаток долга");
    case ColInterest: return QStringLiteral("Проценты");
    case ColPrincipal: return QStringLiteral("Основной долг");
    case ColPayment: return QStringLiteral("Платеж");
    case ColEarly: return QStringLiteral("Досрочно");
    case ColDebtAfter: return QStringLiteral("Остаток после");
    default: return QString();
    }
}

std::int64_t scheduleFigure(const ScheduleRow &row, int column)
{
    switch (column) {
    case ColMonth: return row.month;
    case ColDebtBefore: return row.debtBefore;
    case ColInterest: return row.interest;
    case ColPrincipal: return row.principal;
    case ColPayment: return row.payment;
    case ColEarly: return row.early;
    case ColDebtAfter: return row.debtAfter;
    default: return 0;
    }
}

ScheduleTotals scheduleTotals(const LoanSchedule &schedule)
{
    // Each sum is bounded by the total paid, which the schedule has already
    // summed without overflow.
    ScheduleTotals t;
    for (const ScheduleRow &r : schedule.rows) {
        t.interest += r.interest;
        t.principal += r.principal;
        t.payment += r.payment;
        t.early += r.early;
    }
    return t;
}

bool scheduleTotal(const ScheduleTotals &totals, int column, std::int64_t *figure)
{
    switch (column) {
    case ColInterest: *figure = totals.interest; return true;
    case ColPrincipal: *figure = totals.principal; return true;
    case ColPayment: *figure = totals.payment; return true;
    case ColEarly: *figure = totals.early; return true;
    default: return false;
    }
}

QString repaymentKindText(Repayment kind)
{
    return kind == Repayment::Annuity ? QStringLiteral("аннуитетные") : QStringLiteral("дифференцированные");
}

QString earlyModeText(EarlyMode mode)
{
    return mode == EarlyMode::ShortenTerm ? QStringLiteral("Сократить срок") : QStringLiteral("Уменьшить платеж");
}

QString monthsText(int months) { return QStringLiteral("%1 мес.").arg(months); }

QStringList scheduleInputLines(const ScheduleReport &report, const QLocale &locale)
{
    const LoanTerms &t = report.terms;
    const std::int64_t amount = report.schedule.rows.empty() ? 0 : report.schedule.rows.front().debtBefore;
    QStringList lines{
        QStringLiteral("Сумма кредита: ") + moneyText(amount, locale),
        QStringLiteral("Процентная ставка: ") + showAmount(t.rate, locale.decimalPoint()) + QStringLiteral(" %"),
        QStringLiteral("Срок кредита: ") + monthsText(t.months),
        QStringLiteral("Платежи: ") + repaymentKindText(t.kind),
    };
    for (std::size_t i = 0; i < t.early.size(); ++i) {
        const EarlyRepayment &e = t.early[i];
        lines << QStringLiteral("Досрочное погашение %1: месяц %2, %3, %4")
                     .arg(i + 1)
                     .arg(e.month)
                     .arg(moneyText(e.kopecks, locale), earlyModeText(e.mode).toLower());
    }
    return lines;
}

QString earlyStateText(const ScheduleReport &report, std::size_t index, const QLocale &locale)
{
    if (index >= report.applied.size() || index >= report.terms.early.size())
        return QString();
    const std::int64_t paid = report.applied[index];
    if (paid == 0)
        return QStringLiteral("не учтено: кредит уже погашен");
    if (paid < report.terms.early[index].kopecks)
        return QStringLiteral("учтено %1: весь остаток долга").arg(moneyText(paid, locale));
    return QString();
}

QStringList scheduleSummaryLines(const ScheduleReport &report, const QLocale &locale)
{
    const LoanSchedule &s = report.schedule;
    const int months = int(s.rows.size());
    QStringList lines{
        QStringLiteral("Срок: ") + monthsText(months),
        QStringLiteral("Выплачено всего: ") + moneyText(s.totalPaid, locale),
        QStringLiteral("Переплата: ") + moneyText(s.totalInterest, locale),
        QStringLiteral("Экономия от досрочных погашений: %1 и %2")
            .arg(moneyText(s.plainTotalPaid - s.totalPaid, locale), monthsText(s.plainMonths - months)),
    };
    // Each row of the editor says which of its repayments were not
    // counted; the summary names one, and counts more in one line, so it
    // keeps its height however many there are.
    std::vector<std::size_t> notCounted;
    for (std::size_t i = 0; i < report.applied.size(); ++i)
        if (report.applied[i] == 0)
            notCounted.push_back(i);
    if (notCounted.size() == 1)
        lines << QStringLiteral("Досрочное погашение %1 (месяц %2) не учтено: кредит к этому времени погашен")
                     .arg(notCounted[0] + 1)
                     .arg(report.terms.early[notCounted[0]].month);
    else if (notCounted.size() > 1)
        lines << QStringLiteral("Не учтены: %1 после погашения кредита").arg(earlyRepaymentsText(notCounted.size()));
    return lines;
}

QString earlyRepaymentsText(std::size_t count)
{
    // Russian agrees the noun with the number's last digits: 1, 21, 101
    // take the singular; 2–4, 22–24 the genitive singular; the rest and
    // 11–14 the genitive plural.
    const std::size_t lastTwo = count % 100, last = count % 10;
    const char16_t *form = u"досрочных погашений";
    if (lastTwo < 11 || lastTwo > 14) {
        if (last == 1)
            form = u"досрочное погашение";
        else if (last >= 2 && last <= 4)
            form = u"досрочных погашения";
    }
    return QString::number(count) + QLatin1Char(' ') + QString::fromUtf16(form);
}

} // namespace orvel
