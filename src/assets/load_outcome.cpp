#include "assets/load_outcome.h"

#include <cstdio>

LoadReport loadFailure(const char* message, LoadResult result)
{
    LoadReport report;
    report.result = result;
    if (message != nullptr)
        std::snprintf(report.message, sizeof report.message, "%s", message);
    return report;
}
