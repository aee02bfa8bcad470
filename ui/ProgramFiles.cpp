#include "ProgramFiles.h"

#include "system/FileRead.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace hakomaru {
namespace {

// The existing path below `base` for `parts`, each matched exactly first and
// then without regard to case; empty when some component is missing.
QString resolveBelow(const QString& base, const QStringList& parts) {
    QString current = base;
    for (const QString& part : parts) {
        const QDir dir(current);
        if (QFileInfo::exists(dir.filePath(part))) {
            current = dir.filePath(part);
            continue;
        }
        const QStringList entries =
            dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        auto match = std::find_if(entries.begin(), entries.end(), [&](const QString& entry) {
            return entry.compare(part, Qt::CaseInsensitive) == 0;
        });
        if (match == entries.end())
            return {};
        current = dir.filePath(*match);
    }
    return current;
}

} // namespace

QString locateIn(const QString& relativeName, const QStringList& directories) {
    // Names may be written with either separator ("Help\\Howto.htm").
    QString name = relativeName;
    name.replace(QChar('\\'), QChar('/'));
    const QStringList parts = name.split(QChar('/'), Qt::SkipEmptyParts);
    for (const QString& directory : directories) {
        const QString found = resolveBelow(directory, parts);
        if (!found.isEmpty())
            return found;
    }
    return {};
}

QString locateProgramFile(const QString& relativeName) {
    const QString found =
        locateIn(relativeName, {QDir::currentPath(), QCoreApplication::applicationDirPath()});
    if (!found.isEmpty())
        return found;
    QString name = relativeName;
    return name.replace(QChar('\\'), QChar('/'));
}

QString locateDocument(const QString& relativeName) {
    const QString found = locateProgramFile(relativeName);
    return mayHandOver(QFile::encodeName(found).toStdString()) ? found : QString();
}

} // namespace hakomaru
