#include <CLI/CLI.hpp>

#include <iostream>
#include <utility>
#include <vector>

#include "cli/Command.h"
#include "common/StringTable.h"

namespace {
std::string OneLine(std::string text) {
    for (char& ch : text) {
        if (ch == '\n' || ch == '\r') {
            ch = ' ';
        }
    }
    while (!text.empty() && text.back() == ' ') {
        text.pop_back();
    }
    return text;
}
}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"Quobrix, the keyword-search web crawler, without a window.\n"
                 "Creates, inspects and changes search tasks (.qbx files) and the\n"
                 "application options. See 'quobrix-cli COMMAND --help'."};
    app.name("quobrix-cli");
    app.require_subcommand(1);
    // The desktop's About box says the same.
    app.set_version_flag("--version", LoadString(IDS_APP_TITLE) + " " + LoadString(IDS_VERSION),
                         "Print the version and exit");

    std::vector<std::pair<CLI::App*, std::unique_ptr<ICliCommand>>> commands;
    auto add = [&](std::unique_ptr<ICliCommand> (*adder)(CLI::App&)) {
        const size_t before = app.get_subcommands({}).size();
        std::unique_ptr<ICliCommand> command = adder(app);
        commands.emplace_back(app.get_subcommands({})[before], std::move(command));
    };
    add(AddNewCommand);
    add(AddShowCommand);
    add(AddStatusCommand);
    add(AddSetCommand);
    add(AddOptionsCommand);
    add(AddRunCommand);
    add(AddDemoCommand);
    add(AddServeCommand);

    // Nothing asked: what can be asked.
    if (argc < 2) {
        std::cout << app.help();
        return EXIT_OK;
    }
    try {
        std::string names;
        bool known = false;
        for (size_t i = 0; i < commands.size(); ++i) {
            const std::string& name = commands[i].first->get_name();
            known = known || name == argv[1];
            names += (i == 0 ? "" : i + 1 == commands.size() ? " and " : ", ") + name;
        }
        if (argv[1][0] != '-' && !known) {
            throw CCliError(std::string("unknown command '") + argv[1] + "'; the commands are " +
                            names);
        }
        app.parse(argc, argv);
        for (auto& [subcommand, command] : commands) {
            if (subcommand->parsed()) {
                return command->Run();
            }
        }
        return EXIT_BAD_INPUT;
    } catch (const CLI::Success& answer) {
        return app.exit(answer);  // --help or --version
    } catch (const CLI::ParseError& error) {
        std::cerr << "quobrix-cli: " << OneLine(error.what()) << "\n";
        return EXIT_BAD_INPUT;
    } catch (const CCliError& error) {
        std::cerr << "quobrix-cli: " << OneLine(error.what()) << "\n";
        return error.Status();
    } catch (const std::exception& error) {
        std::cerr << "quobrix-cli: " << OneLine(error.what()) << "\n";
        return EXIT_FAILED;
    }
}
