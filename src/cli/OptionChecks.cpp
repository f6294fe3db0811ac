#include "cli/OptionChecks.h"

#include "common/NumberText.h"

CLI::Validator WholeNumber(int nMin, int nMax) {
    // No description: the help shows the option's own value form ("N").
    return CLI::Validator(
        [nMin, nMax](std::string& text) {
            int value = 0;
            return CheckUnsignedText(text, nMin, nMax, value);
        },
        "");
}
