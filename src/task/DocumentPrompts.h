#pragma once

#include <string>

// The questions a document asks its user when it is closed or replaced. The
// desktop front end shows message boxes; the headless one answers from its
// options; tests script the answers.
class IDocumentPrompts {
public:
    enum class Answer { Yes, No, Cancel };
    enum class Icon { Error, Exclamation, Question };

    virtual ~IDocumentPrompts() = default;
    virtual void ShowMessage(const std::string& text, Icon icon) = 0;
    // "Save changes to shop?"
    virtual Answer AskYesNoCancel(const std::string& text) = 0;
    // A path to save an unnamed task under; empty when the user cancels.
    virtual std::string AskSavePath() = 0;
};
