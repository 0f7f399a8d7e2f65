#pragma once
// A SQL Server stand-in for the tests: runs tests/support/tds_server.py on a
// loopback port, answers from a script (its format is described at the top of
// that file) or from an SQLite database file, and records every request the
// driver sends. Stopped when destroyed.
//
//     const QJsonArray columns{TdsTestServer::column(u"名称"_s, u"nvarchar(50)"_s)};
//     TdsTestServer server({TdsTestServer::resultRule(u"From 部门"_s, columns, {{u"总部"_s}})});
//     openConnection(context, u"sa"_s, u"pw"_s, u"库"_s, server.serverAddress(), options);
//     ... context.db().query(...) ...; server.requests(u"rpc"_s), server.statements()

#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <QProcess>
#include <QTemporaryDir>

namespace nbr::test {

class TdsTestServer {
public:
    enum class Mode { Normal, CloseAtOnce, Silent };

    // Starts the server with these rules and log-in settings; check isRunning().
    explicit TdsTestServer(const QJsonArray& rules = {}, const QJsonObject& login = {},
                           Mode mode = Mode::Normal);
    // Serves the tables of an SQLite file, each answer held back by latencyMs;
    // optionally only to "user:password", with TLS ("force" or "offer", as
    // tds_server.py's --tls says) and keeping every byte the clients send.
    struct Database {
        QString path;
        int latencyMs = 0;
        QString login = {};
        QString tls = {};
        bool capture = false;
    };
    explicit TdsTestServer(const Database& database);
    ~TdsTestServer();
    TdsTestServer(const TdsTestServer&) = delete;
    TdsTestServer& operator=(const TdsTestServer&) = delete;

    bool isRunning() const { return m_port != 0; }
    // Why it is not running (its error output, say).
    const QString& errorString() const { return m_error; }

    quint16 port() const { return m_port; }
    // "127.0.0.1,<port>", as the SERVER of a connection.
    QString serverAddress() const;

    // Replaces the script; connections opened from now on use it.
    void setScript(const QJsonArray& rules, const QJsonObject& login = {});

    // Every request recorded so far, in order; or those of one kind
    // ("prelogin", "login", "batch", "rpc", "attention").
    QList<QJsonObject> requests() const;
    QList<QJsonObject> requests(const QString& kind) const;
    // The statement texts of the batches and calls, in order.
    QStringList statements() const;
    // Every byte the clients sent, as they arrived (Database::capture).
    QByteArray captured() const;
    // The server's certificate, with TLS.
    QString certificatePath() const;

    // Script building blocks.
    static QJsonObject column(const QString& name, const QString& type);
    static QJsonObject resultRule(const QString& match, const QJsonArray& columns,
                                  const QList<QJsonArray>& rows);
    static QJsonObject errorRule(const QString& match, const QJsonArray& errors);
    static QJsonObject error(int number, const QString& message, int severity = 16, int state = 1);
    // The rule, answering only a statement bound to exactly these values.
    static QJsonObject boundTo(QJsonObject rule, const QStringList& values);

    // A loopback port nothing listens on (for a refused connection).
    static quint16 unusedPort();

private:
    void start(const QStringList& arguments);

    QTemporaryDir m_dir;
    QProcess m_process;
    quint16 m_port = 0;
    QString m_error;
};

} // namespace nbr::test
