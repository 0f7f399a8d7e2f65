#pragma once
// What the program holds for its whole run, in one place: the database
// (its connection and dialect), the session, how the user is told and asked
// things, what a host program's start left, and what the user's earlier runs
// left. main() owns it and hands it to the windows and procedures that need
// it; a test builds a fresh one.

#include "db/Database.h"
#include "platform/Prompts.h"
#include "session/SessionState.h"
#include "session/UserState.h"

#include <QString>
#include <memory>

namespace nbr {

struct AppContext {
    explicit AppContext(Prompts& prompts);

    // The open database; throws DbError when none is open.
    Database& db() const;

    Prompts& prompts;
    std::unique_ptr<Database> database; // none before the first connection
    SessionState session;
    // The command line of a host program's start (the whole argument text),
    // read again at logout; empty when a user started the program.
    QString startCommandLine;
    // The special-audit flag of the session's department and position.
    bool hasProjectAudit = false;
    // The settings file to read instead of the user's store (empty: the store).
    QString settingsFile;
    // Where the program's own files are (MDI.BMP, the hand-over file by default).
    QString programFolder;
    // What the user's last runs left: export folder, window places, ticks.
    UserState state;
};

} // namespace nbr
