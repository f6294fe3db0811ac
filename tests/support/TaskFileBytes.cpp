#include "support/TaskFileBytes.h"

void TaskFileBytes::Little(uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        m_strBytes += static_cast<char>((value >> (8 * i)) & 0xFF);
    }
}

TaskFileBytes& TaskFileBytes::Number(int32_t value) {
    Little(static_cast<uint32_t>(value), 4);
    return *this;
}

TaskFileBytes& TaskFileBytes::Text(const std::string& text) {
    if (text.size() < 255) {
        Little(static_cast<uint32_t>(text.size()), 1);
    } else if (text.size() <= 65533) {
        Little(0xFF, 1);
        Little(static_cast<uint32_t>(text.size()), 2);
    } else {
        Little(0xFF, 1);
        Little(0xFFFF, 2);
        Little(static_cast<uint32_t>(text.size()), 4);
    }
    m_strBytes += text;
    return *this;
}

TaskFileBytes& TaskFileBytes::WideText(const std::u16string& text) {
    Little(0xFF, 1);
    Little(0xFFFE, 2);
    if (text.size() < 255) {
        Little(static_cast<uint32_t>(text.size()), 1);
    } else {
        Little(0xFF, 1);
        Little(static_cast<uint32_t>(text.size()), 2);
    }
    for (char16_t unit : text) {
        Little(unit, 2);
    }
    return *this;
}

TaskFileBytes& TaskFileBytes::List(const std::vector<std::string>& items) {
    Little(static_cast<uint32_t>(items.size()), 2);
    for (const std::string& item : items) {
        Text(item);
    }
    return *this;
}

TaskFileBytes& TaskFileBytes::Raw(const std::string& bytes) {
    m_strBytes += bytes;
    return *this;
}

std::string HandMadeTask::Bytes(const std::u16string* wideCurrentSite) const {
    TaskFileBytes file;
    file.Text(taskDir).Text(startAddress).Text(endAddress);
    if (wideCurrentSite != nullptr) {
        file.WideText(*wideCurrentSite);
    } else {
        file.Text(currentSite);
    }
    file.Text(keywords).Text(taskDir + "EmailAddress.txt").Text("task");
    file.Text(resultPagePath.empty() ? taskDir + "ResultPage0.html" : resultPagePath);
    file.Text(siteAuthorization);
    file.List(urls).List({}).List(sites).List(keywordList);
    file.Number(state).Number(1).Number(maxThreads).Number(siteMode).Number(nextUrl).Number(0);
    file.Number(0).Number(3).Number(timeout).Number(0).Number(linkColor).Number(3).Number(0);
    file.Number(0).Number(resultPage).Number(50).Number(1024).Number(0).Number(1024);
    file.Number(0).Number(0).Number(0).Number(0).Number(0).Number(0).Number(0);
    file.Number(1).Number(1).Number(1).Number(1);
    for (int slot = 0; slot < 15; ++slot) {
        file.Text(slot == 0 ? slot0Page : "").Text("").Text("").Text("");
        file.Text(slot == 0 ? slot0Url : "").Text("").Text("").Text("");
        file.Number(static_cast<int32_t>(slot == 0 ? slot0Page.size() : 0)).Number(0).Number(0);
        file.Number(active).Number(0).Number(0);
    }
    return file.Bytes();
}
