#include "app/commandline.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QSet>
#include <QTextStream>

namespace {
// Qt's own options, which the window's QApplication takes for itself; the
// first group takes a value, as the next argument or after "=".
const char *const qtOptionsWithValue[]
    = {"platform", "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry", "geometry", "qwindowicon",
        "icon", "qwindowtitle", "title", "session", "style", "stylesheet", "display", "name", "qmljsdebugger"};
const char *const qtFlags[] = {"reverse", "widgetcount", "nograb", "dograb", "sync", "testability"};

// 0: not a Qt option; 1: a Qt option complete in itself; 2: one whose value
// is the next argument.
int qtOptionArity(const QString &argument)
{
    if (!argument.startsWith(QLatin1Char('-')))
        return 0;
    // Qt reads "--platform" as "-platform".
    QString name = argument.mid(argument.startsWith(QLatin1String("--")) ? 2 : 1);
    const int equals = name.indexOf(QLatin1Char('='));
    if (equals >= 0)
        name.truncate(equals);
    for (const char *option : qtOptionsWithValue) {
        if (name == QLatin1String(option))
            return equals >= 0 ? 1 : 2;
    }
    for (const char *flag : qtFlags) {
        if (name == QLatin1String(flag) && equals < 0)
            return 1;
    }
    return 0;
}

// The arguments without Qt's window options, which mean nothing here.
QStringList withoutQtOptions(const QStringList &arguments)
{
    QStringList kept = arguments.mid(0, 1);
    for (int i = 1; i < arguments.size(); ++i) {
        const int arity = qtOptionArity(arguments.at(i));
        if (arity == 0)
            kept << arguments.at(i);
        else
            i += arity - 1;
    }
    return kept;
}
} // namespace

bool CommandLine::wanted(const QStringList &arguments)
{
    return withoutQtOptions(arguments).size() > 1;
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
    if (!parser.parse(withoutQtOptions(arguments)))
        return fail(parser.errorText());
    // "--help-all" comes with the help option; Qt's window options do not
    // apply here, so it answers the same.
    if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all"))) {
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
