#include "ui/ViewAddress.h"

std::string ResultPageAddress(const std::string& serverRoot, int page) {
    return serverRoot + "ResultPage" + std::to_string(page) + ".html";
}

int ChooseResultPage(unsigned entered, int resultPage) {
    const unsigned last = resultPage > 0 ? static_cast<unsigned>(resultPage) : 0;
    return static_cast<int>(entered > last ? last : entered);
}

std::string OfflineDialogPreset(const std::string& startAddress) {
    if (startAddress.find("://") != std::string::npos) {
        return startAddress;
    }
    return "http://" + startAddress;
}
