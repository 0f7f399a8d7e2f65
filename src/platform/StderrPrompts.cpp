#include "platform/StderrPrompts.h"

#include <cstdio>

using namespace Qt::StringLiterals;

namespace nbr {

void printError(const QString& line) {
    std::fputs((line + u'\n').toUtf8().constData(), stderr);
    std::fflush(stderr);
}

void printOutput(const QString& line) {
    std::fputs((line + u'\n').toUtf8().constData(), stdout);
    std::fflush(stdout);
}

void StderrPrompts::message(const QString& text, const QString& title, MessageIcon) {
    printError(title + u"："_s + text);
}

bool StderrPrompts::askYesNo(const QString& text, const QString& title, MessageIcon) {
    printError(title + u"："_s + text + u"（无人应答，按“否”处理）"_s);
    return false;
}

std::optional<QString> StderrPrompts::saveFileName(const QString&, const QString&) {
    return std::nullopt;
}

} // namespace nbr
