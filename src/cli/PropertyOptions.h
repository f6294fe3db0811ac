#pragma once

#include <map>
#include <string>
#include <vector>

namespace CLI {
class App;
class Option;
}  // namespace CLI
struct CTaskProperties;

// The command-line form of the "Task options" sheet: one option for every
// property the task file keeps, accepted with the sheet's ranges and
// messages. Nothing is stored until every given value is valid.
class CPropertyOptions {
public:
    // Adds the options to a command. The abstract settings are added too, so
    // that "new" and "set" can refuse them with a reason instead of dropping
    // them: the task file does not keep them.
    void Register(CLI::App& command);

    // Checks the given values in the sheet's order. On the first bad one,
    // error holds "--option: message" and the result is false.
    bool Validate(std::string& error) const;

    // Stores the given values into the task's properties (timeout in seconds
    // x 1000). pChanges, when given, gets one line for every value that
    // changed, in the options' own form: "threads: 10 -> 4", "timeout: 60 -> 45".
    void ApplyTo(CTaskProperties& task, std::vector<std::string>* pChanges = nullptr) const;

    // True when any of the options was given.
    [[nodiscard]] bool AnyGiven() const;

private:
    [[nodiscard]] bool Given(const std::string& option) const;

    std::map<std::string, std::string> m_values;    // option name -> text as given
    std::map<std::string, CLI::Option*> m_options;  // option name -> its parser entry
};

// "#RRGGBB" -> 0x00BBGGRR; false when the text is not of that form.
bool ParseHtmlColor(const std::string& text, unsigned& color);
// 0x00BBGGRR -> "#RRGGBB"; the top byte is not shown.
std::string FormatHtmlColor(unsigned color);

// The help of --keywords and the footer that says what makes a page match.
extern const char* const KEYWORDS_HELP;
extern const char* const KEYWORDS_FOOTER;
