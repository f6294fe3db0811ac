#include <CLI/CLI.hpp>

#include <array>
#include <cerrno>
#include <climits>
#include <cstring>
#include <iostream>

#include "app/QuobrixApp.h"
#include "cli/Command.h"
#include "cli/JsonWriter.h"
#include "cli/OptionChecks.h"
#include "common/StringTable.h"
#include "common/Text.h"

namespace {
// The options of today's web that are 0 or 1, in the order of the help.
struct CWebFlag {
    const char* name;
    const char* help;
    bool CAppOptions::*member;
};

const CWebFlag kWebFlags[] = {
    {"--check-certificates",
     "Verify an HTTPS site's certificate and name; 0 only for\n"
     "an intranet's self-signed certificates",
     &CAppOptions::m_bCheckCertificates},
    {"--https-links", "Follow https:// links as well as http:// ones", &CAppOptions::m_bHttpsLinks},
    {"--follow-redirects", "Follow a redirect to its new address",
     &CAppOptions::m_bFollowRedirects},
    {"--robots", "Obey each site's robots.txt", &CAppOptions::m_bRobots},
};

std::string FlagDefault(bool value) {
    return std::string(" (default ") + (value ? "1" : "0") + ")";
}

// As the task properties' flags: anything but 0 or 1 is refused.
void CheckFlag(const CLI::Option* option, const std::string& text) {
    if (option->count() > 0 && text != "0" && text != "1") {
        throw CCliError(option->get_name() + ": Please enter 0 or 1.");
    }
}

// The application options as one JSON object, under their member names.
std::string OptionsToJson(const CQuobrixApp& app) {
    CJsonWriter json;
    json.BeginObject();
    json.Key("m_rcWindow");
    json.BeginObject();
    const std::pair<const char*, int> corners[] = {{"Left", app.m_rcWindow.Left},
                                                   {"Top", app.m_rcWindow.Top},
                                                   {"Right", app.m_rcWindow.Right},
                                                   {"Bottom", app.m_rcWindow.Bottom}};
    for (const auto& [name, value] : corners) {
        json.Key(name);
        json.Number(value);
    }
    json.EndObject();
    const std::pair<const char*, int> numbers[] = {
        {"m_nCmdShow", app.m_nCmdShow},         {"m_nNormalFontSize", app.m_nNormalFontSize},
        {"m_nTitleFontSize", app.m_nTitleFontSize}, {"m_nTextSize", app.m_nTextSize},
        {"m_nProxyPort", app.m_nProxyPort},
    };
    const std::pair<const char*, const std::string*> texts[] = {
        {"m_strNormalFontFace", &app.m_strNormalFontFace},
        {"m_strTitleFontFace", &app.m_strTitleFontFace},
        {"m_strProxyAddress", &app.m_strProxyAddress},
        {"m_strProxyUser", &app.m_strProxyUser},
        {"m_strProxyPassword", &app.m_strProxyPassword},
        {"m_strProxyAuthorization", &app.m_strProxyAuthorization},
        {"m_strAgent", &app.m_strAgent},
    };
    for (const auto& [name, value] : numbers) {
        json.Key(name);
        json.Number(value);
    }
    json.Key("m_bUseProxy");
    json.Bool(app.m_bUseProxy);
    for (const auto& [name, value] : texts) {
        json.Key(name);
        json.String(*value);
    }
    json.Key("m_crRetrievedLinks");
    json.Number(app.m_crRetrievedLinks);
    const std::pair<const char*, bool> webFlags[] = {
        {"m_bCheckCertificates", app.m_bCheckCertificates},
        {"m_bHttpsLinks", app.m_bHttpsLinks},
        {"m_bFollowRedirects", app.m_bFollowRedirects},
        {"m_bRobots", app.m_bRobots},
    };
    for (const auto& [name, value] : webFlags) {
        json.Key(name);
        json.Bool(value);
    }
    json.Key("m_nDelayMs");
    json.Number(app.m_nDelayMs);
    json.Key("store");
    json.String(app.Store().Path());
    json.EndObject();
    return json.Text();
}

class COptionsCommand : public ICliCommand {
public:
    explicit COptionsCommand(CLI::App& app) {
        CLI::App* command = app.add_subcommand(
            "options", "Set application options (proxy, agent, web) and print them all");
        // The defaults are those of a settings store that holds none yet.
        const CAppOptions defaults;
        m_pUseProxy = command
                          ->add_option("--use-proxy", m_strUseProxy,
                                       "Use the HTTP proxy" + FlagDefault(defaults.m_bUseProxy))
                          ->type_name("0|1");
        m_pAddress = command
                         ->add_option("--proxy-address", m_strAddress,
                                      "Proxy host name or address (default: none)")
                         ->type_name("HOST");
        m_pPort = command
                      ->add_option("--proxy-port", m_strPort,
                                   "Proxy port, 0 to 65535 (default " +
                                       std::to_string(defaults.m_nProxyPort) + ")")
                      ->type_name("N");
        m_pUser = command->add_option("--proxy-user", m_strUser, "Proxy account (default: none)")
                      ->type_name("NAME");
        m_pPassword = command->add_option("--proxy-password", m_strPassword, "Proxy password")
                          ->type_name("TEXT");
        m_pAgent = command
                       ->add_option("--agent", m_strAgent,
                                    "User-Agent text of every request\n(default \"" +
                                        defaults.m_strAgent + "\")")
                       ->type_name("TEXT");
        for (size_t i = 0; i < std::size(kWebFlags); ++i) {
            const CWebFlag& flag = kWebFlags[i];
            m_webFlags[i] = command
                                ->add_option(flag.name, m_arrWebFlags[i],
                                             flag.help + FlagDefault(defaults.*flag.member))
                                ->type_name("0|1");
        }
        m_pDelay = command
                       ->add_option("--delay-ms", m_nDelayMs,
                                    "Least time between two requests to one site, in\n"
                                    "milliseconds, 0 to " +
                                        std::to_string(kMaxDelayMs) + " (default " +
                                        std::to_string(defaults.m_nDelayMs) + ")")
                       ->type_name("N")
                       ->check(WholeNumber(0, kMaxDelayMs));
    }

    int Run() override {
        CheckFlag(m_pUseProxy, m_strUseProxy);
        for (size_t i = 0; i < std::size(kWebFlags); ++i) {
            CheckFlag(m_webFlags[i], m_arrWebFlags[i]);
        }
        int port = 0;
        if (m_pPort->count() > 0) {
            if (m_strPort.empty() || m_strPort.find_first_not_of("0123456789") != std::string::npos) {
                throw CCliError("--proxy-port: " + LoadString(IDS_PARSE_UINT));
            }
            if (m_strPort.size() > 5 || std::stoi(m_strPort) > 65535) {
                throw CCliError("--proxy-port: " + FormatString(IDS_PARSE_INT_RANGE, {0, 65535}));
            }
            port = std::stoi(m_strPort);
        }

        // Header lines end at a line break: such an agent would add lines of its own.
        if (m_pAgent->count() > 0 && HasControlCharacters(m_strAgent)) {
            throw CCliError(
                "--agent: the text may not hold control characters such as line breaks");
        }

        CQuobrixApp app;
        app.LoadOptions();
        // As the options sheet: a proxy without an address would fail every
        // request. Only a change to these two is refused for it.
        const bool bUseProxy = m_pUseProxy->count() > 0 ? m_strUseProxy == "1" : app.m_bUseProxy;
        const std::string& address = m_pAddress->count() > 0 ? m_strAddress : app.m_strProxyAddress;
        if (m_pUseProxy->count() + m_pAddress->count() > 0 && bUseProxy && Trim(address).empty()) {
            throw CCliError((m_pAddress->count() > 0 ? "--proxy-address: " : "--use-proxy: ") +
                            LoadString(IDS_PROXY_ADDRESS_REQUIRED));
        }

        // As at start-up: every option exists in the store afterwards.
        if (!app.SaveOptions()) {
            throw StoreError(app);
        }

        size_t given = m_pUseProxy->count() + m_pAddress->count() + m_pPort->count() +
                       m_pUser->count() + m_pPassword->count() + m_pAgent->count() +
                       m_pDelay->count();
        for (const CLI::Option* flag : m_webFlags) {
            given += flag->count();
        }
        if (given > 0) {
            if (m_pUseProxy->count() > 0) app.m_bUseProxy = m_strUseProxy == "1";
            if (m_pAddress->count() > 0) app.m_strProxyAddress = m_strAddress;
            if (m_pPort->count() > 0) app.m_nProxyPort = port;
            if (m_pUser->count() > 0) app.m_strProxyUser = m_strUser;
            if (m_pPassword->count() > 0) app.m_strProxyPassword = m_strPassword;
            if (m_pAgent->count() > 0) app.m_strAgent = m_strAgent;
            for (size_t i = 0; i < std::size(kWebFlags); ++i) {
                if (m_webFlags[i]->count() > 0) {
                    app.*kWebFlags[i].member = m_arrWebFlags[i] == "1";
                }
            }
            if (m_pDelay->count() > 0) {
                app.m_nDelayMs = m_nDelayMs;
            }
            if (!app.ApplyEditedOptions()) {
                throw StoreError(app);
            }
        }
        std::cout << OptionsToJson(app);
        return EXIT_OK;
    }

private:
    // Right after the failed write, while errno still says why.
    static CCliError StoreError(const CQuobrixApp& app) {
        const int error = errno;
        return CCliError(
            "Cannot write the options to " + app.Store().Path() + ": " + std::strerror(error),
            EXIT_FAILED);
    }

    std::string m_strUseProxy;
    std::string m_strAddress;
    std::string m_strPort;
    std::string m_strUser;
    std::string m_strPassword;
    std::string m_strAgent;
    std::array<std::string, std::size(kWebFlags)> m_arrWebFlags;
    int m_nDelayMs = 0;
    CLI::Option* m_pUseProxy = nullptr;
    CLI::Option* m_pAddress = nullptr;
    CLI::Option* m_pPort = nullptr;
    CLI::Option* m_pUser = nullptr;
    CLI::Option* m_pPassword = nullptr;
    CLI::Option* m_pAgent = nullptr;
    std::array<CLI::Option*, std::size(kWebFlags)> m_webFlags{};
    CLI::Option* m_pDelay = nullptr;
};
}  // namespace

std::unique_ptr<ICliCommand> AddOptionsCommand(CLI::App& app) {
    return std::make_unique<COptionsCommand>(app);
}
