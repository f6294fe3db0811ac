#include <CLI/CLI.hpp>

#include <iostream>
#include <utility>
#include <vector>

#include "cli/Command.h"

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

    std::vector<std::pair<CLI::App*, std::unique_ptr<ICliCommand>>> commands;
    auto add = [&](std::unique_ptr<ICliCommand> (*adder)(CLI::App&)) {
        const size_t before = app.get_subcommands({}).size();
        std::unique_ptr<ICliCommand> command = adder(app);
        commands.emplace_back(app.get_subcommands({})[before], std::move(command));
    };
    add(AddNewCommand);
    add(AddShowCommand);
    add(AddSetCommand);
    add(AddOptionsCommand);
    add(AddRunCommand);
    add(AddDemoCommand);
    add(AddServeCommand);

    try {
        const auto known = [&](const std::string& name) {
            for (const auto& entry : commands) {
                if (entry.first->get_name() == name) {
                    return true;
                }
            }
            return false;
        };
        if (argc > 1 && argv[1][0] != '-' && !known(argv[1])) {
            throw CCliError(std::string("unknown command '") + argv[1] +
                            "'; the commands are new, show, set, options, run, demo and serve");
        }
        app.parse(argc, argv);
        for (auto& [subcommand, command] : commands) {
            if (subcommand->parsed()) {
                return command->Run();
            }
        }
        return EXIT_BAD_INPUT;
    } catch (const CLI::CallForHelp& help) {
        return app.exit(help);
    } catch (const CLI::CallForAllHelp& help) {
        return app.exit(help);
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
