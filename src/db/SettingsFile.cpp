#include "db/SettingsFile.h"

#include "db/SettingsError.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>

using namespace Qt::StringLiterals;

namespace nbr {

namespace {

QString lookupKey(const QString& section, const QString& key) {
    return section.toLower() + u'\n' + key.toLower();
}

// Blanks around a value or a name: spaces and tabs, not other white space.
QString withoutBlanks(const QString& text) {
    qsizetype begin = 0, end = text.size();
    while (begin < end && (text[begin] == u' ' || text[begin] == u'\t'))
        ++begin;
    while (end > begin && (text[end - 1] == u' ' || text[end - 1] == u'\t'))
        --end;
    return text.mid(begin, end - begin);
}

} // namespace

SettingsFile SettingsFile::read(const QString& path) {
    const QString shown = QDir::toNativeSeparators(path);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw SettingsError(u"无法读取数据库设置文件：%1（%2）"_s.arg(shown, file.errorString()));
    QByteArray content = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw SettingsError(u"无法读取数据库设置文件：%1（%2）"_s.arg(shown, file.errorString()));
    if (content.startsWith("\xEF\xBB\xBF"))
        content.remove(0, 3);

    SettingsFile settings;
    QString section;
    const QList<QByteArray> lines = content.split('\n');
    for (qsizetype n = 0; n < lines.size(); ++n) {
        QByteArray bytes = lines[n];
        if (bytes.endsWith('\r'))
            bytes.chop(1);
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString raw = utf8.decode(bytes);
        if (utf8.hasError())
            throw SettingsError(
                u"数据库设置文件 %1 第 %2 行不是 UTF-8 文本"_s.arg(shown).arg(n + 1));
        const QString line = withoutBlanks(raw);
        if (line.isEmpty() || line.startsWith(u';') || line.startsWith(u'#'))
            continue;
        if (line.startsWith(u'[') && line.endsWith(u']')) {
            section = withoutBlanks(line.mid(1, line.size() - 2));
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (equals <= 0)
            throw SettingsError(
                u"数据库设置文件 %1 第 %2 行无法识别（应为 [节名] 或 键=值）"_s.arg(shown).arg(n +
                                                                                               1));
        QString value = withoutBlanks(line.mid(equals + 1));
        if (value.size() >= 2 && value.startsWith(u'"') && value.endsWith(u'"'))
            value = value.mid(1, value.size() - 2);
        settings.m_values.insert(lookupKey(section, withoutBlanks(line.left(equals))), value);
    }
    return settings;
}

std::optional<QString> SettingsFile::value(const QString& section, const QString& key) const {
    const auto it = m_values.constFind(lookupKey(section, key));
    if (it == m_values.constEnd())
        return std::nullopt;
    return *it;
}

} // namespace nbr
