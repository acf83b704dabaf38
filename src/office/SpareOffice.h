#pragma once
// A spare office: one spreadsheet application started in the background
// while a window that runs one may be used soon, so that its run finds the
// office ready instead of waiting for it to start.
//
// The rules, and nothing else: the windows only say when they ask for a
// spare and when they stop asking (see SpareAsker); the Maker starts, hands
// out and ends the offices.
//  - A spare is started when somebody asks for one, and none exists and no
//    run is under way.
//  - A run takes the spare (waiting for the rest of its start) or, with
//    none at hand, starts an office of its own as before; either way the
//    next spare is started only after that run's office has quit, and only
//    while somebody still asks for one.
//  - The spare is ended when the last asker stops asking, when it has
//    waited unused for the idle limit (then only a new asker or the end of
//    a run starts another), when spares are switched off, and at exit.
#include "office/Spreadsheet.h"

#include <QTimer>

#include <chrono>
#include <memory>
#include <set>

namespace orvel {

class SpareOffice {
public:
    class Maker {
    public:
        virtual ~Maker() = default;
        // Starts one office in the background; never waits for it.
        virtual void begin() = 0;
        // Ends the office there is, starting or ready, at once.
        virtual void end() = 0;
        // An office started (still starting or ready) and not handed out.
        virtual bool exists() const = 0;
        virtual bool ready() const = 0;
        // Hands the office out after the rest of its start; null when there
        // is none or it can't be used any more. A failed start is thrown.
        virtual std::unique_ptr<SpreadsheetApp> take() = 0;
    };

    explicit SpareOffice(std::unique_ptr<Maker> maker,
                         std::chrono::milliseconds idleLimit = std::chrono::minutes(10));
    ~SpareOffice();
    SpareOffice(const SpareOffice &) = delete;
    SpareOffice &operator=(const SpareOffice &) = delete;

    // Off at first: nothing is started until spares are switched on.
    void setEnabled(bool on);
    void setWanted(SpareAsker asker, bool wanted);

    // A run begins: the spare, or null when it has to start an office of its own.
    std::unique_ptr<SpreadsheetApp> take();
    // The office of a run has quit.
    void runQuit();

    bool exists() const;
    bool ready() const;
    // Ends the spare now (the program ends).
    void end();

private:
    void beginWhenWanted();

    std::unique_ptr<Maker> m_maker;
    QTimer m_idle;
    std::set<SpareAsker> m_askers;
    bool m_enabled = false;
    bool m_inRun = false;  // an office was handed out and has not quit
    bool m_rested = false; // ended for idleness; a new asker or a run's end starts another
};

} // namespace orvel
