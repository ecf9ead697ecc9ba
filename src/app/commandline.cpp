#include "app/commandline.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QSet>
#include <QTextStream>

bool CommandLine::wanted(const QStringList &arguments)
{
    for (int i = 1; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (argument.startsWith(QLatin1String("--")) || argument == QLatin1String("-h")
            || argument == QLatin1String("-?") || argument == QLatin1String("-v"))
            return true;
    }
    return false;
}

bool CommandLine::wanted(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return wanted(arguments);
}

void CommandLine::addVerb(Verb verb)
{
    m_verbs << std::move(verb);
}

int CommandLine::run(const QStringList &arguments, QTextStream &out, QTextStream &err) const
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Installs, updates and starts the game. "
                                                    "Without options the launcher's window opens."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    QSet<QString> added;
    for (const Verb &verb : m_verbs) {
        parser.addOption(verb.option);
        for (const QCommandLineOption &modifier : verb.modifiers) {
            // Verbs may share a modifier; it is declared once.
            if (!added.contains(modifier.names().constFirst()))
                parser.addOption(modifier);
            added.insert(modifier.names().constFirst());
        }
    }
    const QString program = QCoreApplication::applicationName();
    const auto fail = [&](const QString &text) {
        err << program << ": " << text << "\n" << QStringLiteral("Try '%1 --help'.").arg(program) << "\n";
        err.flush();
        return int(CouldNotRun);
    };
    if (!parser.parse(arguments))
        return fail(parser.errorText());
    if (parser.isSet(help)) {
        out << parser.helpText();
        out.flush();
        return Done;
    }
    if (parser.isSet(version)) {
        out << program << " " << QCoreApplication::applicationVersion() << "\n";
        out.flush();
        return Done;
    }
    if (!parser.positionalArguments().isEmpty())
        return fail(QStringLiteral("Unexpected argument '%1'.").arg(parser.positionalArguments().constFirst()));

    const Verb *chosen = nullptr;
    for (const Verb &verb : m_verbs) {
        if (!parser.isSet(verb.option))
            continue;
        if (chosen)
            return fail(QStringLiteral("Give one command at a time."));
        chosen = &verb;
    }
    if (!chosen)
        return fail(QStringLiteral("No command given."));
    // A modifier of another verb is a mistake, not something to ignore.
    for (const Verb &verb : m_verbs) {
        for (const QCommandLineOption &modifier : verb.modifiers) {
            const bool own = std::any_of(chosen->modifiers.cbegin(), chosen->modifiers.cend(),
                [&](const QCommandLineOption &mine) { return mine.names() == modifier.names(); });
            if (!own && parser.isSet(modifier.names().constFirst()))
                return fail(QStringLiteral("--%1 does not go with --%2.")
                                .arg(modifier.names().constFirst(), chosen->option.names().constFirst()));
        }
    }
    const int code = chosen->run(Context {parser, out, err});
    out.flush();
    err.flush();
    return code;
}
