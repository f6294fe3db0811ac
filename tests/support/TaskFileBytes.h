#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Writes task-file bytes by hand, field by field, independently of the
// program's own archive: tests build files with it and compare against it.
class TaskFileBytes {
public:
    TaskFileBytes& Number(int32_t value);
    TaskFileBytes& Text(const std::string& text);
    // A string in the 16-bit form: 0xFF, 0xFFFE, the length in characters,
    // then UTF-16LE code units.
    TaskFileBytes& WideText(const std::u16string& text);
    TaskFileBytes& List(const std::vector<std::string>& items);
    TaskFileBytes& Raw(const std::string& bytes);

    const std::string& Bytes() const { return m_strBytes; }

private:
    void Little(uint32_t value, int bytes);
    std::string m_strBytes;
};

// The fields of a whole task file, with the values a test cares about and
// neutral values elsewhere.
struct HandMadeTask {
    std::string taskDir = "/nowhere/task/";
    std::string startAddress = "example.com";
    std::string endAddress = "example.com";
    std::string currentSite = "example.com";
    std::string keywords = "apple";
    std::vector<std::string> urls = {"http://example.com/"};
    std::vector<std::string> sites = {"example.com"};
    std::vector<std::string> keywordList = {"apple"};
    int32_t state = 62470;
    int32_t maxThreads = 10;
    int32_t siteMode = 1;
    int32_t nextUrl = 1;
    int32_t timeout = 60000;
    int32_t linkColor = 65280;
    std::string slot0Page = "";
    std::string slot0Url = "http://example.com/";
    std::string siteAuthorization = "";
    std::string resultPagePath = "";  // empty: the task directory's ResultPage0.html
    int32_t resultPage = 0;
    int32_t active = 0;  // every slot's active flag

    // The file's bytes; wideCurrentSite writes field 4 in the 16-bit form.
    std::string Bytes(const std::u16string* wideCurrentSite = nullptr) const;
};
