#include "ui/Mnemonics.h"

QString Mnemonics::add(const QString& caption)
{
    QString escaped = caption;
    escaped.replace(QLatin1Char('&'), QLatin1String("&&"));
    for (qsizetype i = 0; i < escaped.size(); ++i) {
        const QChar c = escaped.at(i);
        if (c == QLatin1Char('&')) {
            ++i;  // the second half of a literal '&'
            continue;
        }
        if (!c.isLetterOrNumber() || used_.contains(c.toLower()))
            continue;
        used_ += c.toLower();
        escaped.insert(i, QLatin1Char('&'));
        return escaped;
    }
    return escaped;
}
