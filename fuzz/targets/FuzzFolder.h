#pragma once
// The private temporary folder a fuzz target writes its files in, made on
// first use and removed when the program ends.
#include <QString>
#include <QTemporaryDir>

#include <cstdlib>

inline const QString &fuzzFolder()
{
    static QTemporaryDir dir;
    if (!dir.isValid())
        std::abort();
    static const QString path = dir.path();
    return path;
}
