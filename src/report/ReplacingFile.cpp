#include "report/ReplacingFile.h"

#include <QFile>
#include <QRandomGenerator>
#include <cerrno>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace nbr {

ReplacingFile::ReplacingFile(const QString& finalPath) : m_finalPath(finalPath) {
    do {
        m_temporaryPath =
            finalPath + u".tmp-"_s + QString::number(QRandomGenerator::global()->generate(), 36);
    } while (QFile::exists(m_temporaryPath));
}

ReplacingFile::~ReplacingFile() {
    if (!m_committed)
        QFile::remove(m_temporaryPath);
}

int ReplacingFile::commit() {
    // rename(2) replaces an existing file in one step, unlike QFile::rename.
    if (std::rename(QFile::encodeName(m_temporaryPath).constData(),
                    QFile::encodeName(m_finalPath).constData()) != 0)
        return errno;
    m_committed = true;
    return 0;
}

} // namespace nbr
