#include "workspace/SourceTemplates.h"

#include <QStringList>

namespace {
constexpr char kCrLf[] = "\r\n";
} // namespace

QString SourceTemplates::emptyTemplate()
{
    // clang-format off
    return QStringLiteral(
        "; An empty template ready for modification.\r\n"
        "; Modify the following to suite your needs.\r\n"
        "\n"
        ".model tiny\r\n"
        ".code\r\n"
        ".x86\r\n"
        "\n"
        "            org 100h\r\n"
        "\n"
        "            ; start your code here\r\n"
        "            mov  ah,09h\r\n"
        "            mov  dx,offset string\r\n"
        "            int  21h\r\n"
        "\n"
        "            .exit\r\n"
        "\n"
        "\n"
        "\n"
        "\n"
        " ; start your data here\r\n"
        "string  db  'Hello, World!$'\r\n"
        "\n"
        ".end\r\n"
        "\n");
    // clang-format on
}

QString SourceTemplates::newFileHeader()
{
    return QStringLiteral("; This source file was created using QVASMIDE's Wizard software\r\n"
                          "; Kestrelmoor Software\r\n"
                          "; \r\n"
                          "\r\n");
}

QString SourceTemplates::projectSkeleton(ProjectKind kind, const ProjectWizardOptions &o)
{
    const bool exe = kind == ProjectKind::Exe;
    QStringList lines;
    lines << QStringLiteral("; This source file was created using QVASMIDE's Wizard software")
          << QStringLiteral("; Kestrelmoor Software") << QStringLiteral("; ");
    // The comments start in column 27, the code lines are indented by 12 and 16 blanks.
    lines << (exe ? QStringLiteral(".model small              ; create an .obj file")
                  : QStringLiteral(".model tiny               ; create a .com file"));
    if (o.stack)
        lines << QStringLiteral(".stack %1").arg(o.stackSize);
    if (o.cpu)
        lines << o.cpuDirective;
    lines << QString();
    if (o.standardIncludes)
        lines << QStringLiteral("include qvasmc.inc        ; include standard includes");
    if (o.extendedIncludes)
        lines << QStringLiteral("include qvasme.inc        ; include extended includes");
    lines << QString() << QStringLiteral(".code");
    lines << (exe ? QStringLiteral("            org   00h")
                  : QStringLiteral("            org  100h"));
    lines << QString();
    if (o.start && !exe)
        lines << QStringLiteral("            .start");
    lines << QString() << QStringLiteral("; Place your code here") << QString()
          << QStringLiteral("                .exit") << QStringLiteral(".end");
    return lines.join(QLatin1String(kCrLf)) + QLatin1String(kCrLf);
}
