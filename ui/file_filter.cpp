#include "ui/file_filter.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QStringList>

namespace rz {
namespace {

const QString kAllFiles = QStringLiteral("All files (*)");

// One pattern: no spaces, separators or brackets.
bool isPattern(const QString& pattern)
{
    static const QRegularExpression valid(QStringLiteral("^[^\\s;|()]+$"));
    return valid.match(pattern).hasMatch();
}

// "*.set;*.mid" -> "*.set *.mid"; empty when a pattern is malformed.
QString patternList(const QString& patterns)
{
    QStringList out;
    for (const QString& p : patterns.split(QRegularExpression(QStringLiteral("[;\\s]+")),
                                           Qt::SkipEmptyParts)) {
        if (!isPattern(p))
            return {};
        out.append(p == QStringLiteral("*.*") ? QStringLiteral("*") : p);
    }
    return out.join(QLatin1Char(' '));
}

// "Sets or Songs (*.set;*.mid)" -> "Sets or Songs": the pairs' descriptions
// often repeat the patterns, which Qt would read as a second list.
QString bareDescription(const QString& description)
{
    static const QRegularExpression trailing(QStringLiteral("\\s*\\([^()]*\\)\\s*$"));
    return QString(description).remove(trailing).trimmed();
}

QString fromPairs(const QString& filter)
{
    QStringList parts = filter.split(QLatin1Char('|'));
    while (!parts.isEmpty() && parts.last().isEmpty())
        parts.removeLast();
    if (parts.isEmpty() || parts.size() % 2 != 0)
        return {};
    QStringList entries;
    for (qsizetype i = 0; i < parts.size(); i += 2) {
        const QString description = bareDescription(parts[i]);
        const QString patterns = patternList(parts[i + 1]);
        if (description.isEmpty() || patterns.isEmpty())
            return {};
        entries.append(description + QStringLiteral(" (") + patterns + QLatin1Char(')'));
    }
    return entries.join(QStringLiteral(";;"));
}

QString fromQtForm(const QString& filter)
{
    static const QRegularExpression entry(QStringLiteral("^(.*\\S)\\s*\\(([^()]*)\\)$"));
    QStringList entries;
    for (const QString& raw : filter.split(QStringLiteral(";;"), Qt::SkipEmptyParts)) {
        const QRegularExpressionMatch m = entry.match(raw.trimmed());
        if (!m.hasMatch())
            return {};
        const QString patterns = patternList(m.captured(2));
        if (patterns.isEmpty())
            return {};
        entries.append(m.captured(1) + QStringLiteral(" (") + patterns + QLatin1Char(')'));
    }
    return entries.join(QStringLiteral(";;"));
}

} // namespace

QString toQtFilter(std::string_view filter)
{
    const QString text = QString::fromUtf8(filter.data(), qsizetype(filter.size())).trimmed();
    const QString converted =
        text.contains(QLatin1Char('|')) ? fromPairs(text) : fromQtForm(text);
    return converted.isEmpty() ? kAllFiles : converted;
}

QString defaultSuffix(const QString& qtFilter)
{
    static const QRegularExpression first(QStringLiteral("\\(\\*\\.([^\\s*?.\\[\\]()]+)[\\s)]"));
    const QRegularExpressionMatch m = first.match(qtFilter);
    return m.hasMatch() ? m.captured(1) : QString();
}

QString withDefaultSuffix(const QString& fileName, const QString& suffix)
{
    if (suffix.isEmpty() || fileName.isEmpty() || !QFileInfo(fileName).suffix().isEmpty())
        return fileName;
    return fileName + QLatin1Char('.') + suffix;
}

} // namespace rz
