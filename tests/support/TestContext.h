#pragma once
// A fresh application context for one test: scripted prompts, an empty
// session, and the database once the test connects one.

#include "FakePrompts.h"
#include "session/AppContext.h"

#include <QString>

namespace nbr::test {

struct TestContext {
    FakePrompts prompts;
    AppContext app{prompts};

    // Opens an embedded database file as the program would (read-only,
    // through the SQLite3 ODBC driver); false when it cannot, the prompts
    // holding why.
    bool connectToFile(const QString& path);
    // The open database (the test fails on a DbError when there is none).
    Database& db() { return app.db(); }
};

} // namespace nbr::test
