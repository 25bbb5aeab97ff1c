#pragma once
// The benchmark's figures: what one run measures, the line a run hands to the
// process that started it, and the medians over several runs as a table or
// as JSON. Times are milliseconds, rates frames per second, memory MB or kB.

#include <string>
#include <vector>

struct Figure {
    std::string key; // as in the report line and the JSON: lower case, underscores
    double value;
};
using RunFigures = std::vector<Figure>;

// The figure of that name in figures, or null.
const Figure* findFigure(const RunFigures& figures, const std::string& key);

// "lumora-bench-run key=value key=value ...": one line on the run's output.
std::string formatRunLine(const RunFigures& figures);
// Takes a line of that form; false for any other line.
bool parseRunLine(const std::string& line, RunFigures& figures);

// The middle value; for an even count, the mean of the two middle values.
double median(std::vector<double> values);
// Nearest rank: the smallest value with at least `fraction` of all values at
// or below it. 0 for no values.
double percentile(std::vector<float> values, double fraction);

// Per key, the median over the runs that have it, in the order the first run
// gives the keys.
RunFigures medianFigures(const std::vector<RunFigures>& runs);

std::string formatTable(const RunFigures& medians, int runs, double seconds);
std::string formatJson(const RunFigures& medians, const std::vector<RunFigures>& runs, double seconds);
