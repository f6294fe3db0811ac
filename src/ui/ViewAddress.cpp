#include "ui/ViewAddress.h"

std::string ResultPageAddress(const std::string& strServerRoot, int nPage) {
    return strServerRoot + "ResultPage" + std::to_string(nPage) + ".html";
}

int ChooseResultPage(unsigned nEntered, int nResultPage) {
    const unsigned nLast = nResultPage > 0 ? static_cast<unsigned>(nResultPage) : 0;
    return static_cast<int>(nEntered > nLast ? nLast : nEntered);
}

std::string OfflineDialogPreset(const std::string& strStartAddress) {
    if (strStartAddress.find("://") != std::string::npos) {
        return strStartAddress;
    }
    return "http://" + strStartAddress;
}
