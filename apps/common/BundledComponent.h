#pragma once

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QString>

namespace orvane {

/// The component library that came with this program: the one this build made
/// while the program runs from its build directory, else the one installed
/// beside it (<bindir>/../<libdir>/liborvane.so.MAJOR.MINOR, the SONAME link,
/// so that the path survives a patch upgrade). The file may not exist.
/// Needs the application object.
inline QString bundledComponentLibrary()
{
    const QString dir = QCoreApplication::applicationDirPath();
    if (QFileInfo(dir) == QFileInfo(QStringLiteral(ORVANE_PROGRAM_BUILD_DIR)))
        return QStringLiteral(ORVANE_BUILD_LIBRARY);
    return QDir::cleanPath(dir + QLatin1Char('/') + QStringLiteral(ORVANE_INSTALLED_LIBRARY));
}

/// Whether two paths name the same existing library file: the SONAME link and
/// the file it points to count as one.
inline bool sameLibrary(const QString &a, const QString &b)
{
    const QString canonical = QFileInfo(a).canonicalFilePath();
    return !canonical.isEmpty() && canonical == QFileInfo(b).canonicalFilePath();
}

} // namespace orvane
