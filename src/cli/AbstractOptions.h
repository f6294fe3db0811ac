#pragma once

#include <string>

namespace CLI {
class App;
class Option;
}  // namespace CLI
class ITask;

// The abstract settings of the "Task options" sheet as options of a run: a
// task file does not keep them, so they apply to the run that names them
// (300, beginning, 0 otherwise).
class CAbstractOptions {
public:
    void Register(CLI::App& command);
    // Checks the given values with the sheet's ranges and messages; on a bad
    // one, error holds "--option: message".
    bool Validate(std::string& error) const;
    void ApplyTo(ITask& doc) const;

private:
    std::string m_strMaxLength;
    std::string m_strStart;
    std::string m_strOffset;
    CLI::Option* m_pMaxLength = nullptr;
    CLI::Option* m_pStart = nullptr;
    CLI::Option* m_pOffset = nullptr;
};
