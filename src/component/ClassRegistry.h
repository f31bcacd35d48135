#pragma once

// Finds the component by its ProgID without linking to it. Header-only: a
// host includes it with ReportsInterface.h, and the library uses the same
// code to record itself.
//
// Registrations live in INI files, one per scope, read in this order:
//   per user     <GenericConfigLocation>/Orvane/ClassRegistry.ini
//                ($XDG_CONFIG_HOME, default ~/.config; QStandardPaths test mode applies)
//   system-wide  <dir>/Orvane/ClassRegistry.ini for each dir of $XDG_CONFIG_DIRS
//                (default /etc/xdg); registering writes under the last one,
//                the base directory that every desktop session keeps
// The first file that names a ProgID wins. $ORVANE_REGISTRY_FILE, when set,
// stands for both scopes (tests point it at a temporary file).
// One group per ProgID:
//   [Orvane.Reports]
//   Class=Reports
//   Library=/absolute/path/liborvane.so.0.2

#include "ReportsInterface.h"

#include <QDir>
#include <QFileInfo>
#include <QLibrary>
#include <QSettings>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

#include <memory>

namespace orvane {

/// Who a registration is for.
enum class RegistryScope { User, System };

class ClassRegistry
{
public:
    /// The INI file that registration in `scope` writes.
    static QString settingsFile(RegistryScope scope = RegistryScope::User)
    {
        const QString overridden = qEnvironmentVariable("ORVANE_REGISTRY_FILE");
        if (!overridden.isEmpty())
            return overridden;
        if (scope == RegistryScope::System)
            return systemConfigDirs().constLast() + QLatin1String("/Orvane/ClassRegistry.ini");
        return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
            + QLatin1String("/Orvane/ClassRegistry.ini");
    }

    /// The files a lookup reads, the per-user one first.
    static QStringList searchFiles()
    {
        if (!qEnvironmentVariableIsEmpty("ORVANE_REGISTRY_FILE"))
            return {settingsFile()};
        QStringList files{settingsFile(RegistryScope::User)};
        for (const QString &dir : systemConfigDirs())
            files.append(dir + QLatin1String("/Orvane/ClassRegistry.ini"));
        return files;
    }

    /// The scope that DllRegisterServer and DllUnregisterServer act on:
    /// $ORVANE_REGISTRY_SCOPE, "user" (also when unset) or "system". False for
    /// any other value, so that a misspelt scope writes nothing.
    static bool scopeFromEnvironment(RegistryScope *scope)
    {
        const QString name = qEnvironmentVariable("ORVANE_REGISTRY_SCOPE");
        if (name.isEmpty() || name == QLatin1String("user"))
            *scope = RegistryScope::User;
        else if (name == QLatin1String("system"))
            *scope = RegistryScope::System;
        else
            return false;
        return true;
    }

    /// Records `className` under `progId` in `scope`, served by the library at
    /// `libraryPath` (made absolute). False, with `error` set, when the file
    /// cannot be written.
    static bool registerClass(const QString &progId, const QString &className, const QString &libraryPath,
                              RegistryScope scope = RegistryScope::User, QString *error = nullptr)
    {
        const QString file = settingsFile(scope);
        QDir().mkpath(QFileInfo(file).absolutePath());
        QSettings settings(file, QSettings::IniFormat);
        settings.beginGroup(progId);
        settings.setValue(QStringLiteral("Class"), className);
        settings.setValue(QStringLiteral("Library"), QFileInfo(libraryPath).absoluteFilePath());
        settings.endGroup();
        return finish(settings, error);
    }

    /// Removes `progId` from `scope`; true also when it was not registered there.
    static bool unregisterClass(const QString &progId, RegistryScope scope = RegistryScope::User,
                                QString *error = nullptr)
    {
        const QString file = settingsFile(scope);
        if (!QFileInfo::exists(file))
            return true;
        QSettings settings(file, QSettings::IniFormat);
        settings.remove(progId);
        return finish(settings, error);
    }

    /// The library that `scope` alone records for `progId` ("" when none).
    static QString registeredLibrary(const QString &progId, RegistryScope scope)
    {
        return readLibrary(settingsFile(scope), progId);
    }

    /// The library registered for `progId`: the first of searchFiles() that
    /// names one, or "" when there is none.
    static QString libraryPath(const QString &progId)
    {
        for (const QString &file : searchFiles()) {
            const QString library = readLibrary(file, progId);
            if (!library.isEmpty())
                return library;
        }
        return QString();
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
    // $XDG_CONFIG_DIRS in order of preference; relative entries are ignored,
    // as the base directory rules ask.
    static QStringList systemConfigDirs()
    {
        QStringList dirs;
        const QStringList listed = qEnvironmentVariable("XDG_CONFIG_DIRS").split(QLatin1Char(':'));
        for (const QString &dir : listed) {
            if (QDir::isAbsolutePath(dir))
                dirs.append(QDir::cleanPath(dir));
        }
        if (dirs.isEmpty())
            dirs.append(QStringLiteral("/etc/xdg"));
        return dirs;
    }

    static QString readLibrary(const QString &file, const QString &progId)
    {
        if (!QFileInfo::exists(file))
            return QString();
        QSettings settings(file, QSettings::IniFormat);
        return settings.value(progId + QLatin1String("/Library")).toString();
    }

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
