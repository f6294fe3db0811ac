#include "cli/PropertyOptions.h"

#include <CLI/CLI.hpp>

#include <climits>
#include <functional>

#include "common/AppOptions.h"
#include "common/NumberText.h"
#include "task/NewTaskRecord.h"
#include "task/TaskFields.h"
#include "task/TaskProperties.h"

namespace {
enum class Kind {
    Number,   // a whole number within [min, max]
    Seconds,  // the same, kept in milliseconds
    Flag,     // 0 or 1
    Limit,    // a size cell: a whole number, 0 (no limit) when empty
    Color,    // #RRGGBB
    Refused,  // not kept by the task file
};

struct CProperty {
    const char* option;
    Kind kind;
    int min;
    int max;
    const char* help;  // the default is added to it
    std::function<void(CTaskProperties&, int)> store;
    std::function<int64_t(const CTaskProperties&)> read;  // as the task keeps it
};

// In the order of the sheet's controls, which is the order of validation.
const std::vector<CProperty>& Properties() {
    static const std::vector<CProperty> properties = {
        {"--pause-after-site", Kind::Flag, 0, 1, "Pause task when current site finished",
         [](CTaskProperties& d, int v) { d.m_bPauseAfterSite = v != 0; },
         [](const CTaskProperties& t) { return int64_t{t.m_bPauseAfterSite}; }},
        {"--depth", Kind::Number, 0, INT_MAX, "Depth of links to follow, 0 = no limit",
         [](CTaskProperties& d, int v) { d.m_nDepth = v; },
         [](const CTaskProperties& t) { return int64_t{t.m_nDepth}; }},
        {"--results-per-page", Kind::Number, 10, 1000, "Result items per page, 10 to 1000",
         [](CTaskProperties& d, int v) { d.m_nResultsPerPage = v; },
         [](const CTaskProperties& t) { return int64_t{t.m_nResultsPerPage}; }},
        {"--prompt-auth", Kind::Flag, 0, 1,
         "Prompt for authorization when a site asks for an account",
         [](CTaskProperties& d, int v) { d.m_bPromptAuth = v != 0; },
         [](const CTaskProperties& t) { return int64_t{t.m_bPromptAuth}; }},
        {"--auto-save", Kind::Number, 0, INT_MAX, "Auto save task every N minutes, 0 = never",
         [](CTaskProperties& d, int v) { d.m_nAutoSaveMinutes = v; },
         [](const CTaskProperties& t) { return int64_t{t.m_nAutoSaveMinutes}; }},
        {"--abstract-max-length", Kind::Refused, 0, 0, "Not kept by the task: give it to the run",
         nullptr, nullptr},
        {"--abstract-start", Kind::Refused, 0, 0, "Not kept by the task: give it to the run",
         nullptr, nullptr},
        {"--abstract-offset", Kind::Refused, 0, 0, "Not kept by the task: give it to the run",
         nullptr, nullptr},
        {"--text-filter", Kind::Flag, 0, 1, "Retrieve text files",
         [](CTaskProperties& d, int v) { d.m_bFilterText = v != 0; },
         [](const CTaskProperties& t) { return int64_t{t.m_bFilterText}; }},
        {"--text-max-k", Kind::Limit, 0, INT_MAX, "Max size of text files in K bytes, 0 = no limit",
         [](CTaskProperties& d, int v) { d.m_nTextMaxK = v; },
         [](const CTaskProperties& t) { return int64_t{t.m_nTextMaxK}; }},
        {"--image-filter", Kind::Flag, 0, 1, "Retrieve images",
         [](CTaskProperties& d, int v) { d.m_bFilterImage = v != 0; },
         [](const CTaskProperties& t) { return int64_t{t.m_bFilterImage}; }},
        {"--image-max-k", Kind::Limit, 0, INT_MAX, "Max size of images in K bytes, 0 = no limit",
         [](CTaskProperties& d, int v) { d.m_nImageMaxK = v; },
         [](const CTaskProperties& t) { return int64_t{t.m_nImageMaxK}; }},
        {"--others-filter", Kind::Flag, 0, 1, "Retrieve other files",
         [](CTaskProperties& d, int v) { d.m_bFilterOthers = v != 0; },
         [](const CTaskProperties& t) { return int64_t{t.m_bFilterOthers}; }},
        {"--others-max-k", Kind::Limit, 0, INT_MAX,
         "Max size of other files in K bytes, 0 = no limit",
         [](CTaskProperties& d, int v) { d.m_nOthersMaxK = v; },
         [](const CTaskProperties& t) { return int64_t{t.m_nOthersMaxK}; }},
        {"--recolor-links", Kind::Flag, 0, 1, "Change the color of retrieved links in stored pages",
         [](CTaskProperties& d, int v) { d.m_bRecolorLinks = v != 0; },
         [](const CTaskProperties& t) { return int64_t{t.m_bRecolorLinks}; }},
        {"--link-color", Kind::Color, 0, 0, "Color of retrieved links",
         [](CTaskProperties& d, int v) { d.m_crLinkColor = static_cast<uint32_t>(v); },
         [](const CTaskProperties& t) { return int64_t{t.m_crLinkColor}; }},
        {"--retries", Kind::Number, 0, 50, "Connection retries, 0 to 50",
         [](CTaskProperties& d, int v) { d.m_nRetries = v; },
         [](const CTaskProperties& t) { return int64_t{t.m_nRetries}; }},
        {"--timeout", Kind::Seconds, 0, 600, "Connection and read timeout, 0 to 600, 0 = none",
         [](CTaskProperties& d, int v) { d.m_nTimeout = v * 1000; },
         [](const CTaskProperties& t) { return int64_t{t.m_nTimeout}; }},
        {"--threads", Kind::Number, 1, 15, "Max number of worker threads, 1 to 15",
         [](CTaskProperties& d, int v) { d.m_nMaxThreads = v; },
         [](const CTaskProperties& t) { return int64_t{t.m_nMaxThreads}; }},
    };
    return properties;
}

// The properties of a task that "new" makes, before any option applies.
const CTaskProperties& NewTaskProperties() {
    static const CTaskProperties properties = [] {
        CTaskFields task;
        task.m_nAutoSaveMinutes = NEW_TASK_AUTO_SAVE_MINUTES;
        task.m_crLinkColor = CAppOptions{}.m_crRetrievedLinks;
        return PropertiesOf(task);
    }();
    return properties;
}

// "60" for 60000 milliseconds, "60.5" for 60500.
std::string SecondsText(int64_t milliseconds) {
    const int64_t magnitude = milliseconds < 0 ? -milliseconds : milliseconds;
    std::string text = (milliseconds < 0 ? "-" : "") + std::to_string(magnitude / 1000);
    if (magnitude % 1000 != 0) {
        std::string fraction = std::to_string(1000 + magnitude % 1000).substr(1);
        while (fraction.back() == '0') {
            fraction.pop_back();
        }
        text += "." + fraction;
    }
    return text;
}

// A kept value in the form the option takes.
std::string ShownValue(Kind kind, int64_t value) {
    switch (kind) {
        case Kind::Seconds:
            return SecondsText(value);
        case Kind::Color:
            return FormatHtmlColor(static_cast<unsigned>(value));
        case Kind::Flag:
            return value != 0 ? "1" : "0";
        case Kind::Number:
        case Kind::Limit:
        case Kind::Refused:
            break;
    }
    return std::to_string(value);
}

std::string HelpText(const CProperty& property) {
    if (property.kind == Kind::Refused) {
        return property.help;
    }
    const std::string value = ShownValue(property.kind, property.read(NewTaskProperties()));
    const std::string help = property.help;
    const std::string defaultText =
        property.kind == Kind::Color
            ? "(default: the application's link color, at first " + value + ")"
            : "(default " + value + ")";
    // Long texts go on in a second line, beneath the first.
    return help + (help.size() + defaultText.size() > 60 ? "\n" : " ") + defaultText;
}

bool ValueOf(const CProperty& property, const std::string& text, int& value, std::string& message) {
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
        case Kind::Seconds:
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

std::string FormatHtmlColor(unsigned color) {
    static const char digits[] = "0123456789ABCDEF";
    std::string text = "#";
    for (const unsigned byte : {color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF}) {
        text += digits[byte >> 4];
        text += digits[byte & 0xF];
    }
    return text;
}

void CPropertyOptions::Register(CLI::App& command) {
    for (const CProperty& property : Properties()) {
        static const std::map<Kind, const char*> typeNames = {
            {Kind::Number, "N"}, {Kind::Seconds, "SECONDS"}, {Kind::Flag, "0|1"},
            {Kind::Limit, "K"},  {Kind::Color, "#RRGGBB"},   {Kind::Refused, "N"}};
        m_options[property.option] =
            command.add_option(property.option, m_values[property.option], HelpText(property))
                ->type_name(typeNames.at(property.kind))
                ->group(property.kind == Kind::Refused ? "" : "Task properties");
    }
}

bool CPropertyOptions::Given(const std::string& option) const {
    const auto found = m_options.find(option);
    return found != m_options.end() && found->second->count() > 0;
}

bool CPropertyOptions::AnyGiven() const {
    for (const auto& [name, option] : m_options) {
        if (option->count() > 0) {
            return true;
        }
    }
    return false;
}

bool CPropertyOptions::Validate(std::string& error) const {
    for (const CProperty& property : Properties()) {
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

void CPropertyOptions::ApplyTo(CTaskProperties& task, std::vector<std::string>* pChanges) const {
    for (const CProperty& property : Properties()) {
        if (!Given(property.option) || !property.store) {
            continue;
        }
        int value = 0;
        std::string message;
        if (!ValueOf(property, m_values.at(property.option), value, message)) {
            continue;
        }
        const int64_t before = property.read(task);
        property.store(task, value);
        const int64_t after = property.read(task);
        if (pChanges != nullptr && after != before) {
            // "threads: 10 -> 4", named as the option without its dashes.
            pChanges->push_back(std::string(property.option + 2) + ": " +
                                ShownValue(property.kind, before) + " -> " +
                                ShownValue(property.kind, after));
        }
    }
}

const char* const KEYWORDS_HELP =
    "Keywords separated by \"+\": a page matches when any one of them\n"
    "occurs in its text (default: none, every page matches)";

// What the analysis does: the body text without tags, scripts and styles,
// searched for each keyword in the order given; ASCII letters fold.
const char* const KEYWORDS_FOOTER =
    "Keywords: \"apple+pear\" matches a page whose text holds apple or pear anywhere,\n"
    "also inside a longer word (pineapple), in any case unless --match-case is given\n"
    "(only the letters A to Z fold). Spaces around each keyword are dropped; spaces\n"
    "inside one belong to it. A page's text is what remains without its tags\n"
    "(\"<...>\"), scripts and styles, from its <body> on (all of it when it has none);\n"
    "plain-text files are read the same way. Every HTML or plain-text page retrieved\n"
    "is listed in the results, matching or not; on a matching page the abstract is\n"
    "cut around the first keyword, in the order given, that the page holds, and the\n"
    "keywords are shown in red. Without keywords every page matches.";
