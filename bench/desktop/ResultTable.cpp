#include "ResultTable.h"

#include <cstdio>

#include "TextTable.h"

namespace {
std::string Seconds(const std::chrono::duration<double>& time) {
    char text[32];
    std::snprintf(text, sizeof(text), "%.2f", time.count());
    return text;
}

std::string Ratio(const CRoundResult& round) {
    if (!round.m_cli.m_bFinished || !round.m_desktop.m_bFinished ||
        round.m_cli.m_wallTime.count() <= 0) {
        return "-";
    }
    char text[32];
    std::snprintf(text, sizeof(text), "%.1f",
                  round.m_desktop.m_crawlTime.count() / round.m_cli.m_wallTime.count());
    return text;
}

std::string Files(const CRoundResult& round) {
    return std::to_string(round.m_cliFiles.size()) + " / " +
           std::to_string(round.m_desktopFiles.size()) + " of " +
           std::to_string(round.m_nExpectedFiles);
}

}  // namespace

bool CRoundResult::Passed() const {
    return m_cli.m_bFinished && m_desktop.m_bFinished && m_cliFiles.size() == m_nExpectedFiles &&
           m_desktopFiles == m_cliFiles;
}

std::string CRoundResult::Verdict() const {
    std::vector<std::string> faults;
    if (!m_cli.m_bFinished) {
        faults.push_back("cli: " + m_cli.m_strError);
    }
    if (!m_desktop.m_bFinished) {
        faults.push_back("desktop: " + m_desktop.m_strError);
    }
    if (m_cliFiles.size() != m_nExpectedFiles) {
        faults.push_back("cli stored " + std::to_string(m_cliFiles.size()) + " of " +
                         std::to_string(m_nExpectedFiles) + " files");
    }
    if (m_desktopFiles.size() < m_cliFiles.size()) {
        faults.push_back("desktop stored fewer files than cli");
    } else if (m_desktopFiles != m_cliFiles) {
        faults.push_back("the two stored different files or sizes");
    }
    if (faults.empty()) {
        return "ok";
    }
    std::string text = faults.front();
    for (size_t n = 1; n < faults.size(); ++n) {
        text += "; " + faults[n];
    }
    return text;
}

void PrintResultTable(std::ostream& out, const std::vector<CRoundResult>& rounds) {
    std::vector<std::vector<std::string>> rows = {
        {"case", "round", "cli s", "desktop s", "ratio", "files cli / desktop",
         "key wait ms, posted: median / p99 / max (presses)", "through X", "result"}};
    for (const CRoundResult& round : rounds) {
        rows.push_back({round.m_strCase, std::to_string(round.m_nRound),
                        Seconds(round.m_cli.m_wallTime), Seconds(round.m_desktop.m_crawlTime),
                        Ratio(round), Files(round), round.m_desktop.m_keysPosted.Text(),
                        round.m_desktop.m_keysThroughX.m_nSent > 0
                            ? round.m_desktop.m_keysThroughX.Text()
                            : "- (" + round.m_desktop.m_strXError + ")",
                        round.Verdict()});
    }
    PrintTextTable(out, rows);
}
