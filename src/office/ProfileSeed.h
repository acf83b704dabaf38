#pragma once
// The private profile of an office, seeded so that its start is quick.
//
// A new profile makes the office set it up and end with kRestartRequested
// (the exit code asking for a new start), and the start after that runs
// the graphics self-test of a first use of this product version: together
// some 800 ms of every start. Both are skipped when the profile already
// holds what the office writes into it at its first start: the build of
// the office its extension folder was made for, and the product version it
// last ran.
#include <QByteArray>
#include <QDir>
#include <QString>

namespace orvel {

struct ProfileSeed {
    QByteArray buildId;        // "buildid" of program/versionrc, "40(Build:2)"
    QByteArray productVersion; // "ooSetupVersion" of share/registry/main.xcd, "7.4"
};

// The seed of the installed office, read once for each program folder.
ProfileSeed profileSeed(const QString &programDir);

// Writes the seed into the profile folder.
void seedProfile(const QDir &profile, const ProfileSeed &seed);

} // namespace orvel
