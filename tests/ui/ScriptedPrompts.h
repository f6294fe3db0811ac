#pragma once

#include <string>
#include <vector>

#include "task/DocumentPrompts.h"

// Answers the task's questions as a test tells, and keeps its messages.
class CScriptedPrompts : public IDocumentPrompts {
public:
    void ShowMessage(const std::string& text, Icon) override { m_arrMessages.push_back(text); }
    Answer AskYesNoCancel(const std::string&) override { return Answer::No; }
    std::string AskSavePath() override {
        ++m_nSaveAsked;
        return m_strSavePath;
    }

    std::string m_strSavePath;  // empty: the Save As box is cancelled
    int m_nSaveAsked = 0;
    std::vector<std::string> m_arrMessages;
};
