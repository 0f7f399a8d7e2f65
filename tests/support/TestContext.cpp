#include "TestContext.h"

#include "session/DatabaseConnect.h"

namespace nbr::test {

bool TestContext::connectToFile(const QString& path) {
    ConnectionOptions options;
    options.engine = SqlEngine::SQLite;
    return openConnection(app, {}, {}, path, {}, options);
}

} // namespace nbr::test
