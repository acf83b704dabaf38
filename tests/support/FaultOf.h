#pragma once
// The message of the OrvelError a call throws, or empty when it returns.
#include "calc/OrvelError.h"

#include <QString>

namespace orveltest {

template <typename F>
QString faultOf(F &&f)
{
    try {
        f();
        return {};
    } catch (const OrvelError &e) {
        return e.message();
    }
}

} // namespace orveltest
