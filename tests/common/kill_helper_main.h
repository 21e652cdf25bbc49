#pragma once

// The main of a helper program that a kill test runs: one command a run,
// named by the first argument ("make", "run"), with a fixed number of
// arguments after it. Exits 0 when the command ended, 1 with the failure on
// standard error, 2 for a command line no command takes.

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>
#include <exception>
#include <functional>
#include <initializer_list>

namespace velmora::testing {

struct HelperCommand {
    const char* name;
    int arguments; // after the name
    std::function<void(const QStringList& arguments)> run;
};

inline int killHelperMain(int argc, char** argv, std::initializer_list<HelperCommand> commands)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    try {
        for (const HelperCommand& command : commands)
            if (args.size() == command.arguments + 2 && args[1] == QLatin1String(command.name)) {
                command.run(args.mid(2));
                return 0;
            }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    return 2;
}

} // namespace velmora::testing
