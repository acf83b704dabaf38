#pragma once
// The key rate's steps from its first day to 16.02.2026, each a published
// decision of the bank's board, as the tests and benchmarks know them: the
// table the shipped answer (data/keyrate-2026-03-20.xml) is checked against,
// and the history the penalty calculations run on.
#include "rates/KeyRate.h"

#include <QRegularExpression>
#include <QStringList>

namespace orveltest {

// "from rate" per step, "; " between steps, one line a year.
inline const char *const kKeyRateTable =
    "13.09.2013 5,50\n"
    "03.03.2014 7,00; 28.04.2014 7,50; 28.07.2014 8,00; 05.11.2014 9,50; 12.12.2014 10,50; 16.12.2014 17,00\n"
    "02.02.2015 15,00; 16.03.2015 14,00; 05.05.2015 12,50; 16.06.2015 11,50; 03.08.2015 11,00\n"
    "14.06.2016 10,50; 19.09.2016 10,00\n"
    "27.03.2017 9,75; 02.05.2017 9,25; 19.06.2017 9,00; 18.09.2017 8,50; 30.10.2017 8,25; 18.12.2017 7,75\n"
    "12.02.2018 7,50; 26.03.2018 7,25; 17.09.2018 7,50; 17.12.2018 7,75\n"
    "17.06.2019 7,50; 29.07.2019 7,25; 09.09.2019 7,00; 28.10.2019 6,50; 16.12.2019 6,25\n"
    "10.02.2020 6,00; 27.04.2020 5,50; 22.06.2020 4,50; 27.07.2020 4,25\n"
    "22.03.2021 4,50; 26.04.2021 5,00; 15.06.2021 5,50; 26.07.2021 6,50; 13.09.2021 6,75; 25.10.2021 7,50; 20.12.2021 8,50\n"
    "14.02.2022 9,50; 28.02.2022 20,00; 11.04.2022 17,00; 04.05.2022 14,00; 27.05.2022 11,00; 14.06.2022 9,50; 25.07.2022 8,00; 19.09.2022 7,50\n"
    "24.07.2023 8,50; 15.08.2023 12,00; 18.09.2023 13,00; 30.10.2023 15,00; 18.12.2023 16,00\n"
    "29.07.2024 18,00; 16.09.2024 19,00; 28.10.2024 21,00\n"
    "09.06.2025 20,00; 28.07.2025 18,00; 15.09.2025 17,00; 27.10.2025 16,50; 22.12.2025 16,00\n"
    "16.02.2026 15,50\n";

inline std::vector<orvel::KeyRateStep> keyRateSteps()
{
    std::vector<orvel::KeyRateStep> steps;
    for (const QString &step : QString::fromLatin1(kKeyRateTable).split(QRegularExpression("[;\\n]"), Qt::SkipEmptyParts)) {
        const QStringList f = step.simplified().split(' ');
        steps.push_back({QDate::fromString(f[0], "dd.MM.yyyy"), QString(f[1]).replace(',', '.').toDouble()});
    }
    return steps;
}

// The shipped table, known until 20.03.2026 (the shipped answer's day).
inline orvel::KeyRateHistory shippedKeyRate() { return {keyRateSteps(), QDate(2026, 3, 20)}; }

} // namespace orveltest
