#include "assets/landscape_facts.h"

#include <algorithm>

std::string generatorVersionLine(int detail)
{
    return std::string(kGeneratorName) + " " + std::to_string(kGeneratorVersion) + " detail " +
           std::to_string(detail);
}

std::optional<Plants> plantsNamed(std::string_view text)
{
    if (text == "none")
        return Plants::None;
    if (text == "palms")
        return Plants::Palms;
    return std::nullopt;
}

std::string importLine(const std::string& model, const std::string& what) { return model + ": " + what; }

std::string findImportLine(const std::string& output, const std::string& model)
{
    const std::string start = importLine(model, "");
    for (size_t at = 0; at < output.size();) {
        const size_t end = std::min(output.find('\n', at), output.size());
        if (output.compare(at, start.size(), start) == 0)
            return output.substr(at, end - at);
        at = end + 1;
    }
    return {};
}
