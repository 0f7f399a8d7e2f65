#pragma once
// The command line of nbreport-export: which year, which departments, and
// which workbooks to write.

#include <QString>
#include <QStringList>
#include <optional>
#include <variant>

namespace nbr {

// One listing: the drill-down of one month cell of the summary.
struct DetailRequest {
    QString deptCode;
    QString subjectCode;
    int month = 0; // 1 … 12
    QString path;
};

// What the command line asks for: an export, or only the usage or the version.
enum class ExportRequest { Export, Help, Version };

struct ExportArguments {
    ExportRequest request = ExportRequest::Export;
    int year = 0;
    QStringList deptCodes;
    bool allDepartments = false;
    QString summaryPath;
    std::optional<DetailRequest> detail;
    QString linesPath; // every claim line of the departments and year
    QString settingsFile;
    bool quiet = false; // no progress lines

    // The summary and the claim lines are of the ticked departments.
    bool ticksDepartments() const { return !summaryPath.isEmpty() || !linesPath.isEmpty(); }
};

// The usage text, for --help and with every argument error.
QString exportUsage();

// Parses the arguments after the program name; a Chinese error text when
// they do not make one complete request.
std::variant<ExportArguments, QString> parseExportArguments(const QStringList& args);

} // namespace nbr
