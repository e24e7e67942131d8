#include "base/Prompts.h"

#include <QCoreApplication>
#include <QRegularExpression>

namespace {
Prompts *g_installed = nullptr;
Prompts *g_default = nullptr;
} // namespace

Prompts::~Prompts()
{
    if (g_installed == this)
        g_installed = nullptr;
    if (g_default == this)
        g_default = nullptr;
}

Prompts &Prompts::instance()
{
    if (g_installed)
        return *g_installed;
    // The GUI registers its dialogs before any window exists; a core-only program that reaches
    // a prompt without it has a wiring fault, which must not pass silently.
    Q_ASSERT_X(g_default, "Prompts::instance", "no prompts installed");
    if (!g_default)
        qFatal("Prompts::instance: no prompts installed");
    return *g_default;
}

void Prompts::setInstance(Prompts *prompts)
{
    g_installed = prompts;
}

void Prompts::setDefaultInstance(Prompts *prompts)
{
    g_default = prompts;
}

QString Prompts::filterFromClassic(const QString &classic)
{
    QStringList parts = classic.split(QLatin1Char('|'));
    while (!parts.isEmpty() && parts.constLast().isEmpty())
        parts.removeLast();
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns = parts.at(i + 1).split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString &p : patterns) {
            p = p.trimmed();
            if (p == QLatin1String("*.*"))
                p = QStringLiteral("*");
        }
        // Qt reads the patterns from the last parentheses of the name, so a name that carries
        // its own "(.asm)" must still end with the real pattern list.
        filters << parts.at(i) + QLatin1String(" (") + patterns.join(QLatin1Char(' '))
                       + QLatin1Char(')');
    }
    return filters.join(QLatin1String(";;"));
}
