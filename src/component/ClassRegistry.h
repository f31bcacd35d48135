#pragma once

// Finds the component by its ProgID without linking to it. Header-only: a
// host includes it with ReportsInterface.h, and the library uses the same
// code to record itself.
//
// The registry is an INI file in the user's configuration:
//   $ORVANE_REGISTRY_FILE if that variable is set (tests point it at a
//   temporary file), else <GenericConfigLocation>/Orvane/ClassRegistry.ini
//   (~/.config/Orvane/ClassRegistry.ini; QStandardPaths test mode applies).
// One group per ProgID:
//   [Orvane.Reports]
//   Class=Reports
//   Library=/absolute/path/liborvane.so.0

#include "ReportsInterface.h"

#include <QDir>
#include <QFileInfo>
#include <QLibrary>
#include <QSettings>
#include <QStandardPaths>
#include <QString>

#include <memory>

namespace orvane {

class ClassRegistry
{
public:
    /// The INI file that holds the registrations.
    static QString settingsFile()
    {
        const QString overridden = qEnvironmentVariable("ORVANE_REGISTRY_FILE");
        if (!overridden.isEmpty())
            return overridden;
        return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
            + QLatin1String("/Orvane/ClassRegistry.ini");
    }

    /// Records `className` under `progId`, served by the library at `libraryPath`
    /// (made absolute). False, with `error` set, when the file cannot be written.
    static bool registerClass(const QString &progId, const QString &className,
                              const QString &libraryPath, QString *error = nullptr)
    {
        const QString file = settingsFile();
        QDir().mkpath(QFileInfo(file).absolutePath());
        QSettings settings(file, QSettings::IniFormat);
        settings.beginGroup(progId);
        settings.setValue(QStringLiteral("Class"), className);
        settings.setValue(QStringLiteral("Library"), QFileInfo(libraryPath).absoluteFilePath());
        settings.endGroup();
        return finish(settings, error);
    }

    /// Removes `progId`; true also when it was not registered.
    static bool unregisterClass(const QString &progId, QString *error = nullptr)
    {
        QSettings settings(settingsFile(), QSettings::IniFormat);
        settings.remove(progId);
        return finish(settings, error);
    }

    /// The library registered for `progId`, or "" when there is none.
    static QString libraryPath(const QString &progId)
    {
        QSettings settings(settingsFile(), QSettings::IniFormat);
        return settings.value(progId + QLatin1String("/Library")).toString();
    }

    /// Loads the library registered for `progId` and asks it for the class
    /// factory. Null, with `error` set, when the ProgID is not registered, the
    /// library does not load or does not serve that ProgID. The library stays loaded.
    static IClassFactory *getClassObject(const QString &progId, QString *error = nullptr)
    {
        const QString path = libraryPath(progId);
        if (path.isEmpty())
            return fail(error, QStringLiteral("Class %1 is not registered.").arg(progId));
        QLibrary library(path);
        if (!library.load())
            return fail(error, library.errorString());
        auto getClassObject = reinterpret_cast<DllGetClassObjectFunction>(
            library.resolve("DllGetClassObject"));
        if (!getClassObject)
            return fail(error, library.errorString());
        IClassFactory *factory = getClassObject(progId.toUtf8().constData());
        if (!factory)
            return fail(error, QStringLiteral("%1 does not serve %2.").arg(path, progId));
        return factory;
    }

    /// A new Reports object from the registered library, or null (see getClassObject).
    static std::unique_ptr<_Reports> createReports(QString *error = nullptr)
    {
        IClassFactory *factory = getClassObject(QLatin1String(ReportsProgId), error);
        return std::unique_ptr<_Reports>(factory ? factory->CreateInstance() : nullptr);
    }

private:
    static bool finish(QSettings &settings, QString *error)
    {
        settings.sync();
        if (settings.status() == QSettings::NoError)
            return true;
        if (error)
            *error = QStringLiteral("Cannot write %1.").arg(settings.fileName());
        return false;
    }

    static IClassFactory *fail(QString *error, const QString &text)
    {
        if (error)
            *error = text;
        return nullptr;
    }
};

} // namespace orvane
