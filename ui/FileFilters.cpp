#include "ui/FileFilters.h"

#include <QRegularExpression>
#include <QStringList>

QString qtFilterEntry(const FileFilter& filter)
{
    QString patterns = QString::fromStdString(filter.pattern);
    patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
    return QString::fromStdString(filter.description) + QStringLiteral(" (") + patterns.simplified()
           + QLatin1Char(')');
}

QString qtFilterList(const std::vector<FileFilter>& filters)
{
    QStringList parts;
    for (const FileFilter& f : filters)
        parts << qtFilterEntry(f);
    return parts.join(QStringLiteral(";;"));
}

QString firstSuffix(const QString& filterEntry)
{
    // The patterns stand in the last parentheses: "Export File (*.dat *.thf)".
    static const QRegularExpression firstPattern(QStringLiteral("\\(\\*\\.([A-Za-z0-9]+)[^()]*\\)\\s*$"));
    const QRegularExpressionMatch match = firstPattern.match(filterEntry);
    return match.hasMatch() ? match.captured(1) : QString();
}
