#include "session/DatabaseConnect.h"

#include "db/Connection.h"
#include "db/DbError.h"
#include "db/DbSettings.h"
#include "db/SettingsError.h"

using namespace Qt::StringLiterals;

namespace nbr {

namespace {

void tellConnectionFailed(Prompts& prompts, const DbError& e) {
    prompts.message(u"错误信息："_s + e.description(), u"信息文本"_s, MessageIcon::Information);
}

} // namespace

bool openConnection(AppContext& context, const QString& user, const QString& password,
                    const QString& database, const QString& server,
                    const ConnectionOptions& options) {
    // The previous connection goes first, whatever happens to the new one.
    context.database.reset();
    try {
        context.database = std::make_unique<Database>(
            openOdbcConnection(user, password, database, server, options, context.prompts));
        return true;
    } catch (const DbError& e) {
        tellConnectionFailed(context.prompts, e);
        return false;
    }
}

ConnectResult connectFromSettings(AppContext& context) {
    context.database.reset();
    // The reconnect reads the store again: nothing here keeps a password.
    Database::Opener open = [file = context.settingsFile, &prompts = context.prompts] {
        const DbSettings settings = readDbSettings(file);
        settings.requireConnectionKeys();
        return openOdbcConnection(settings.user, settings.password, settings.database,
                                  settings.server, ConnectionOptions::fromSettings(settings),
                                  prompts);
    };
    try {
        context.database = std::make_unique<Database>(std::move(open));
        return ConnectResult::Connected;
    } catch (const SettingsError& e) {
        context.prompts.message(e.description(), u"连接提示"_s, MessageIcon::Information);
        return ConnectResult::SettingsUnusable;
    } catch (const DbError& e) {
        tellConnectionFailed(context.prompts, e);
        context.prompts.message(u"数据库连接失败!"_s, u"连接提示"_s, MessageIcon::Information);
        return ConnectResult::Failed;
    }
}

} // namespace nbr
