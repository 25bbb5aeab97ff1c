#include "assets/report.h"

std::string reportLine(const Report& report)
{
    if (report.file.empty())
        return report.text;
    std::string line = report.file;
    if (report.line > 0)
        line += ':' + std::to_string(report.line);
    return line + ": " + report.text;
}
