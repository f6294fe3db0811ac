#include "common/StringTable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {
struct Entry {
    unsigned id;
    const char* name;
    const char* text;
};

const std::vector<Entry> kEntries = {
#define QB_STRING(id, name, text) {id, #name, text},
#include "strings.def"
#undef QB_STRING
};

// FormatMessage takes a braced list; spread a table row's arguments into one.
std::string FormatWith(std::string_view format, const std::vector<FormatArg>& args) {
    switch (args.size()) {
        case 0:
            return FormatMessage(format, {});
        case 1:
            return FormatMessage(format, {args[0]});
        case 2:
            return FormatMessage(format, {args[0], args[1]});
        default:
            return FormatMessage(format, {args[0], args[1], args[2]});
    }
}

TEST(FormatMessageTest, FillsInserts) {
    struct Case {
        std::string_view format;
        std::vector<FormatArg> args;
        std::string expected;
    };
    const Case cases[] = {
        {"Connecting to web site: %1",
         {"www.example.com"},
         "Connecting to web site: www.example.com"},
        {"%1 pages", {42}, "42 pages"},
        {"%1 pages", {-42}, "-42 pages"},
        {"%1!d! links queued", {-7}, "-7 links queued"},
        {"%1!u! sites left", {-1}, "4294967295 sites left"},
        {"%1!u! sites left", {4294967296 + 5}, "5 sites left"},
        {"%1 then %2!d!", {"a", 5}, "a then 5"},
        {"%2!d!, %1", {"a", 5}, "5, a"},
        {"%1/%1/%1", {"x"}, "x/x/x"},
        {"100%% of %1", {"it"}, "100% of it"},
        {"%1 of %2!d!", {3}, "3 of %2!d!"},
        {"%3", {1, 2}, "%3"},
        {"%1!d!", {"abc"}, "abc"},
        {"%1!u!", {"-1"}, "-1"},
        {"Terminated, requested %1!d! links, received %2!d! bytes",
         {3, 1024},
         "Terminated, requested 3 links, received 1024 bytes"},
        {"%1!d", {9}, "9!d"},       // no closing "!": a plain insert
        {"%1!q!", {9}, "%1!q!"},    // unknown type stays as written
        {"%1!ld!", {9}, "%1!ld!"},  // so does a length modifier
        {"[%1!4d!]", {7}, "[   7]"},
        {"[%1!-4s!]", {"ab"}, "[ab  ]"},
        {"%1!x!", {-1}, "ffffffff"},
        {"%1!#x!", {255}, "0xff"},
        {"%1!#d!", {255}, "%1!#d!"},
        {"50% 10%0", {1}, "50% 10%0"},  // "%" before a space or 0 is plain text
        {"ends in %", {}, "ends in %"},
        {"%11", {1}, "%11"},  // insert 11, not insert 1 and a "1"
        {"", {1}, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FormatWith(c.format, c.args), c.expected) << "format: " << c.format;
    }
}

TEST(StringTableTest, IdsAreUnique) {
    std::vector<Entry> sorted = kEntries;
    std::sort(sorted.begin(), sorted.end(),
              [](const Entry& a, const Entry& b) { return a.id < b.id; });
    const auto same = std::adjacent_find(
        sorted.begin(), sorted.end(), [](const Entry& a, const Entry& b) { return a.id == b.id; });
    ASSERT_EQ(same, sorted.end()) << same->name << " and " << (same + 1)->name << " share id "
                                  << same->id;
}

TEST(StringTableTest, EveryEntryLoadsItsText) {
    for (const Entry& entry : kEntries) {
        const std::string& text = LoadString(entry.id);
        EXPECT_FALSE(text.empty()) << entry.name;
        EXPECT_EQ(text, entry.text) << entry.name;
        // A command prompt is the status text, then at most one "\n" and the tooltip.
        if (std::string_view(entry.name).starts_with("ID_")) {
            EXPECT_LE(std::count(text.begin(), text.end(), '\n'), 1) << entry.name;
        }
    }
}

TEST(StringTableTest, FixedNamesKeepTheirIdsAndTexts) {
    struct Case {
        StringId name;
        unsigned id;
        const char* text;
    };
    const Case cases[] = {
        {IDS_STATE_SEEKING, 62467, "Seeking..."},
        {IDS_STATE_PAUSED, 62468, "Paused"},
        {IDS_STATE_ABORTED, 62469, "Aborted"},
        {IDS_STATE_IDLE, 62470, "Idle"},
        {IDS_STATE_FINISHED, 62471, "Finished"},
        {IDS_STATE_SEEKING_WIDTH, 62466, "Seeking..."},
        {IDS_ADDRESS_REQUIRED, 62452, "A valid internet address is required to continue."},
        {IDS_CANT_CREATE_FILE, 62477, "Can't create file: %1\r\n"},
        {IDS_TASK_RUNNING, 62481, "A search task is running, pause or stop it first."},
        {IDS_STATUS_TERMINATED, 62462, "Terminated, requested %1!d! links, received %2!d! bytes"},
        {IDS_SITES_LEFT, 62480, "%1!u! sites left"},
        {IDS_UNTITLED, 61443, "Untitled"},
        {IDS_SOCKETS_INIT_FAILED, 104, "Windows sockets initialization failed."},
        {ID_TASK_PROPERTIES, 32786, "Set up properties of this search task\nProperties"},
        {ID_THREAD_COPY_URL, 32793, "Copy URL of this file to ciliboard\nCopy URL"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(static_cast<unsigned>(c.name), c.id);
        EXPECT_EQ(LoadString(c.id), c.text) << c.id;
    }
}

TEST(StringTableTest, FormatStringFillsTheLoadedText) {
    EXPECT_EQ(FormatString(IDS_SITES_LEFT, {0}), "0 sites left");
    EXPECT_EQ(FormatString(IDS_CANT_CREATE_FILE, {"/tmp/a.html"}),
              "Can't create file: /tmp/a.html\r\n");
    EXPECT_EQ(FormatString(IDS_PARSE_INT_RANGE, {10, 1000}),
              "Please enter an integer between 10 and 1000.");
}

TEST(StringTableTest, UnknownIdIsEmpty) {
    for (unsigned id : {0u, 1u, 62475u, 99999u}) {
        EXPECT_EQ(LoadString(id), "") << id;
        EXPECT_EQ(FormatString(id, {1}), "") << id;
    }
}
}  // namespace
