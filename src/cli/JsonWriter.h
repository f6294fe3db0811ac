#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Writes indented JSON. Strings are taken as bytes: valid UTF-8 passes
// through, control characters are escaped, and a byte that is not part of
// valid UTF-8 is written as "\u00XX" with its value, so no byte of a task's
// text is lost or altered in the output.
class CJsonWriter {
public:
    void BeginObject();
    void EndObject();
    void BeginArray();
    void EndArray();
    // The name of the next value inside an object.
    void Key(std::string_view name);
    void String(std::string_view bytes);
    void Number(int64_t value);
    void Bool(bool value);

    [[nodiscard]] const std::string& Text() const { return m_strOut; }

private:
    void BeforeValue();
    void Close(char bracket);
    void NewLine();

    std::string m_strOut;
    std::vector<bool> m_arrHasItems;  // per open object or array
    bool m_bAfterKey = false;
};

// Appends bytes as a quoted JSON string, escaped as above.
void AppendJsonString(std::string& out, std::string_view bytes);
