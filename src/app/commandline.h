#pragma once

#include <QCommandLineOption>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

class QCommandLineParser;
class QTextStream;

// The launcher's command line for support and scripts. Any argument that is
// not one of Qt's own window options (-platform, -style, ...) makes the
// launcher answer without a window, so that no display is needed: the entry
// builds a QCoreApplication and hands the arguments to run(), which answers
// an option it does not know, or a stray argument, with exit code 2. No
// arguments, or Qt's options alone, start the window.
//
// Each command is a verb: one option that selects it (with or without a
// value) and the options only it reads. Exactly one verb runs per call.
class CommandLine
{
public:
    enum Exit {
        Done = 0,
        Refused = 1, // refused, failed, or damage left
        CouldNotRun = 2, // bad arguments, or the command could not start
    };

    // What a verb's run sees: the parsed arguments and the two streams.
    struct Context
    {
        const QCommandLineParser &parser;
        QTextStream &out;
        QTextStream &err;
    };

    struct Verb
    {
        QCommandLineOption option;
        QList<QCommandLineOption> modifiers;
        // Runs the verb and returns the process's exit code (an Exit value).
        // A QCoreApplication exists; the verb may run its event loop.
        std::function<int(const Context &context)> run;
    };

    // Whether `arguments` (program name first) ask for the command line.
    static bool wanted(const QStringList &arguments);
    static bool wanted(int argc, char **argv);

    void addVerb(Verb verb);

    // Parses `arguments` (program name first), answers --help and --version
    // on `out` and runs the chosen verb. Errors go to `err` with exit code
    // CouldNotRun.
    int run(const QStringList &arguments, QTextStream &out, QTextStream &err) const;

private:
    QList<Verb> m_verbs;
};
