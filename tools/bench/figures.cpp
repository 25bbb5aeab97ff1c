#include "bench/figures.h"

#include "assets/json_document.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sstream>

namespace {

constexpr const char* kRunLinePrefix = "lumora-bench-run";

struct FigureLabel {
    const char* key;
    const char* label;
    const char* unit;
    int decimals;
};

// Rows of the table, in order. Keys the table does not know (the passes of
// the profiling mode) follow, labelled by their keys.
const FigureLabel kLabels[] = {
    {"startup_ms", "start-up, process start to first swap", "ms", 1},
    {"startup_after_question_ms", "start-up, after the question to first swap", "ms", 1},
    {"fps", "frames per second along the path", "fps", 1},
    {"frame_p50_ms", "frame time, median", "ms", 2},
    {"frame_p99_ms", "frame time, 99th percentile", "ms", 2},
    {"allocations_per_frame", "heap allocations per frame after start-up", "", 2},
    {"peak_rss_mb", "peak resident memory", "MB", 1},
    {"rss_growth_kb", "resident memory growth along the path", "kB", 0},
    {"limit_clear_swap_fps", "limit: clear + swap", "fps", 1},
    {"limit_quad_fps", "limit: clear + quad with two texture units + swap", "fps", 1},
    {"limit_quad_terrain_fps", "limit: the quad + the terrain list + swap", "fps", 1},
    {"share_of_limit_percent", "path frames per second / terrain limit", "%", 1},
    {"window_width_px", "window client area, width", "px", 0},
    {"window_height_px", "window client area, height", "px", 0},
    {"render_scale", "render scale at the end of the path", "", 2},
    {"fine_triangles_per_frame", "fine ground: triangles a frame, median", "", 0},
    {"fine_largest_error_px", "fine ground: largest screen-space error, median", "px", 2},
    {"fine_nodes_resident", "fine ground: nodes resident, median", "", 0},
    {"fine_texture_mb", "fine ground: picture textures resident, median", "MB", 1},
};

const FigureLabel* labelFor(const std::string& key)
{
    for (const FigureLabel& label : kLabels)
        if (key == label.key)
            return &label;
    return nullptr;
}

std::string number(double value, int decimals)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

} // namespace

const Figure* findFigure(const RunFigures& figures, const std::string& key)
{
    for (const Figure& figure : figures)
        if (figure.key == key)
            return &figure;
    return nullptr;
}

std::string formatRunLine(const RunFigures& figures)
{
    std::string line = kRunLinePrefix;
    for (const Figure& figure : figures)
        line += " " + figure.key + "=" + number(figure.value, 6);
    return line;
}

bool parseRunLine(const std::string& line, RunFigures& figures)
{
    std::istringstream in(line);
    std::string word;
    if (!(in >> word) || word != kRunLinePrefix)
        return false;
    figures.clear();
    while (in >> word) {
        const size_t equals = word.find('=');
        if (equals == std::string::npos || equals == 0)
            return false;
        char* end = nullptr;
        const std::string text = word.substr(equals + 1);
        const double value = std::strtod(text.c_str(), &end);
        if (text.empty() || *end != '\0')
            return false;
        figures.push_back({word.substr(0, equals), value});
    }
    return true;
}

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

double percentile(std::vector<float> values, double fraction)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const double rank = std::ceil(fraction * static_cast<double>(values.size()));
    const size_t index = rank < 1 ? 0 : std::min(values.size(), static_cast<size_t>(rank)) - 1;
    return values[index];
}

RunFigures medianFigures(const std::vector<RunFigures>& runs)
{
    RunFigures medians;
    if (runs.empty())
        return medians;
    for (const Figure& first : runs.front()) {
        std::vector<double> values;
        for (const RunFigures& run : runs)
            for (const Figure& figure : run)
                if (figure.key == first.key)
                    values.push_back(figure.value);
        medians.push_back({first.key, median(values)});
    }
    return medians;
}

std::string formatTable(const RunFigures& medians, int runs, double seconds)
{
    std::string table = "medians of " + std::to_string(runs) + " run(s), " + number(seconds, 1) + " s of path each\n";
    for (const Figure& figure : medians) {
        const FigureLabel* label = labelFor(figure.key);
        char row[160];
        std::snprintf(row, sizeof row, "  %-52s %10s %s\n", label ? label->label : figure.key.c_str(),
                      number(figure.value, label ? label->decimals : 3).c_str(), label ? label->unit : "");
        table += row;
    }
    return table;
}

std::string formatJson(const RunFigures& medians, const std::vector<RunFigures>& runs, double seconds)
{
    // Three decimals, as the table shows them at most.
    const auto rounded = [](double value) { return std::round(value * 1000.0) / 1000.0; };
    const auto object = [&](const RunFigures& figures) {
        JsonValue values = JsonValue::object();
        for (const Figure& figure : figures)
            values[figure.key] = rounded(figure.value);
        return values;
    };
    JsonValue all = {{"seconds", rounded(seconds)}, {"runs", JsonValue::array()}, {"medians", object(medians)}};
    for (const RunFigures& run : runs)
        all["runs"].push_back(object(run));
    return all.dump() + "\n";
}
