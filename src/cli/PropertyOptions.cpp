#include "cli/PropertyOptions.h"

#include <CLI/CLI.hpp>

#include <climits>
#include <functional>

#include "common/NumberText.h"
#include "task/QuobrixDoc.h"

namespace {
enum class Kind {
    Number,   // a whole number within [min, max]
    Flag,     // 0 or 1
    Limit,    // a size cell: a whole number, 0 (no limit) when empty
    Color,    // #RRGGBB
    Refused,  // not kept by the task file
};

struct Property {
    const char* option;
    Kind kind;
    int min;
    int max;
    const char* help;
    std::function<void(CQuobrixDoc&, int)> store;
};

// In the order of the sheet's controls, which is the order of validation.
const std::vector<Property>& Properties() {
    static const std::vector<Property> properties = {
        {"--pause-after-site", Kind::Flag, 0, 1, "Pause task when current site finished (0|1)",
         [](CQuobrixDoc& d, int v) { d.m_bPauseAfterSite = v != 0; }},
        {"--depth", Kind::Number, 0, INT_MAX, "Depth of links to follow, 0 = no limit",
         [](CQuobrixDoc& d, int v) { d.m_nDepth = v; }},
        {"--results-per-page", Kind::Number, 10, 1000, "Result items per page (10 to 1000)",
         [](CQuobrixDoc& d, int v) { d.m_nResultsPerPage = v; }},
        {"--prompt-auth", Kind::Flag, 0, 1, "Prompt for authorization (0|1)",
         [](CQuobrixDoc& d, int v) { d.m_bPromptAuth = v != 0; }},
        {"--auto-save", Kind::Number, 0, INT_MAX, "Auto save task every N minutes, 0 = never",
         [](CQuobrixDoc& d, int v) { d.m_nAutoSaveMinutes = v; }},
        {"--abstract-max-length", Kind::Refused, 0, 0, "Not kept by the task: give it to the run",
         nullptr},
        {"--abstract-start", Kind::Refused, 0, 0, "Not kept by the task: give it to the run",
         nullptr},
        {"--abstract-offset", Kind::Refused, 0, 0, "Not kept by the task: give it to the run",
         nullptr},
        {"--text-filter", Kind::Flag, 0, 1, "Retrieve text files (0|1)",
         [](CQuobrixDoc& d, int v) { d.m_bFilterText = v != 0; }},
        {"--text-max-k", Kind::Limit, 0, INT_MAX, "Max size of text files in K bytes, 0 = no limit",
         [](CQuobrixDoc& d, int v) { d.m_nTextMaxK = v; }},
        {"--image-filter", Kind::Flag, 0, 1, "Retrieve images (0|1)",
         [](CQuobrixDoc& d, int v) { d.m_bFilterImage = v != 0; }},
        {"--image-max-k", Kind::Limit, 0, INT_MAX, "Max size of images in K bytes, 0 = no limit",
         [](CQuobrixDoc& d, int v) { d.m_nImageMaxK = v; }},
        {"--others-filter", Kind::Flag, 0, 1, "Retrieve other files (0|1)",
         [](CQuobrixDoc& d, int v) { d.m_bFilterOthers = v != 0; }},
        {"--others-max-k", Kind::Limit, 0, INT_MAX,
         "Max size of other files in K bytes, 0 = no limit",
         [](CQuobrixDoc& d, int v) { d.m_nOthersMaxK = v; }},
        {"--recolor-links", Kind::Flag, 0, 1, "Change the color of retrieved links (0|1)",
         [](CQuobrixDoc& d, int v) { d.m_bRecolorLinks = v != 0; }},
        {"--link-color", Kind::Color, 0, 0, "Color of retrieved links, #RRGGBB",
         [](CQuobrixDoc& d, int v) { d.m_crLinkColor = static_cast<uint32_t>(v); }},
        {"--retries", Kind::Number, 0, 50, "Connection retries (0 to 50)",
         [](CQuobrixDoc& d, int v) { d.m_nRetries = v; }},
        {"--timeout", Kind::Number, 0, 600, "Timeout in seconds (0 to 600), 0 = none",
         [](CQuobrixDoc& d, int v) { d.m_nTimeout = v * 1000; }},
        {"--threads", Kind::Number, 1, 15, "Max number of worker threads (1 to 15)",
         [](CQuobrixDoc& d, int v) { d.m_nMaxThreads = v; }},
    };
    return properties;
}

bool ValueOf(const Property& property, const std::string& text, int& value, std::string& message) {
    switch (property.kind) {
        case Kind::Refused:
            message = "the abstract settings are not kept in the task file; give them to quobrix-cli run";
            return false;
        case Kind::Limit:
            message = CheckLimitText(text, value);
            return message.empty();
        case Kind::Color: {
            unsigned color = 0;
            if (!ParseHtmlColor(text, color)) {
                message = "Please enter a colour as #RRGGBB.";
                return false;
            }
            value = static_cast<int>(color);
            return true;
        }
        case Kind::Flag:
            if (text != "0" && text != "1") {
                message = "Please enter 0 or 1.";
                return false;
            }
            value = text == "1";
            return true;
        case Kind::Number:
            message = CheckUnsignedText(text, property.min, property.max, value);
            return message.empty();
    }
    return false;
}
}  // namespace

bool ParseHtmlColor(const std::string& text, unsigned& color) {
    if (text.size() != 7 || text[0] != '#' ||
        text.find_first_not_of("0123456789abcdefABCDEF", 1) != std::string::npos) {
        return false;
    }
    const unsigned rgb = static_cast<unsigned>(std::stoul(text.substr(1), nullptr, 16));
    const unsigned red = (rgb >> 16) & 0xFF;
    const unsigned green = (rgb >> 8) & 0xFF;
    const unsigned blue = rgb & 0xFF;
    color = red | (green << 8) | (blue << 16);
    return true;
}

void CPropertyOptions::Register(CLI::App& command) {
    for (const Property& property : Properties()) {
        static const std::map<Kind, const char*> typeNames = {
            {Kind::Number, "N"}, {Kind::Flag, "0|1"}, {Kind::Limit, "K"},
            {Kind::Color, "#RRGGBB"}, {Kind::Refused, "N"}};
        m_options[property.option] =
            command.add_option(property.option, m_values[property.option], property.help)
                ->type_name(typeNames.at(property.kind))
                ->group(property.kind == Kind::Refused ? "" : "Task properties");
    }
}

bool CPropertyOptions::Given(const std::string& option) const {
    const auto found = m_options.find(option);
    return found != m_options.end() && found->second->count() > 0;
}

bool CPropertyOptions::Validate(std::string& error) const {
    for (const Property& property : Properties()) {
        if (!Given(property.option)) {
            continue;
        }
        int value = 0;
        std::string message;
        if (!ValueOf(property, m_values.at(property.option), value, message)) {
            error = std::string(property.option) + ": " + message;
            return false;
        }
    }
    return true;
}

void CPropertyOptions::ApplyTo(CQuobrixDoc& doc) const {
    for (const Property& property : Properties()) {
        if (!Given(property.option) || !property.store) {
            continue;
        }
        int value = 0;
        std::string message;
        if (ValueOf(property, m_values.at(property.option), value, message)) {
            property.store(doc, value);
        }
    }
}
