#include "assets/load_outcome.h"

#include <cstdio>

Report loadFailure(const char* message, Failure failure)
{
    Report report;
    report.failure = failure;
    if (message != nullptr) {
        char text[kLoadMessageBytes];
        std::snprintf(text, sizeof text, "%s", message);
        report.text = text;
    }
    return report;
}
