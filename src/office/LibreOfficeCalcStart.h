#pragma once
// An office started on a thread of its own, so that nobody waits for it.
// Destroying the object gives it up: an office still starting, or started
// and never taken, is killed at once.
#include "office/LibreOfficeCalc.h"

#include <memory>

namespace orvel {

#ifdef ORVEL_HAVE_LIBREOFFICE

class LibreOfficeCalcStart {
public:
    // Prepares on this thread (the office missing fails here) and launches.
    LibreOfficeCalcStart();
    ~LibreOfficeCalcStart();
    LibreOfficeCalcStart(const LibreOfficeCalcStart &) = delete;
    LibreOfficeCalcStart &operator=(const LibreOfficeCalcStart &) = delete;

    // Started and answering, and not taken yet.
    bool ready() const;
    // Waits for the rest of the start and hands the office out. Null when
    // it ended on its way (killed, or dead since it started): a new one has
    // to be started. Any other failure of the start is thrown.
    std::unique_ptr<LibreOfficeCalc> take();
    // The guard process while the office starts or waits (0 after).
    long long processId() const;

private:
    struct State;
    std::unique_ptr<State> s;
};

#endif

} // namespace orvel
