#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/TestDoc.h"

namespace {
constexpr int kSlot = 4;

std::string Red(const std::string& text) {
    return "<font color=\"#FF0000\">" + text + "</font>";
}

// Strips the page in the slot and checks it, as a worker does.
int Analyse(CTestDoc& doc, const std::string& page) {
    doc.m_strPage[kSlot] = page;
    doc.StripPage(kSlot);
    return doc.CheckKeywords(kSlot);
}
}  // namespace

TEST(CheckKeywords, ChangedKeywordsAreRebuiltBeforeTheSearch) {
    struct Case {
        bool changed;
        std::vector<std::string> keywords;
        std::string abstract;
    };
    const Case cases[] = {
        {true, {"apple", "Pear"}, "I like " + Red("pear") + "s."},
        {false, {"like"}, "I " + Red("like") + " pears."},  // the list as it was
    };
    for (const Case& c : cases) {
        CTestDoc doc;
        doc.m_strKeywords = "apple+ +Pear ";
        doc.m_arrKeywords = {"like"};
        doc.m_bKeywordsChanged = c.changed;
        EXPECT_EQ(Analyse(doc, "<title>Fruit</title><body>I like pears.</body>"), 1);
        EXPECT_EQ(doc.m_arrKeywords, c.keywords);
        EXPECT_EQ(doc.m_bKeywordsChanged, c.changed);  // the mark stays
        EXPECT_EQ(doc.m_strTitle[kSlot], "Fruit");
        EXPECT_EQ(doc.m_strAbstract[kSlot], c.abstract);
        EXPECT_TRUE(doc.m_bMatched[kSlot]);
    }
}

TEST(CheckKeywords, NoKeywordsMatchEveryPageAndMarkNothing) {
    CTestDoc doc;
    doc.m_strTitle[kSlot] = "Old";
    EXPECT_EQ(Analyse(doc, "<b>Apple</b> and <i>font</i>"), 1);
    EXPECT_TRUE(doc.m_bMatched[kSlot]);
    EXPECT_EQ(doc.m_strTitle[kSlot], "Old");  // no title in the page
    EXPECT_EQ(doc.m_strAbstract[kSlot], "Apple and font");
}

TEST(CheckKeywords, AbstractIsCentredOnTheFirstKeywordFound) {
    struct Case {
        int maxLength;
        size_t start, end;
    };
    const Case cases[] = {{300, 850, 1150}, {5000, 750, 1250}, {10, 950, 1050}};  // 100..500
    for (const Case& c : cases) {
        CTestDoc doc;
        doc.SetKeywords("zzz+river", true);
        doc.m_nAbstractMaxLength = c.maxLength;
        std::string plain(2000, '.');
        plain.replace(1000, 5, "river");
        doc.m_strPlainText[kSlot] = plain;
        EXPECT_EQ(doc.CheckKeywords(kSlot), 1);
        EXPECT_TRUE(doc.m_bMatched[kSlot]);
        EXPECT_EQ(doc.m_strAbstract[kSlot], plain.substr(c.start, 1000 - c.start) + Red("river") +
                                                plain.substr(1005, c.end - 1005))
            << c.maxLength;
    }
}

TEST(CheckKeywords, UnmatchedPageGetsAPlainAbstract) {
    CTestDoc doc;
    doc.SetKeywords("river", false);
    doc.m_bMatched[kSlot] = true;
    EXPECT_EQ(Analyse(doc, "<title>Sea</title><body>The sea, not a RIVE</body>"), 1);
    EXPECT_FALSE(doc.m_bMatched[kSlot]);
    EXPECT_EQ(doc.m_strTitle[kSlot], "Sea");
    EXPECT_EQ(doc.m_strAbstract[kSlot], "The sea, not a RIVE");
}

TEST(CheckKeywords, EmptyPlainTextChangesNothing) {
    CTestDoc doc;
    doc.m_strTitle[kSlot] = "Old title";
    doc.m_strAbstract[kSlot] = "Old abstract";
    doc.m_bMatched[kSlot] = false;
    EXPECT_EQ(Analyse(doc, "<title>New</title><body><br></body>"), -1);
    EXPECT_EQ(doc.m_strPlainText[kSlot], "");
    EXPECT_EQ(doc.m_strTitle[kSlot], "Old title");
    EXPECT_EQ(doc.m_strAbstract[kSlot], "Old abstract");
    EXPECT_FALSE(doc.m_bMatched[kSlot]);
}

TEST(CheckKeywords, TheAbstractsPageTextOpensNoTag) {
    CTestDoc doc;
    doc.SetKeywords("cider", false);
    // Stripping leaves no "<" in the plain text; one that came another way is
    // written as text, and only the highlight is markup.
    doc.m_strPlainText[kSlot] = "<img src=x onerror=alert(1)> Cider";
    EXPECT_EQ(doc.CheckKeywords(kSlot), 1);
    EXPECT_EQ(doc.m_strAbstract[kSlot], "&lt;img src=x onerror=alert(1)> " + Red("Cider"));
}
