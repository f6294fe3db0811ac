#include "cli/AbstractOptions.h"

#include <CLI/CLI.hpp>

#include "common/NumberText.h"
#include "task/Task.h"

namespace {
int StartingPoint(const std::string& text) {
    if (text == "beginning" || text == "0") return 0;
    if (text == "middle" || text == "1") return 1;
    if (text == "end" || text == "2") return 2;
    return -1;
}
}  // namespace

void CAbstractOptions::Register(CLI::App& command) {
    m_pMaxLength = command
                       .add_option("--abstract-max-length", m_strMaxLength,
                                   "Max length of an abstract, 100 to 500 (default 300)")
                       ->type_name("N")
                       ->group("Abstract");
    m_pStart = command
                   .add_option("--abstract-start", m_strStart,
                               "Where an abstract without a keyword starts: beginning, middle\n"
                               "or end (default beginning)")
                   ->type_name("WHERE")
                   ->group("Abstract");
    m_pOffset = command
                    .add_option("--abstract-offset", m_strOffset,
                                "Offset of that starting point in characters, may be negative\n"
                                "(default 0)")
                    ->type_name("N")
                    ->group("Abstract");
}

bool CAbstractOptions::Validate(std::string& error) const {
    int value = 0;
    if (m_pMaxLength->count() > 0) {
        const std::string message = CheckUnsignedText(m_strMaxLength, 100, 500, value);
        if (!message.empty()) {
            error = "--abstract-max-length: " + message;
            return false;
        }
    }
    if (m_pStart->count() > 0 && StartingPoint(m_strStart) < 0) {
        error = "--abstract-start: give beginning, middle or end";
        return false;
    }
    if (m_pOffset->count() > 0) {
        const std::string message = CheckSignedText(m_strOffset, value);
        if (!message.empty()) {
            error = "--abstract-offset: " + message;
            return false;
        }
    }
    return true;
}

void CAbstractOptions::ApplyTo(ITask& doc) const {
    CAbstractSettings settings = doc.GetAbstractSettings();
    int value = 0;
    if (m_pMaxLength->count() > 0 && CheckUnsignedText(m_strMaxLength, 100, 500, value).empty()) {
        settings.m_nMaxLength = value;
    }
    if (m_pStart->count() > 0) {
        settings.m_nStart = StartingPoint(m_strStart);
    }
    if (m_pOffset->count() > 0 && CheckSignedText(m_strOffset, value).empty()) {
        settings.m_nOffset = value;
    }
    doc.SetAbstractSettings(settings);
}
