#include "TdsTestServer.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QJsonDocument>
#include <QSaveFile>
#include <QTcpServer>

using namespace Qt::StringLiterals;

namespace nbr::test {

namespace {

QString serverScriptPath() {
    const QString sourceDir = qEnvironmentVariable("NBR_SOURCE_DIR");
    if (!sourceDir.isEmpty())
        return sourceDir + u"/tests/support/tds_server.py"_s;
    // Run outside ctest (a benchmark, say): the script of this source tree.
    return QStringLiteral(NBR_TDS_SERVER_SCRIPT);
}

QString modeName(TdsTestServer::Mode mode) {
    switch (mode) {
    case TdsTestServer::Mode::CloseAtOnce:
        return u"close"_s;
    case TdsTestServer::Mode::Silent:
        return u"silent"_s;
    case TdsTestServer::Mode::Normal:
        break;
    }
    return u"normal"_s;
}

} // namespace

TdsTestServer::TdsTestServer(const QJsonArray& rules, const QJsonObject& login, Mode mode) {
    setScript(rules, login);
    start({u"--script"_s, m_dir.filePath(u"script.json"_s), u"--mode"_s, modeName(mode),
           u"--lifetime"_s, u"120"_s});
}

TdsTestServer::TdsTestServer(const Database& database) {
    // No lifetime of its own: it ends with its standard input, when this process goes.
    QStringList arguments{u"--sqlite"_s,     database.path,
                          u"--latency-ms"_s, QString::number(database.latencyMs),
                          u"--lifetime"_s,   u"0"_s};
    if (!database.login.isEmpty())
        arguments << u"--login"_s << database.login;
    if (!database.tls.isEmpty())
        arguments << u"--tls"_s << database.tls << u"--certificate"_s << certificatePath();
    if (database.capture)
        arguments << u"--capture"_s << m_dir.filePath(u"capture.bin"_s);
    start(arguments);
}

void TdsTestServer::start(const QStringList& arguments) {
    if (!m_dir.isValid()) {
        m_error = u"no temporary directory"_s;
        return;
    }
    // Faults of the server or of the script show in the test's output.
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.setProgram(u"/usr/bin/python3"_s);
    m_process.setArguments(QStringList{serverScriptPath()} + arguments +
                           QStringList{u"--record"_s, m_dir.filePath(u"record.jsonl"_s)});
    m_process.start();
    // Until it says its port: a few seconds at most, even on a busy machine.
    QDeadlineTimer deadline(10000);
    QByteArray output;
    while (!deadline.hasExpired() && m_process.state() != QProcess::NotRunning) {
        m_process.waitForReadyRead(int(qMin<qint64>(deadline.remainingTime(), 200)));
        output += m_process.readAllStandardOutput();
        const qsizetype end = output.indexOf('\n');
        if (end >= 0 && output.startsWith("PORT ")) {
            m_port = quint16(output.mid(5, end - 5).trimmed().toUInt());
            break;
        }
    }
    if (m_port == 0)
        m_error = u"tds_server.py did not start (see its error output)"_s;
}

TdsTestServer::~TdsTestServer() {
    if (m_process.state() == QProcess::NotRunning)
        return;
    // Its standard input closing tells the server to stop.
    m_process.closeWriteChannel();
    if (!m_process.waitForFinished(2000)) {
        m_process.kill();
        m_process.waitForFinished(2000);
    }
}

QString TdsTestServer::serverAddress() const {
    return u"127.0.0.1,"_s + QString::number(m_port);
}

void TdsTestServer::setScript(const QJsonArray& rules, const QJsonObject& login) {
    // Written whole and renamed, so the server never reads half a script.
    QSaveFile file(m_dir.filePath(u"script.json"_s));
    if (file.open(QIODevice::WriteOnly)) {
        file.write(QJsonDocument(QJsonObject{{u"rules"_s, rules}, {u"login"_s, login}}).toJson());
        file.commit();
    }
}

QList<QJsonObject> TdsTestServer::requests() const {
    QFile file(m_dir.filePath(u"record.jsonl"_s));
    QList<QJsonObject> result;
    if (!file.open(QIODevice::ReadOnly))
        return result;
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (!line.trimmed().isEmpty())
            result << QJsonDocument::fromJson(line).object();
    }
    return result;
}

QList<QJsonObject> TdsTestServer::requests(const QString& kind) const {
    QList<QJsonObject> result;
    for (const QJsonObject& request : requests()) {
        if (request.value(u"kind"_s).toString() == kind)
            result << request;
    }
    return result;
}

QStringList TdsTestServer::statements() const {
    QStringList result;
    for (const QJsonObject& request : requests()) {
        const QJsonValue sql = request.value(u"sql"_s);
        if (sql.isString())
            result << sql.toString();
    }
    return result;
}

QString TdsTestServer::certificatePath() const {
    return m_dir.filePath(u"cert.pem"_s);
}

QByteArray TdsTestServer::captured() const {
    QFile file(m_dir.filePath(u"capture.bin"_s));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QJsonObject TdsTestServer::column(const QString& name, const QString& type) {
    return {{u"name"_s, name}, {u"type"_s, type}};
}

QJsonObject TdsTestServer::resultRule(const QString& match, const QJsonArray& columns,
                                      const QList<QJsonArray>& rows) {
    QJsonArray rowArray;
    for (const QJsonArray& row : rows)
        rowArray.append(row);
    return {{u"match"_s, match}, {u"columns"_s, columns}, {u"rows"_s, rowArray}};
}

QJsonObject TdsTestServer::errorRule(const QString& match, const QJsonArray& errors) {
    return {{u"match"_s, match}, {u"error"_s, errors}};
}

QJsonObject TdsTestServer::error(int number, const QString& message, int severity, int state) {
    return {{u"number"_s, number},
            {u"message"_s, message},
            {u"class"_s, severity},
            {u"state"_s, state}};
}

QJsonObject TdsTestServer::boundTo(QJsonObject rule, const QStringList& values) {
    rule[u"params"_s] = QJsonArray::fromStringList(values);
    return rule;
}

quint16 TdsTestServer::unusedPort() {
    // Bound and closed again at once: free, and nobody listens on it.
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHost, 0) ? probe.serverPort() : 0;
}

} // namespace nbr::test
